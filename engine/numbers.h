// Reading and writing the numbers of the data files. Every number the
// converters read or write passes through here, so the conversions have one
// definition of number syntax and output text: that of the C runtime's
// "%d", "%g" and "%f" in the "C" locale, whatever locale the process uses.
// Where C runtimes disagree (the sign of a NaN, a hexadecimal number without
// digits, the words atof reads), glibc's reading and writing is made on
// every system, so a file converts to the same bytes everywhere.
// No function allocates.
#pragma once

#include <cstddef>

// Room for any line that FormatNumberLine makes: three "%f" doubles of up to
// 317 characters each, two separators, the line feed and the zero byte.
inline constexpr std::size_t NUMBER_LINE_CAPACITY = 1024;

// Reads one "%g" number from the start of `text` into `value`, rounded to a
// 32-bit float. Returns false and leaves `value` alone when none can be read.
bool ParseFloat(const char* text, float& value);

// Reads "%g %g %g" from `text`: up to three numbers separated by any run of
// white space (or none). Stores only the numbers read, in order, stopping at
// the first that cannot be read; returns how many were stored (0 to 3).
int ParseFloatTriple(const char* text, float& first, float& second, float& third);

// Reads one "%d" count from the start of `text`. A value beyond the range of
// int is clamped to INT_MIN or INT_MAX. Returns false and leaves `count`
// alone when no number can be read.
bool ParseCount(const char* text, int& count);

// How the numbers of an output line are written.
enum class NumberForm {
    fixed,      // "%f": six decimals, so values below 0.0000005 come out as zero
    scientific  // "%.6e": seven significant digits and an exponent of at least two digits
};

// Formats "%f<separator>%f<separator>%f\n" into `buffer` and returns the
// length of the text, or -1 (and an empty buffer) when `capacity` is too
// small; NUMBER_LINE_CAPACITY always suffices.
int FormatNumberLine(char* buffer, std::size_t capacity, char separator, double first, double second,
                     double third);

// The same in the form `form`: "%.6e<separator>%.6e<separator>%.6e\n" for
// the scientific one.
int FormatNumberLine(char* buffer, std::size_t capacity, char separator, NumberForm form, double first,
                     double second, double third);

// Reads a double from the start of `text` as strtod does in the "C" locale
// (white space, a sign, decimal or "0x" hexadecimal digits, "inf", "nan");
// 0 when there is no number. What atof gives with glibc, on every system.
double ParseDouble(const char* text);

// The same, and `end` is set just past the number read, or to `text` when
// there is none, as strtod sets its end pointer.
double ParseDouble(const char* text, const char*& end);

// Formats "%f" of `value` into `buffer` and returns the length of the text,
// or -1 (and an empty buffer) when `capacity` is too small.
int FormatFixed(char* buffer, std::size_t capacity, double value);

// Formats "%.6e" of `value` into `buffer`, as glibc writes it: "1.234568e-10",
// "-0.000000e+00", an exponent of at least two digits (where some C runtimes
// write three), and the spellings of FormatFixed for infinities and NaN.
// Returns the length, or -1 (and an empty buffer) when `capacity` is too small.
int FormatScientific(char* buffer, std::size_t capacity, double value);
