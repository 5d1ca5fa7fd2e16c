// The summary line and the JSON report of a run.
#include "cli/run_report.h"

#include <cstdio>
#include <iterator>
#include <nlohmann/json.hpp>

#include "cli/command_line.h"
#include "engine/output_file.h"

namespace {

using Json = nlohmann::ordered_json;

// Each fate: its key in the report, its words in the summary and in a
// file's warning line, and whether the summary gives the rows of its files.
struct FateText {
    FileFate fate;
    const char* key;
    const char* words;
    const char* warning;
    bool withRows;
};

// In the order the summary names them.
constexpr FateText FATE_TEXTS[] = {
    {FileFate::converted, "converted", "converted", "converted", true},
    {FileFate::shortSweep, "short", "short", "short sweep", true},
    {FileFate::nonFinite, "nonFinite", "with infinite values", "infinite values", true},
    {FileFate::noData, "noData", "without data", "no data", false},
    {FileFate::notConverted, "notConverted", "not converted", "not converted", false},
    {FileFate::unusable, "unusable", "unusable", "unusable", false},
    {FileFate::failed, "failed", "failed", "failed", false},
    {FileFate::notRun, "notRun", "not run", "not run", false},
};

const FateText& TextOf(FileFate fate)
{
    for (const FateText& text : FATE_TEXTS) {
        if (text.fate == fate) {
            return text;
        }
    }
    return FATE_TEXTS[0];
}

const char* EndKey(RunEnd end)
{
    switch (end) {
        case RunEnd::completed:
            return "completed";
        case RunEnd::stopped:
            return "stopped";
        case RunEnd::inputsUnusable:
            return "inputsUnusable";
        case RunEnd::outputsCollide:
            return "outputsCollide";
    }
    return "completed";
}

std::string Counted(long long count, const char* one, const char* many)
{
    return GroupThousands(count) + " " + (count == 1 ? one : many);
}

bool IsValidUtf8(const std::string& text)
{
    try {
        (void)Json(text).dump();
        return true;
    } catch (const Json::type_error&) {
        return false;
    }
}

std::string Hex(const std::string& bytes)
{
    static constexpr char DIGITS[] = "0123456789abcdef";
    std::string hex;
    for (const char ch : bytes) {
        const auto byte = static_cast<unsigned char>(ch);
        hex += DIGITS[byte >> 4];
        hex += DIGITS[byte & 0x0F];
    }
    return hex;
}

// A path under `key`, with its exact bytes under key + "Bytes" when it is
// not valid UTF-8.
void PutPath(Json& object, const std::string& key, const std::string& path)
{
    object[key] = path;
    if (!IsValidUtf8(path)) {
        object[key + "Bytes"] = Hex(path);
    }
}

Json TextOrNull(const CString& text)
{
    return text.IsEmpty() ? Json(nullptr) : Json(text.str());
}

Json FileJson(const FileRecord& file)
{
    Json entry = Json::object();
    PutPath(entry, "input", file.input.str());
    PutPath(entry, "output", file.output.str());
    entry["kind"] = TextOrNull(file.kind);
    const std::vector<std::string> columns = ColumnsOf(file.kind);
    entry["columns"] = columns.empty() ? Json(nullptr) : Json(columns);
    entry["rows"] = file.rows;
    entry["pointsAnnounced"] = file.announced >= 0 ? Json(file.announced) : Json(nullptr);
    entry["outcome"] = TextOf(file.fate).key;
    entry["message"] = TextOrNull(file.message);
    entry["zeroedValues"] = file.zeroedValues;
    entry["fewDigitValues"] = file.fewDigitValues;
    if (file.plot.IsEmpty()) {
        entry["plot"] = nullptr;
    } else {
        PutPath(entry, "plot", file.plot.str());
    }
    return entry;
}

Json SummaryJson(const RunRecord& record)
{
    Json summary = Json::object();
    summary["files"] = record.files.size();
    long long rows = 0;
    for (const FateText& text : FATE_TEXTS) {
        summary[text.key] = 0;
    }
    for (const FileRecord& file : record.files) {
        summary[TextOf(file.fate).key] = summary[TextOf(file.fate).key].get<long long>() + 1;
        rows += file.rows;
    }
    summary["rows"] = rows;
    return summary;
}

}  // namespace

std::vector<std::string> ColumnsOf(const CString& kind)
{
    if (kind == IV_KIND) {
        return {std::begin(IV_COLUMNS), std::end(IV_COLUMNS)};
    }
    if (kind == EIS_KIND) {
        return {std::begin(EIS_COLUMNS), std::end(EIS_COLUMNS)};
    }
    return {};
}

