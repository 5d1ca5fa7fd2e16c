// Exact fast paths for the number syntax of the data files: reading "%g"
// into a 32-bit float and writing "%f" of a double, for the plain shapes
// that make up nearly every data file. Whatever they cannot decide with
// certainty they leave to the C runtime, and what they do decide is exactly
// what the C runtime would give in the "C" locale.
#pragma once

// White space as "%g" and strtod skip it in the "C" locale.
inline bool IsCSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// What a fast read found at the cursor.
enum class FastRead {
    number,  // a number of plain shape: `value` holds it, the cursor is past it
    none,    // certainly no number: "%g" would fail here
    unsure   // a shape left to the C runtime (inf, nan, hex, "1e", overlong ...)
};

// Reads one "%g" number at `cursor` (white space first, as "%g" skips it)
// into `value`, correctly rounded to a 32-bit float.
FastRead ReadPlainFloat(const char*& cursor, float& value);

// Longest text WritePlainFixed makes: sign, 10 integer digits, point, 6 decimals.
inline constexpr int PLAIN_FIXED_MAX = 18;

// Writes "%f" of `value` into `out` (no zero byte) when it lies in the range
// where the fast path is exact, and returns the length; returns 0 (writing
// nothing) for values the C runtime must format.
int WritePlainFixed(char* out, double value);
