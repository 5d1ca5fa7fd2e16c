// quillmere-convert: converts measurement files from the command line.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "cli/convert_command.h"
#include "platform/wildcards.h"

int main(int argc, char** argv)
{
    try {
        // Where the command prompt passes *.idf on as typed, the program
        // expands it; a pattern that matches nothing stops the run before
        // any file is touched, so no work file is left behind for it.
        const WildcardExpansion expanded =
            ExpandCommandLineWildcards(std::vector<std::string>(argv + 1, argv + argc));
        for (const std::string& pattern : expanded.unmatched) {
            std::fprintf(stderr, "%s: no file matches %s\n", PROGRAM_NAME, pattern.c_str());
        }
        if (!expanded.unmatched.empty()) {
            return EXIT_FILE_ERROR;
        }
        return RunCommandLine(expanded.args);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", PROGRAM_NAME, error.what());
        return EXIT_FILE_ERROR;
    }
}
