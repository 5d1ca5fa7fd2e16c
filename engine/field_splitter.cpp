// The field splitter of the impedance converter.
#include "engine/field_splitter.h"

#include <cstring>

int CFieldSplitter::Split(CString line, char delimiter, CString* fields, int capacity)
{
    // Each field is cut as soon as the delimiter that ends it is found, and
    // the scan stops once `capacity` fields are stored. No table of
    // positions is kept, so neither the line length nor the number of
    // delimiters is bounded. Fields are refilled in place: the caller's
    // array keeps its storage from one row to the next.
    if (capacity <= 0) return 0;
    const char* start = line.c_str();
    const char* const end = start + line.GetLength();
    int stored = 0;
    while (const void* found = std::memchr(start, delimiter, static_cast<std::size_t>(end - start))) {
        const char* cut = static_cast<const char*>(found);
        fields[stored++].SetString(start, static_cast<int>(cut - start));
        if (stored == capacity) return stored;
        start = cut + 1;
    }
    // The text after the last delimiter is a field unless it is empty
    // because the line ends with the delimiter; an empty line is one empty field.
    if (line.IsEmpty() || end[-1] != delimiter)
        fields[stored++].SetString(start, static_cast<int>(end - start));
    return stored;
}
