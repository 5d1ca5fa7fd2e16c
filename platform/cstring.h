// CString: the 8-bit string with value semantics that every path, line and
// field of the program is held in. A thin layer over std::string with the
// operations the converters and the batch code rely on.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/types.h"

class CString {
public:
    CString() = default;
    CString(const char* text);  // NOLINT: implicit, as text literals convert freely
    CString(const char* text, int length);
    CString(std::string text) : m_text(std::move(text)) {}  // NOLINT
    CString(std::string_view text) : m_text(text) {}        // NOLINT

    CString& operator=(const char* text);
    // Replaces the content with `length` characters from `text`, reusing the
    // storage: the cheap way to refill a string over and over.
    void SetString(const char* text, int length)
    {
        const auto count = static_cast<std::size_t>(length);
        if (std::less_equal<const char*>()(m_text.data(), text) &&
            std::less_equal<const char*>()(text, m_text.data() + m_text.size())) {
            m_text.assign(text, count);  // a part of this string itself
            return;
        }
        m_text.clear();
        m_text.append(text, count);
    }

    int GetLength() const { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }

    // Zero-terminated view of the content.
    const char* c_str() const { return m_text.c_str(); }
    operator const char*() const { return m_text.c_str(); }  // NOLINT
    const std::string& str() const { return m_text; }
    std::string_view view() const { return m_text; }

    char GetAt(int index) const { return m_text[static_cast<std::size_t>(index)]; }
    char operator[](int index) const { return GetAt(index); }

    CString& operator+=(const CString& other);
    CString& operator+=(const char* text);
    CString& operator+=(char ch);

    // Replaces the whole content with printf-formatted text. With MinGW the
    // C++ runtime's vsnprintf is the C99 one (%zu and the rest), which the
    // compiler checks as gnu_printf; its plain printf means Microsoft's.
#ifdef __MINGW32__
    void Format(const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));
#else
    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
#endif

    // First index of `sub` at or after `start`, or -1. Exact byte match.
    int Find(const char* sub, int start = 0) const;
    int Find(char ch, int start = 0) const;
    // Last index of `ch`, or -1.
    int ReverseFind(char ch) const;
    // Removes `count` characters at `index`; returns the new length.
    int Delete(int index, int count = 1);
    CString Left(int count) const;
    CString Mid(int first, int count) const;
    CString Mid(int first) const;

    // Replaces the content with string resource `id`; empty and FALSE when missing.
    BOOL LoadString(UINT id);

    // Buffer access for readers that fill the storage directly: room for at
    // least `minLength` characters plus a zero, content kept.
    char* GetBuffer(int minLength);
    // Ends direct access: -1 takes the length from the zero-terminated content.
    void ReleaseBuffer(int newLength = -1);

    friend bool operator==(const CString& a, const CString& b)
    {
        return a.m_text == b.m_text;
    }
    friend bool operator==(const CString& a, const char* b)
    {
        return a.m_text == b;
    }

private:
    std::string m_text;
};

CString operator+(const CString& a, const CString& b);
CString operator+(const CString& a, const char* b);
CString operator+(const char* a, const CString& b);

// One entry of the program's string table.
struct StringResource {
    UINT id;
    const char* text;
};

// Makes `table` (terminated by an entry with a null text) the string table
// that CString::LoadString reads. The table must outlive its use.
void SetStringTable(const StringResource* table);
