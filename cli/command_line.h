// The command line of quillmere-convert, read into plain values.
#pragma once

#include <optional>
#include <string>
#include <vector>

// What a command line asks the program to do.
enum class CliAction {
    Convert,    // convert the files
    Help,       // print the help text
    Version,    // print the version
    UsageError  // the command line is wrong; `error` says how
};

// The options and files of one command line.
struct ConvertOptions {
    CliAction action = CliAction::Convert;
    // The text given with --area, a usable area (IsUsableAreaText); absent
    // means the dialog's start-up text "1.0".
    std::optional<std::string> areaText;
    // The file named by --report, as typed; absent means no report.
    std::optional<std::string> reportPath;
    // The folder named by --output-dir, as typed; absent means each output
    // lies beside its input.
    std::optional<std::string> outputDir;
    // --reduce-name: shorten output names as the ticked "Reduce File Name" box does.
    bool reduceName = false;
    // --recursive: folder arguments give the data files of their subfolders too.
    bool recursive = false;
    // --plot: a plot of each output beside it, NAME+IV.svg.
    bool plot = false;
    // --scientific: write "%.6e" numbers instead of "%f" ones.
    bool scientific = false;
    // The files and folders in argument order, as typed.
    std::vector<std::string> files;
    // What was wrong, for CliAction::UsageError.
    std::string error;
};

// The program's name as it appears in its messages.
inline constexpr const char* PROGRAM_NAME = "quillmere-convert";

// The synopsis lines, each ended by a line feed.
extern const char* const USAGE_TEXT;
// The synopsis followed by what the program does, its options, the columns
// of its outputs and its exit statuses.
extern const char* const HELP_TEXT;

// True when `text` is a decimal number and nothing else, with a point as
// decimal separator, no longer than the 99 characters the area box holds,
// that gives an area the batch can use (IsUsableArea) once it is rounded to
// single precision as the converters use it. Leading or trailing blanks, a
// decimal comma, a unit, "inf", "nan" and hexadecimal numbers make it
// unusable.
bool IsUsableAreaText(const std::string& text);

// The edits (a character put in, taken out, changed, or two neighbours
// swapped) that turn `a` into `b`.
std::size_t EditDistance(const std::string& a, const std::string& b);

// Reads the arguments that follow the program name. Options may stand before,
// between or after the files; "--" ends them. --help (-h) and --version act
// as soon as they are met. An unknown option one or two edits from a known
// long option is told which one was likely meant.
ConvertOptions ParseCommandLine(const std::vector<std::string>& args);
