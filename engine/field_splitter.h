// CFieldSplitter: cuts one line into fields at a delimiter character.
#pragma once

#include "platform/cstring.h"

class CFieldSplitter {
public:
    CFieldSplitter() = default;
    virtual ~CFieldSplitter() = default;

    // Stores the fields of `line` cut at `delimiter` into fields[0..n-1] and
    // returns n, the smaller of the field count and `capacity`. Elements from
    // n on keep what they held. A delimiter at the very end opens no field.
    // The caller's line is only read: it may even be one of the fields, and
    // is then cut as it was before the call.
    int Split(const CString& line, char delimiter, CString* fields, int capacity);
};
