// Option parsing for quillmere-convert: long options and -h, "--opt VALUE"
// and "--opt=VALUE" alike, "--" ends the options.
#include "cli/command_line.h"

#include <algorithm>
#include <string_view>

#include "batch/area.h"
#include "batch/batch_checks.h"

// The synopsis opens both the usage text and the help text.
#define QUILLMERE_SYNOPSIS                                                             \
    "Usage: quillmere-convert [--area NUMBER] [--reduce-name] [--output-dir DIR]\n"    \
    "                         [--recursive] [--plot] [--scientific] [--report FILE]\n" \
    "                         FILE|FOLDER...\n"                                        \
    "       quillmere-convert --help | --version\n"

const char* const USAGE_TEXT = QUILLMERE_SYNOPSIS;

const char* const HELP_TEXT = QUILLMERE_SYNOPSIS
    "\n"
    "Converts current-voltage sweeps (paths containing \".idf\") and impedance\n"
    "exports (paths containing \".csv\", or \".idf\" files whose header holds the\n"
    "line Method=Impedance) into three-column text files. Each output\n"
    "lies beside its input, or in the folder of --output-dir, and is named after\n"
    "it with \"+IV.txt\" in place of the extension. The markers are looked for in\n"
    "small letters only: CELL.IDF is not converted. Other files are listed as\n"
    "processed but left alone. A folder stands for the files directly inside it\n"
    "whose names contain \".idf\" or \".csv\", sorted by name, as a folder dropped\n"
    "on the dialog does. The work file 123.xqrtmp is written into the current\n"
    "directory, or into the folder of --output-dir.\n"
    "\n"
    "Options:\n"
    "  --area NUMBER, --area=NUMBER\n"
    "                 electrode surface area (default 1.0): currents are divided\n"
    "                 by it, impedances multiplied. NUMBER must be a decimal\n"
    "                 number and nothing else, with a point as the decimal\n"
    "                 separator, from about 1.2e-38 to 3.4e38: 0.196, 2 and 1e-2\n"
    "                 are taken; 0,196, 0, -1, 1e-45, 0x1p-2, 2x and an empty\n"
    "                 text are usage errors\n"
    "  --reduce-name  shorten each output name to what follows the last\n"
    "                 underscore of the input name (cell_A_07.idf gives\n"
    "                 07+IV.txt); a name that ends in an underscore keeps its\n"
    "                 full name, and a note says so\n"
    "  --output-dir DIR, --output-dir=DIR\n"
    "                 write every output, and the work file, into the folder DIR\n"
    "                 itself, whatever folder each input lies in; DIR must exist\n"
    "  --recursive    let each folder argument give the data files of its\n"
    "                 subfolders too, depth first: a folder's own files before\n"
    "                 its subfolders, each in name order (links to folders are\n"
    "                 not entered)\n"
    "  --plot         write a plot of each output beside it, named like it with\n"
    "                 \"+IV.svg\" in place of \"+IV.txt\": impedance as a Nyquist and\n"
    "                 a Bode plot, a sweep as its second column against its first\n"
    "                 and both against the row number. A file without data gets\n"
    "                 no plot, and a line says so\n"
    "  --scientific   write every number as \"%.6e\" (1.234568e-10) instead of\n"
    "                 with six decimals, so that values below 0.0000005 keep\n"
    "                 their digits\n"
    "  --report FILE, --report=FILE\n"
    "                 write a JSON report of the run to FILE: the settings, and\n"
    "                 for each file its input, output, kind, columns, rows,\n"
    "                 announced points, outcome, message, plot and the counts of\n"
    "                 values written as zero or with fewer than three\n"
    "                 significant digits. FILE must not\n"
    "                 be a file of the run, the work file or a folder, and its\n"
    "                 folder must exist\n"
    "  --help, -h     print this help and exit\n"
    "  --version      print the version and exit\n"
    "  --             end of options: every later argument is a file\n"
    "\n"
    "Columns of an output, as quantity / unit, named so in the report too:\n"
    "  current-voltage sweep, separated by a comma:\n"
    "    first value / unit as read (potential, V, or time, s)\n"
    "    -1000 * current / area / mA per area (current density, sign turned)\n"
    "    third value / unit as read\n"
    "  impedance, separated by a space:\n"
    "    frequency / Hz\n"
    "    Z' * area / ohm*area\n"
    "    -Z'' * area / ohm*area\n"
    "\n"
    "Before converting anything, every file is checked: a missing file, a pipe\n"
    "or device, or a file that cannot be read is named and nothing is\n"
    "converted. Nothing is converted either when two different files would write\n"
    "the same output, however the paths are spelled. Each output is written\n"
    "under a temporary name and takes its own name only when complete, so an\n"
    "earlier output is never left half overwritten; an output or work file that\n"
    "is an input under another name is refused.\n"
    "\n"
    "A line \"Finished Processing file: PATH\" goes to standard output after each\n"
    "file. Standard error gets one warning for each file that gives no full\n"
    "output (a short sweep, values that became infinite, a file without data, a\n"
    "file that is not converted), one for each file of which more than 1% of the\n"
    "non-zero values come out as 0.000000 or with fewer than three significant\n"
    "digits (--scientific keeps them; the exit status stays as it is), and at\n"
    "the end a summary such as\n"
    "  5 files: 3 converted (24,011 rows), 1 without data, 1 not converted\n"
    "Ctrl+C, a termination signal or a hang-up removes the unfinished output and\n"
    "the work file and names the file not finished (exit status 130, 143 or 129).\n"
    "A reader of standard output that goes away does not stop the run.\n"
    "\n"
    "Exit status:\n"
    "  0    every file was converted in full\n"
    "  3    the run went through, but some file gave no full output\n"
    "  1    a file could not be used (nothing was converted), a file error\n"
    "       stopped the run, or standard output or the report could not be\n"
    "       written; 1 wins over 3\n"
    "  2    a usage error, also for two files with one output\n"
    "  129, 130, 143\n"
    "       interrupted by a hang-up, Ctrl+C or a termination signal\n";

