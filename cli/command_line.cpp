// Option parsing for quillmere-convert: long options only, "--opt VALUE" and
// "--opt=VALUE" alike, "--" ends the options.
#include "cli/command_line.h"

#include <cfloat>
#include <cmath>
#include <string_view>

#include "batch/area.h"
#include "batch/batch_checks.h"
#include "engine/numbers.h"
#include "engine/numbers_fast.h"

// The synopsis opens both the usage text and the help text.
#define QUILLMERE_SYNOPSIS                                                               \
    "Usage: quillmere-convert [--area NUMBER] [--reduce-name] [--report FILE] FILE...\n" \
    "       quillmere-convert --help | --version\n"

const char* const USAGE_TEXT = QUILLMERE_SYNOPSIS;

const char* const HELP_TEXT = QUILLMERE_SYNOPSIS
    "\n"
    "Converts current-voltage sweeps (paths containing \".idf\") and impedance\n"
    "exports (paths containing \".csv\") into three-column text files. Each output\n"
    "lies beside its input and is named after it with \"+IV.txt\" in place of the\n"
    "extension. The markers are looked for in small letters only: CELL.IDF is not\n"
    "converted. Other files are listed as processed but left alone. The work file\n"
    "123.xqrtmp is written into the current directory.\n"
    "\n"
    "Options:\n"
    "  --area NUMBER, --area=NUMBER\n"
    "                 electrode surface area (default 1.0): currents are divided\n"
    "                 by it, impedances multiplied. NUMBER must be a number\n"
    "                 greater than 0 and nothing else, with a point as the\n"
    "                 decimal separator: 0.196, 2 and 1e-2 are taken; 0,196, 0,\n"
    "                 -1, 2x and an empty text are usage errors\n"
    "  --reduce-name  shorten each output name to what follows the last\n"
    "                 underscore of the input name (cell_A_07.idf gives 07+IV.txt)\n"
    "  --report FILE, --report=FILE\n"
    "                 write a JSON report of the run to FILE: the settings, and\n"
    "                 for each file its input, output, kind, rows, announced\n"
    "                 points, outcome and message\n"
    "  --help         print this help and exit\n"
    "  --version      print the version and exit\n"
    "  --             end of options: every later argument is a file\n"
    "\n"
    "Before converting anything, every file is checked: a missing file, a folder,\n"
    "a pipe or device, or a file that cannot be read is named and nothing is\n"
    "converted. Nothing is converted either when two different files would write\n"
    "the same output. Each output is written under a temporary name and takes its\n"
    "own name only when complete, so an earlier output is never left half\n"
    "overwritten; an output or work file that is an input under another name is\n"
    "refused.\n"
    "\n"
    "A line \"Finished Processing file: PATH\" goes to standard output after each\n"
    "file. Standard error gets one warning for each file that is a short sweep\n"
    "(fewer points than it announces), holds no data (its output is empty) or is\n"
    "not converted, and at the end a summary such as\n"
    "  5 files: 3 converted (24,011 rows), 1 without data, 1 not converted\n"
    "Ctrl+C, a termination signal or a hang-up removes the unfinished output and\n"
    "the work file and names the file not finished (exit status 130, 143 or 129).\n"
    "\n"
    "Exit status: 0 when every file was processed, 1 when a file was unusable, a\n"
    "file error stopped the run, or standard output or the report could not be\n"
    "written, 2 for a usage error (also for two files with one output).\n";

namespace {

enum class OptionKind { Area, ReduceName, Report, Help, Version };

struct OptionEntry {
    std::string_view name;
    OptionKind kind;
    bool takesValue;
};

constexpr OptionEntry OPTIONS[] = {
    {"--area", OptionKind::Area, true},        {"--reduce-name", OptionKind::ReduceName, false},
    {"--report", OptionKind::Report, true},    {"--help", OptionKind::Help, false},
    {"--version", OptionKind::Version, false},
};

const OptionEntry* FindOption(std::string_view name)
{
    for (const OptionEntry& entry : OPTIONS) {
        if (entry.name == name) {
            return &entry;
        }
    }
    return nullptr;
}

// A lone "-" is an ordinary argument, as it is for most programs.
bool LooksLikeOption(const std::string& arg)
{
    return arg.size() > 1 && arg[0] == '-';
}

ConvertOptions UsageError(std::string error)
{
    ConvertOptions result;
    result.action = CliAction::UsageError;
    result.error = std::move(error);
    return result;
}

ConvertOptions WithAction(CliAction action)
{
    ConvertOptions result;
    result.action = action;
    return result;
}

// The value of an option that takes one: after its equals sign, or the
// next argument. False when there is none.
bool TakeValue(const std::vector<std::string>& args, std::size_t& i, std::size_t equals, std::string& value)
{
    const std::string& arg = args[i];
    if (equals != std::string::npos) {
        value = arg.substr(equals + 1);
        return true;
    }
    if (i + 1 < args.size()) {
        value = args[++i];
        return true;
    }
    return false;
}

}  // namespace

bool IsUsableAreaText(const std::string& text)
{
    if (text.empty() || text.size() > static_cast<std::size_t>(AREA_TEXT_MAX) || IsCSpace(text[0])) {
        return false;
    }
    const char* end = nullptr;
    const double value = ParseDouble(text.c_str(), end);
    if (end != text.c_str() + text.size() || !std::isfinite(value) || std::fabs(value) > FLT_MAX) {
        return false;
    }
    // What the converters will use: the value in single precision, where a
    // tiny number becomes 0.
    return IsUsableArea(static_cast<float>(value));
}

ConvertOptions ParseCommandLine(const std::vector<std::string>& args)
{
    ConvertOptions options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || !LooksLikeOption(arg)) {
            options.files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }

        const std::size_t equals = arg.find('=');
        const std::string_view name = std::string_view(arg).substr(0, equals);
        const OptionEntry* entry = FindOption(name);
        if (entry == nullptr) {
            return UsageError("unknown option '" + std::string(name) + "'");
        }
        if (!entry->takesValue && equals != std::string::npos) {
            return UsageError("option '" + std::string(name) + "' takes no value");
        }

        switch (entry->kind) {
            case OptionKind::Help:
                return WithAction(CliAction::Help);
            case OptionKind::Version:
                return WithAction(CliAction::Version);
            case OptionKind::ReduceName:
                options.reduceName = true;
                break;
            case OptionKind::Area: {
                std::string value;
                if (!TakeValue(args, i, equals, value)) {
                    return UsageError("option '--area' needs a value");
                }
                if (!IsUsableAreaText(value)) {
                    return UsageError("option '--area' cannot take '" + value +
                                      "': " + AREA_UNUSABLE_MESSAGE);
                }
                options.areaText = value;
                break;
            }
            case OptionKind::Report: {
                std::string value;
                if (!TakeValue(args, i, equals, value) || value.empty()) {
                    return UsageError("option '--report' needs a file name");
                }
                options.reportPath = value;
                break;
            }
        }
    }
    if (options.files.empty()) {
        return UsageError("no input files");
    }
    return options;
}
