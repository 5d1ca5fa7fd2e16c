#include "engine/row_file_sink.h"

#include "engine/numbers.h"

void CRowFileSink::Begin(RowKind kind)
{
    m_separator = kind == RowKind::impedance ? ' ' : ',';
}

void CRowFileSink::Row(double first, double second, double third)
{
    char text[NUMBER_LINE_CAPACITY];
    FormatNumberLine(text, sizeof text, m_separator, first, second, third);
    m_output.WriteText(text);
}
