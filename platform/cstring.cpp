#include "platform/cstring.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

const StringResource* g_stringTable = nullptr;

}  // namespace

CString::CString(const char* text) : m_text(text != nullptr ? text : "") {}

CString::CString(const char* text, int length) : m_text(text, static_cast<std::size_t>(length)) {}

CString& CString::operator=(const char* text)
{
    m_text = text != nullptr ? text : "";
    return *this;
}

CString& CString::operator+=(const CString& other)
{
    m_text += other.m_text;
    return *this;
}

CString& CString::operator+=(const char* text)
{
    m_text += text;
    return *this;
}

CString& CString::operator+=(char ch)
{
    m_text += ch;
    return *this;
}

void CString::Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    char small[256];
    int length = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (length < 0) {
        m_text.clear();
    } else if (static_cast<std::size_t>(length) < sizeof small) {
        m_text.assign(small, static_cast<std::size_t>(length));
    } else {
        m_text.resize(static_cast<std::size_t>(length));
        std::vsnprintf(m_text.data(), m_text.size() + 1, format, again);
    }
    va_end(again);
}

int CString::Find(const char* sub, int start) const
{
    if (start < 0 || start > GetLength()) {
        return -1;
    }
    std::size_t at = m_text.find(sub, static_cast<std::size_t>(start));
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::Find(char ch, int start) const
{
    if (start < 0 || start > GetLength()) {
        return -1;
    }
    std::size_t at = m_text.find(ch, static_cast<std::size_t>(start));
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::ReverseFind(char ch) const
{
    std::size_t at = m_text.rfind(ch);
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::Delete(int index, int count)
{
    if (index < 0) {
        index = 0;
    }
    if (count > 0 && index < GetLength()) {
        m_text.erase(static_cast<std::size_t>(index), static_cast<std::size_t>(count));
    }
    return GetLength();
}

CString CString::Left(int count) const
{
    if (count <= 0) {
        return CString();
    }
    return CString(m_text.substr(0, static_cast<std::size_t>(count)));
}

CString CString::Mid(int first, int count) const
{
    if (first < 0) {
        first = 0;
    }
    if (count <= 0 || first >= GetLength()) {
        return CString();
    }
    return CString(m_text.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(count)));
}

CString CString::Mid(int first) const
{
    return Mid(first, GetLength());
}

BOOL CString::LoadString(UINT id)
{
    m_text.clear();
    for (const StringResource* entry = g_stringTable; entry != nullptr && entry->text != nullptr; ++entry) {
        if (entry->id == id) {
            m_text = entry->text;
            return m_text.empty() ? FALSE : TRUE;
        }
    }
    return FALSE;
}

char* CString::GetBuffer(int minLength)
{
    if (minLength > GetLength()) {
        m_text.resize(static_cast<std::size_t>(minLength));
    }
    return m_text.data();
}

void CString::ReleaseBuffer(int newLength)
{
    if (newLength < 0) {
        newLength = static_cast<int>(std::strlen(m_text.c_str()));
    }
    m_text.resize(static_cast<std::size_t>(newLength));
}

CString operator+(const CString& a, const CString& b)
{
    return CString(a.str() + b.str());
}

CString operator+(const CString& a, const char* b)
{
    return CString(a.str() + b);
}

CString operator+(const char* a, const CString& b)
{
    return CString(a + b.str());
}

void SetStringTable(const StringResource* table)
{
    g_stringTable = table;
}
