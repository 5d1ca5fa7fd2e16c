// Fuzz target: the impedance converter on arbitrary work-file bytes.
#include <string>

#include "engine/eis_converter.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/fuzz_targets.h"
#include "platform/file_exception.h"

namespace {

using fuzzsupport::Check;

}  // namespace

int FuzzEisConverter(const std::uint8_t* data, std::size_t size)
{
    fuzzsupport::CScene scene(data, size);
    const std::string work(reinterpret_cast<const char*>(data), size);
    const std::string workPath = scene.PathOf("123.xqrtmp");
    const std::string outputPath = scene.PathOf("out.txt");
    fuzzsupport::WriteBytes(workPath, work);

    try {
        Check(ConvertEisCsv(workPath.c_str(), outputPath.c_str()) == 0, "result not 0");
    } catch (const CFileException& error) {
        Check(fuzzsupport::CScene::CapReached(), "file error: " + error.GetErrorMessage().str());
    }
    const std::string output = fuzzsupport::ReadBytes(outputPath);
    fuzzsupport::CheckNumberLines(output, ' ', "impedance output");
    // At most one output line per row after the header; every line feed of
    // the work file may end a row, and so may the end of the file.
    std::size_t rows = 1;
    for (char byte : work)
        rows += byte == '\n' ? 1 : 0;
    Check(fuzzsupport::CountLines(output) < rows, "more output lines than rows");
    Check(scene.Messages() <= 1, "the message was shown more than once");
    Check(fuzzsupport::ReadBytes(workPath) == work, "the work file was changed");
    scene.CheckDescriptors();
    return 0;
}

#ifdef QUILLMERE_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return FuzzEisConverter(data, size);
}
#endif
