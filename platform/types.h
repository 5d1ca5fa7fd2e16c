// Basic integer and boolean types of the platform layer.
#pragma once

#include <cstdint>

using BOOL = int;  // the framework's boolean: nonzero means true
using UINT = unsigned int;
using ULONGLONG = std::uint64_t;
using LONGLONG = std::int64_t;

// The toolkit's headers define TRUE and FALSE as macros with the same values;
// then those serve.
#ifndef TRUE
constexpr BOOL TRUE = 1;
#endif
#ifndef FALSE
constexpr BOOL FALSE = 0;
#endif
