// Fuzz target: the current-voltage converter on arbitrary work-file bytes.
#include <string>

#include "engine/iv_converter.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/fuzz_targets.h"
#include "platform/file_exception.h"

namespace {

using fuzzsupport::Check;

constexpr int NO_POINTS = -2;

}  // namespace

int FuzzIvConverter(const std::uint8_t* data, std::size_t size)
{
    fuzzsupport::CScene scene(data, size);
    const std::string work(reinterpret_cast<const char*>(data), size);
    const std::string workPath = scene.PathOf("123.xqrtmp");
    const std::string outputPath = scene.PathOf("out.txt");
    fuzzsupport::WriteBytes(workPath, work);

    int result = 0;
    bool raised = false;
    try {
        result = ConvertIvFile(workPath.c_str(), outputPath.c_str());
    } catch (const CFileException& error) {
        // Only the cap on output writes may stop a conversion here.
        Check(fuzzsupport::CScene::CapReached(), "file error: " + error.GetErrorMessage().str());
        raised = true;
    }
    const std::string output = fuzzsupport::ReadBytes(outputPath);
    if (!raised) {
        Check(result == 0 || result == NO_POINTS, "result " + std::to_string(result));
        Check((result == NO_POINTS) == output.empty(), "an empty output goes with -2, and only then");
    }
    fuzzsupport::CheckNumberLines(output, ',', "current-voltage output");
    Check(fuzzsupport::ReadBytes(workPath) == work, "the work file was changed");
    Check(scene.Messages() == 0, "the current-voltage converter showed a message");
    scene.CheckDescriptors();
    return 0;
}

#ifdef QUILLMERE_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return FuzzIvConverter(data, size);
}
#endif