namespace {

enum class OptionKind { Area, ReduceName, OutputDir, Recursive, Plot, Scientific, Report, Help, Version };

struct OptionEntry {
    std::string_view name;
    OptionKind kind;
    bool takesValue;
};

constexpr OptionEntry OPTIONS[] = {
    {"--area", OptionKind::Area, true},
    {"--reduce-name", OptionKind::ReduceName, false},
    {"--output-dir", OptionKind::OutputDir, true},
    {"--recursive", OptionKind::Recursive, false},
    {"--plot", OptionKind::Plot, false},
    {"--scientific", OptionKind::Scientific, false},
    {"--report", OptionKind::Report, true},
    {"--help", OptionKind::Help, false},
    {"-h", OptionKind::Help, false},
    {"--version", OptionKind::Version, false},
};

// Edits within which an unknown option is taken for a slip of the fingers:
// at most two, and at most one for every three letters typed, so that a
// short word is not taken for a long option it has little in common with.
constexpr std::size_t HINT_DISTANCE = 2;
constexpr std::size_t LETTERS_PER_EDIT = 3;

const OptionEntry* FindOption(std::string_view name)
{
    for (const OptionEntry& entry : OPTIONS) {
        if (entry.name == name) {
            return &entry;
        }
    }
    return nullptr;
}

// The long option nearest to `name`, when it is near enough to have been
// meant; the first in the table on a tie.
const OptionEntry* NearestOption(const std::string& name)
{
    const std::size_t letters = name.size() - std::min(name.find_first_not_of('-'), name.size());
    const OptionEntry* nearest = nullptr;
    std::size_t best = std::min(HINT_DISTANCE, letters / LETTERS_PER_EDIT) + 1;
    for (const OptionEntry& entry : OPTIONS) {
        if (!entry.name.starts_with("--")) {
            continue;
        }
        const std::size_t distance = EditDistance(name, std::string(entry.name));
        if (distance < best) {
            best = distance;
            nearest = &entry;
        }
    }
    return nearest;
}

// A lone "-" is an ordinary argument, as it is for most programs.
bool LooksLikeOption(const std::string& arg)
{
    return arg.size() > 1 && arg[0] == '-';
}

bool IsDigit(char ch)
{
    return ch >= '0' && ch <= '9';
}

// An optional sign, digits with an optional point (at least one digit on
// either side of it), an optional exponent: the decimal form of a number.
bool IsDecimalNumberText(const std::string& text)
{
    std::size_t at = 0;
    const auto skipDigits = [&] {
        const std::size_t start = at;
        while (at < text.size() && IsDigit(text[at])) {
            ++at;
        }
        return at - start;
    };
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        ++at;
    }
    std::size_t digits = skipDigits();
    if (at < text.size() && text[at] == '.') {
        ++at;
        digits += skipDigits();
    }
    if (digits == 0) {
        return false;
    }
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
            ++at;
        }
        if (skipDigits() == 0) {
            return false;
        }
    }
    return at == text.size();
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

