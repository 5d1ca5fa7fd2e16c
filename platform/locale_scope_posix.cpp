#include "platform/locale_scope.h"

#include <locale.h>
#include <clocale>

namespace {

locale_t CLocale()
{
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

}  // namespace

CLocaleScope::CLocaleScope() : m_savedLocale(uselocale(CLocale())) {}

CLocaleScope::~CLocaleScope()
{
    uselocale(static_cast<locale_t>(m_savedLocale));
}
