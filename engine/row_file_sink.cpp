#include "engine/row_file_sink.h"

#include <cmath>

#include "engine/numbers_fast.h"

namespace {

// Fewer significant digits than this, and a value counts as mostly lost.
constexpr int FEW_DIGITS = 3;
constexpr int FIXED_DECIMALS = 6;

}  // namespace

int SignificantDigitsKept(const char* fixedText)
{
    const char* p = fixedText;
    if (*p == '-') {
        ++p;
    }
    if (p[0] != '0' || p[1] != '.') {
        return FIXED_DECIMALS + 1;  // a non-zero whole part and six decimals: at least seven
    }
    for (int i = 0; i < FIXED_DECIMALS; ++i) {
        if (p[2 + i] != '0') {
            return FIXED_DECIMALS - i;
        }
    }
    return 0;
}

void CRowFileSink::Begin(RowKind kind)
{
    m_separator = kind == RowKind::impedance ? ' ' : ',';
}

int CRowFileSink::Put(char* text, std::size_t capacity, double value)
{
    if (m_form == NumberForm::scientific) {
        // Seven significant digits for every value: nothing small is lost.
        if (value != 0 && std::isfinite(value)) {
            ++m_report.nonZeroValues;
        }
        return FormatScientific(text, capacity, value);
    }
    // The plain shapes straight into the line; the rest through FormatFixed.
    int length = capacity > PLAIN_FIXED_MAX ? WritePlainFixed(text, value) : 0;
    if (length > 0) {
        text[length] = '\0';
    } else {
        length = FormatFixed(text, capacity, value);
    }
    if (length > 0 && value != 0 && std::isfinite(value)) {
        ++m_report.nonZeroValues;
        const int kept = SignificantDigitsKept(text);
        if (kept == 0) {
            ++m_report.zeroedValues;
        } else if (kept < FEW_DIGITS) {
            ++m_report.fewDigitValues;
        }
    }
    return length;
}

void CRowFileSink::Row(double first, double second, double third)
{
    char text[NUMBER_LINE_CAPACITY];
    const double values[3] = {first, second, third};
    std::size_t used = 0;
    for (int i = 0; i < 3; ++i) {
        // NUMBER_LINE_CAPACITY holds three of the widest numbers and the separators.
        used += static_cast<std::size_t>(Put(text + used, sizeof text - used, values[i]));
        text[used++] = i < 2 ? m_separator : '\n';
    }
    text[used] = '\0';
    m_output.WriteText(text);
}
