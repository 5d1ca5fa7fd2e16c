// Numbers read and written through the C runtime must not follow the
// process locale: a toolkit that sets a locale with a decimal comma would
// otherwise change what the files read and what the outputs say.
#pragma once

#include <string>

// Makes the "C" locale the calling thread's locale for the guard's lifetime
// and puts the thread's own settings back after, also when an exception passes.
class CLocaleScope {
public:
    CLocaleScope();
    ~CLocaleScope();
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    // What each system needs to restore the thread's settings: the previous
    // per-thread locale object on POSIX systems; on Windows the thread-locale
    // mode and the name of the locale that was in force.
    [[maybe_unused]] void* m_savedLocale = nullptr;
    [[maybe_unused]] int m_savedMode = 0;
    [[maybe_unused]] std::string m_savedName;
};
