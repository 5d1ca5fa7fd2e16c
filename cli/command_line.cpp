// Option parsing for quillmere-convert: long options only, "--opt VALUE" and
// "--opt=VALUE" alike, "--" ends the options.
#include "cli/command_line.h"

#include <string_view>

// The synopsis opens both the usage text and the help text.
#define QUILLMERE_SYNOPSIS                                              \
    "Usage: quillmere-convert [--area TEXT] [--reduce-name] FILE...\n" \
    "       quillmere-convert --help | --version\n"

const char* const USAGE_TEXT = QUILLMERE_SYNOPSIS;

const char* const HELP_TEXT = QUILLMERE_SYNOPSIS
    "\n"
    "Converts current-voltage sweeps (paths containing \".idf\") and impedance\n"
    "exports (paths containing \".csv\") into three-column text files. Each output\n"
    "lies beside its input and is named after it with \"+IV.txt\" in place of the\n"
    "extension. Other files are listed as processed but left alone. A file without\n"
    "usable data gives an empty output; an impedance export without \"EIS\" rows is\n"
    "also reported on standard error. The work file 123.xqrtmp is written into the\n"
    "current directory.\n"
    "\n"
    "Options:\n"
    "  --area TEXT, --area=TEXT  electrode surface area (default 1.0): currents\n"
    "                            are divided by it, impedances multiplied. The\n"
    "                            number at the start of TEXT is used and the rest\n"
    "                            ignored; TEXT that does not start with a number\n"
    "                            gives 0\n"
    "  --reduce-name             shorten each output name to what follows the last\n"
    "                            underscore of the input name (cell_A_07.idf gives\n"
    "                            07+IV.txt)\n"
    "  --help                    print this help and exit\n"
    "  --version                 print the version and exit\n"
    "  --                        end of options: every later argument is a file\n"
    "\n"
    "A line \"Finished Processing file: PATH\" goes to standard output after each\n"
    "file. Exit status: 0 when every file was processed, 1 when a file error\n"
    "stopped the run, 2 for a usage error.\n";

namespace {

enum class OptionKind { Area, ReduceName, Help, Version };

struct OptionEntry {
    std::string_view name;
    OptionKind kind;
    bool takesValue;
};

constexpr OptionEntry OPTIONS[] = {
    {"--area", OptionKind::Area, true},
    {"--reduce-name", OptionKind::ReduceName, false},
    {"--help", OptionKind::Help, false},
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

}  // namespace

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
            case OptionKind::Area:
                if (equals != std::string::npos) {
                    options.areaText = arg.substr(equals + 1);
                } else if (i + 1 < args.size()) {
                    options.areaText = args[++i];
                } else {
                    return UsageError("option '--area' needs a value");
                }
                break;
        }
    }
    if (options.files.empty()) {
        return UsageError("no input files");
    }
    return options;
}
