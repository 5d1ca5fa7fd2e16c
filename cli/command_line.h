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
    // The text given with --area, a number greater than 0; absent means the
    // dialog's start-up text "1.0".
    std::optional<std::string> areaText;
    // The file named by --report, as typed; absent means no report.
    std::optional<std::string> reportPath;
    // --reduce-name: shorten output names as the ticked "Reduce File Name" box does.
    bool reduceName = false;
    // The files in argument order, as typed.
    std::vector<std::string> files;
    // What was wrong, for CliAction::UsageError.
    std::string error;
};

// The program's name as it appears in its messages.
inline constexpr const char* PROGRAM_NAME = "quillmere-convert";

// The two synopsis lines, each ended by a line feed.
extern const char* const USAGE_TEXT;
// The synopsis followed by what the options do and the exit statuses.
extern const char* const HELP_TEXT;

// True when `text` is a number and nothing else, with a point as decimal
// separator, that gives an area greater than 0 in single precision, and no
// longer than the 99 characters the area box holds. Leading or trailing
// blanks, a decimal comma, a unit, "inf" or "nan" make it unusable.
bool IsUsableAreaText(const std::string& text);

// Reads the arguments that follow the program name. Options may stand before,
// between or after the files; "--" ends them. --help and --version act as
// soon as they are met.
ConvertOptions ParseCommandLine(const std::vector<std::string>& args);
