// quillmere-convert: converts measurement files from the command line.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "cli/convert_command.h"

int main(int argc, char** argv)
{
    try {
        return RunCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", PROGRAM_NAME, error.what());
        return EXIT_FILE_ERROR;
    }
}