bool EveryFileConverted(const RunRecord& record)
{
    for (const FileRecord& file : record.files) {
        if (file.fate != FileFate::converted) {
            return false;
        }
    }
    return true;
}

void TakeOutcome(const FileOutcome& outcome, FileRecord& record)
{
    switch (outcome.result) {
        case FileResult::converted:
            record.fate = FileFate::converted;
            break;
        case FileResult::shortSweep:
            record.fate = FileFate::shortSweep;
            break;
        case FileResult::nonFinite:
            record.fate = FileFate::nonFinite;
            break;
        case FileResult::noData:
            record.fate = FileFate::noData;
            break;
        case FileResult::notConverted:
            record.fate = FileFate::notConverted;
            break;
    }
    record.kind = outcome.kind;
    record.rows = outcome.rows;
    record.announced = outcome.announced;
    record.message = outcome.message;
    record.zeroedValues = outcome.zeroedValues;
    record.fewDigitValues = outcome.fewDigitValues;
}

std::string GroupThousands(long long value)
{
    const std::string digits = std::to_string(value < 0 ? -static_cast<unsigned long long>(value)
                                                        : static_cast<unsigned long long>(value));
    std::string grouped = value < 0 ? "-" : "";
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            grouped += ',';
        }
        grouped += digits[i];
    }
    return grouped;
}

std::string SummaryText(const RunRecord& record)
{
    std::string text = Counted(static_cast<long long>(record.files.size()), "file", "files") + ":";
    const char* separator = " ";
    for (const FateText& fate : FATE_TEXTS) {
        long long count = 0;
        long long rows = 0;
        for (const FileRecord& file : record.files) {
            if (file.fate == fate.fate) {
                ++count;
                rows += file.rows;
            }
        }
        if (count == 0 && fate.fate != FileFate::converted) {
            continue;
        }
        text += separator + GroupThousands(count) + " " + fate.words;
        if (fate.withRows) {
            text += " (" + Counted(rows, "row", "rows") + ")";
        }
        separator = ", ";
    }
    return text;
}

std::string WarningText(const FileRecord& record)
{
    // An impedance run in a ".idf" file announces its points as a sweep does.
    const bool impedanceRun = record.fate == FileFate::shortSweep && record.kind == EIS_KIND;
    std::string text = std::string(impedanceRun ? "short impedance run" : TextOf(record.fate).warning) +
                       ": " + record.message.str();
    if (record.fate == FileFate::noData) {
        text += "; the output is empty";
    }
    return text;
}

std::string ReportJson(const RunRecord& record)
{
    Json report = Json::object();
    report["program"] = PROGRAM_NAME;
    report["version"] = QUILLMERE_VERSION;

    Json settings = Json::object();
    settings["area"] = static_cast<double>(record.area);
    settings["areaText"] = record.areaText ? Json(*record.areaText) : Json(nullptr);
    settings["reduceName"] = record.reduceName;
    settings["numberFormat"] = record.scientific ? "scientific" : "fixed";
    settings["recursive"] = record.recursive;
    settings["plot"] = record.plot;
    PutPath(settings, "currentDirectory", record.currentDirectory);
    if (record.outputDirectory) {
        PutPath(settings, "outputDirectory", *record.outputDirectory);
    } else {
        settings["outputDirectory"] = nullptr;
    }
    settings["workFile"] = WORK_FILE_NAME;
    report["settings"] = settings;

    report["result"] = EndKey(record.end);
    report["exitStatus"] = record.exitStatus;
    report["error"] = TextOrNull(record.error);
    report["summary"] = SummaryJson(record);

    Json collisions = Json::array();
    for (const OutputCollision& collision : record.collisions) {
        Json entry = Json::object();
        PutPath(entry, "firstInput", collision.firstInput.str());
        PutPath(entry, "secondInput", collision.secondInput.str());
        PutPath(entry, "output", collision.output.str());
        collisions.push_back(entry);
    }
    report["collisions"] = collisions;

    Json files = Json::array();
    for (const FileRecord& file : record.files) {
        files.push_back(FileJson(file));
    }
    report["files"] = files;
    return report.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

void WriteReport(const CString& path, const RunRecord& record)
{
    const std::string text = ReportJson(record);
    COutputFile output(path);
    output.Lines().WriteText(text.c_str());
    output.Commit();
}