std::string UnknownOption(const std::string& name)
{
    std::string error = "unknown option '" + name + "'";
    if (const OptionEntry* nearest = NearestOption(name)) {
        error += "; did you mean " + std::string(nearest->name) + "?";
    }
    return error;
}

}  // namespace

std::size_t EditDistance(const std::string& a, const std::string& b)
{
    // Rows of the table of distances between the beginnings of a and b:
    // the one before the last, the last, and the one being filled.
    std::vector<std::size_t> older(b.size() + 1);
    std::vector<std::size_t> previous(b.size() + 1);
    std::vector<std::size_t> current(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) {
        previous[j] = j;
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        current[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t change = a[i - 1] == b[j - 1] ? 0 : 1;
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + change});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
                current[j] = std::min(current[j], older[j - 2] + 1);
            }
        }
        older.swap(previous);
        previous.swap(current);
    }
    return previous[b.size()];
}

bool IsUsableAreaText(const std::string& text)
{
    if (text.size() > static_cast<std::size_t>(AREA_TEXT_MAX) || !IsDecimalNumberText(text)) {
        return false;
    }
    // What the converters will use: the value in single precision.
    return IsUsableArea(AreaOfText(text.c_str()));
}

ConvertOptions ParseCommandLine(const std::vector<std::string>& args)
{
    ConvertOptions options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || !LooksLikeOption(arg)) {
            if (arg.empty()) {
                // Most often a variable that was meant to hold a file name.
                return UsageError("argument " + std::to_string(i + 1) + " is empty, not a file name");
            }
            options.files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }

        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const OptionEntry* entry = FindOption(name);
        if (entry == nullptr) {
            return UsageError(UnknownOption(name));
        }
        if (!entry->takesValue && equals != std::string::npos) {
            return UsageError("option '" + name + "' takes no value");
        }

        // A missing value counts as an empty one, which each option names in its own words.
        std::string value;
        const bool hasValue = entry->takesValue && TakeValue(args, i, equals, value);
        if (entry->kind == OptionKind::Area && !hasValue) {
            return UsageError("option '--area' needs a value");
        }
        switch (entry->kind) {
            case OptionKind::Help:
                return WithAction(CliAction::Help);
            case OptionKind::Version:
                return WithAction(CliAction::Version);
            case OptionKind::ReduceName:
                options.reduceName = true;
                break;
            case OptionKind::Recursive:
                options.recursive = true;
                break;
            case OptionKind::Plot:
                options.plot = true;
                break;
            case OptionKind::Scientific:
                options.scientific = true;
                break;
            case OptionKind::Area:
                if (!IsUsableAreaText(value)) {
                    return UsageError("option '--area' cannot take '" + value +
                                      "': " + AREA_UNUSABLE_MESSAGE);
                }
                options.areaText = value;
                break;
            case OptionKind::Report:
                if (value.empty()) {
                    return UsageError("option '--report' needs a file name");
                }
                options.reportPath = value;
                break;
            case OptionKind::OutputDir:
                if (value.empty()) {
                    return UsageError("option '--output-dir' needs a folder name");
                }
                options.outputDir = value;
                break;
        }
    }
    if (options.files.empty()) {
        return UsageError("no input files");
    }
    return options;
}
