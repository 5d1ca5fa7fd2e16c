// Basic integer and boolean types of the platform layer.
#pragma once

#include <cstdint>

using BOOL = int;  // the framework's boolean: nonzero means true
using UINT = unsigned int;
using ULONGLONG = std::uint64_t;
using LONGLONG = std::int64_t;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;
