// The field splitter of the impedance converter.
#include "engine/field_splitter.h"

#include <string_view>

int CFieldSplitter::Split(CString line, char delimiter, CString* fields, int capacity)
{
    // Each field is cut as soon as the delimiter that ends it is found, and
    // the scan stops once `capacity` fields are stored. No table of
    // positions is kept, so neither the line length nor the number of
    // delimiters is bounded.
    if (capacity <= 0) return 0;
    const std::string_view text = line.view();
    int stored = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != delimiter) continue;
        fields[stored++] = CString(text.substr(start, i - start));
        if (stored == capacity) return stored;
        start = i + 1;
    }
    // The text after the last delimiter is a field unless it is empty
    // because the line ends with the delimiter; an empty line is one empty field.
    if (text.empty() || text.back() != delimiter) fields[stored++] = CString(text.substr(start));
    return stored;
}
