// Fuzz target: the impedance converter on arbitrary work-file bytes.
#include <string>
#include <vector>

#include "engine/eis_converter.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/fuzz_targets.h"

namespace {

using fuzzsupport::Check;

// What a well-formed work file gives: the number of rows converted before
// the first row whose field 2 lacks "EIS", and whether there was such a row.
struct EisModel {
    std::size_t rows = 0;
    bool stopped = false;
};

EisModel ModelRows(const std::string& work)
{
    const std::vector<std::string> lines = fuzzsupport::WorkLines(work);
    EisModel model;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        // Field 2 runs from the second comma to the next one or the end.
        const std::size_t first = lines[i].find(',');
        const std::size_t second = first == std::string::npos ? first : lines[i].find(',', first + 1);
        const std::string field =
            second == std::string::npos
                ? ""
                : lines[i].substr(second + 1, lines[i].find(',', second + 1) - second - 1);
        if (field.find("EIS") == std::string::npos) {
            model.stopped = true;
            break;
        }
        ++model.rows;
    }
    return model;
}

}  // namespace

int FuzzEisConverter(const std::uint8_t* data, std::size_t size)
{
    fuzzsupport::CScene scene(data, size);
    const std::string work(reinterpret_cast<const char*>(data), size);
    const std::string workPath = scene.PathOf("123.xqrtmp");
    const std::string outputPath = scene.PathOf("out.txt");
    fuzzsupport::WriteBytes(workPath, work);

    const bool raised = fuzzsupport::RaisedAtCap(
        [&] { Check(ConvertEisCsv(workPath.c_str(), outputPath.c_str()) == 0, "result not 0"); });
    // An output stopped by a failure never takes the output's name.
    Check(testutil::Exists(outputPath) == !raised,
          raised ? "output under its name after a failure" : "no output after a conversion");
    fuzzsupport::CheckNoUnfinishedFiles();
    const std::string output = raised ? std::string() : fuzzsupport::ReadBytes(outputPath);
    fuzzsupport::CheckNumberLines(output, ' ', "impedance output");
    // At most one output line per row after the header. Every line feed of
    // the work file may end a row, and so may the end of the file; a zero
    // byte may too, since a line is cut at a zero byte and the rest of a
    // long line comes back as the next one.
    std::size_t rows = 1;
    for (char byte : work) rows += byte == '\n' || byte == '\0' ? 1 : 0;
    Check(fuzzsupport::CountLines(output) < rows, "more output lines than rows");
    Check(scene.Messages() <= 1, "the message was shown more than once");
    if (fuzzsupport::IsFilterOutput(work) && !raised) {
        const EisModel model = ModelRows(work);
        Check(fuzzsupport::CountLines(output) == model.rows,
              "output lines differ from the rows with \"EIS\"");
        Check(scene.Messages() == (model.stopped ? 1 : 0), "message shown or missing");
    }
    Check(fuzzsupport::ReadBytes(workPath) == work, "the work file was changed");
    scene.CheckDescriptors();
    return 0;
}

QUILLMERE_FUZZ_ENTRY(FuzzEisConverter);
