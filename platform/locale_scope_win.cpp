#include "platform/locale_scope.h"

#include <locale.h>
#include <clocale>

// Windows' C runtime reads and writes numbers in the locale of the thread
// once the thread has a locale of its own: the guard gives the calling
// thread one, sets it to "C", and puts the thread's settings back after.
CLocaleScope::CLocaleScope() : m_savedMode(_configthreadlocale(_ENABLE_PER_THREAD_LOCALE))
{
    const char* current = std::setlocale(LC_ALL, nullptr);
    if (current != nullptr) {
        m_savedName = current;
    }
    std::setlocale(LC_ALL, "C");
}

CLocaleScope::~CLocaleScope()
{
    if (!m_savedName.empty()) {
        std::setlocale(LC_ALL, m_savedName.c_str());
    }
    _configthreadlocale(m_savedMode);
}
