#include "msw_prelude.h"

#include <cstdio>

#include <gtest/gtest.h>

#include <direct.h>
#include <io.h>
#include <cerrno>
#include <cstring>

extern "C" char* mkdtemp(char* pattern)
{
    const std::size_t length = std::strlen(pattern);
    if (length < 6 || std::strcmp(pattern + length - 6, "XXXXXX") != 0) {
        errno = EINVAL;
        return nullptr;
    }
    // _mktemp_s offers one name per letter a-z; a name taken meanwhile by
    // someone else is tried afresh.
    for (int attempt = 0; attempt < 26; ++attempt) {
        std::memcpy(pattern + length - 6, "XXXXXX", 6);
        if (_mktemp_s(pattern, length + 1) != 0) {
            return nullptr;
        }
        if (_mkdir(pattern) == 0) {
            return pattern;
        }
        if (errno != EEXIST) {
            return nullptr;
        }
    }
    return nullptr;
}

namespace {

// The program starts without a console and makes its own; a test program
// gets one from the system, so it lets go of it before the first dialog.
// Standard output then goes to the console the dialog opens, so each result
// is also told on standard error, which stays with the test runner.
class ResultsOnStandardError : public ::testing::EmptyTestEventListener {
    void OnTestPartResult(const ::testing::TestPartResult& result) override
    {
        if (result.failed()) {
            std::fprintf(stderr, "%s:%d: %s\n", result.file_name() ? result.file_name() : "?",
                         result.line_number(), result.message());
        }
    }
    void OnTestEnd(const ::testing::TestInfo& test) override
    {
        const char* outcome = test.result()->Skipped()  ? "SKIPPED"
                              : test.result()->Passed() ? "     OK"
                                                        : " FAILED";
        std::fprintf(stderr, "[ %s ] %s.%s\n", outcome, test.test_suite_name(), test.name());
    }
};

class StartWithoutConsole : public ::testing::Environment {
public:
    void SetUp() override
    {
        ::testing::UnitTest::GetInstance()->listeners().Append(new ResultsOnStandardError);
        ::FreeConsole();
    }
};

[[maybe_unused]] ::testing::Environment* const START =
    ::testing::AddGlobalTestEnvironment(new StartWithoutConsole);

}  // namespace
