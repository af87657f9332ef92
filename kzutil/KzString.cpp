#include "Kzutil.h"

#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

namespace {

int Length(const char* s)
{
    size_t n = std::strlen(s);
    return n > size_t(INT_MAX - 1) ? -1 : int(n);
}

} // namespace

CKzString::CKzString()
{
    Empty();
}

CKzString::CKzString(const char* s)
{
    Empty();
    if (s) Store(s, Length(s));
}

CKzString::CKzString(const CKzString& other)
{
    m_text = new char[size_t(other.m_length) + 1];
    std::memcpy(m_text, other.m_text, size_t(other.m_length) + 1);
    m_length = other.m_length;
    m_capacity = other.m_length + 1;
}

CKzString::~CKzString()
{
    m_length = 0;
    m_capacity = 0;
    delete[] m_text;
}

// Exact-fit store: reuses the buffer when it has room, never shrinks it.
bool CKzString::Store(const char* s, int n)
{
    if (n < 0) return false;
    if (m_capacity < n + 1) {
        char* text = new (std::nothrow) char[size_t(n) + 1];
        if (!text) return false;
        delete[] m_text;
        m_text = text;
        m_capacity = n + 1;
    }
    std::memmove(m_text, s, size_t(n));
    m_text[n] = '\0';
    m_length = n;
    return true;
}

const CKzString& CKzString::operator=(const CKzString& other)
{
    if (this != &other) Store(other.m_text, other.m_length);
    return *this;
}

const CKzString& CKzString::operator=(const char* s)
{
    if (s) Store(s, Length(s));
    return *this;
}

const CKzString& CKzString::operator=(char ch)
{
    const char text[2] = {ch, '\0'};
    Store(text, ch ? 1 : 0);
    return *this;
}

const CKzString& CKzString::operator=(int value)
{
    Format("%d", value);
    return *this;
}

const CKzString& CKzString::operator+=(const CKzString& s)
{
    if (this != &s) Strcat(m_text, s);
    return *this;
}

const CKzString& CKzString::operator+=(const char* s)
{
    // The copy keeps a pointer into our own text valid while the buffer is replaced.
    return *this += CKzString(s);
}

const CKzString& CKzString::operator+=(char ch)
{
    const char text[2] = {ch, '\0'};
    return *this += CKzString(text);
}

void CKzString::Empty()
{
    delete[] m_text;
    m_text = new char[1];
    m_text[0] = '\0';
    m_length = 0;
    m_capacity = 1;
}

char CKzString::GetAt(int i) const
{
    return i >= 0 && i < m_length ? m_text[i] : '\0';
}

bool CKzString::SetAt(int i, char ch)
{
    if (i < 0 || i >= m_length) return false;
    m_text[i] = ch;
    if (ch == '\0') m_length = i;
    return true;
}

bool CKzString::SetLength(int n)
{
    if (n < 0 || n >= m_length) return false;
    m_text[n] = '\0';
    m_length = n;
    m_capacity = n + 1;
    return true;
}

int CKzString::Find(char ch) const
{
    const void* hit = std::memchr(m_text, ch, size_t(m_length));
    return hit ? int(static_cast<const char*>(hit) - m_text) : -1;
}

int CKzString::Find(const char* s) const
{
    return s ? Find(CKzString(s)) : -1;
}

int CKzString::Find(const CKzString& s) const
{
    size_t at = std::string_view(m_text, size_t(m_length)).find(std::string_view(s.m_text, size_t(s.m_length)));
    return at == std::string_view::npos ? -1 : int(at);
}

bool CKzString::Mid(int pos)
{
    if (m_length == 0 || pos < 0 || pos >= m_length) return false;
    std::memmove(m_text, m_text + pos, size_t(m_length - pos) + 1);
    m_length -= pos;
    return true;
}

int CKzString::Format(const char* fmt, ...)
{
    if (!fmt) return -1;
    for (size_t size = 256;; size *= 2) {
        char* scratch = new (std::nothrow) char[size];
        if (!scratch) return -1;
        va_list args;
        va_start(args, fmt);
        int n = std::vsnprintf(scratch, size, fmt, args);
        va_end(args);
        if (n < 0) {
            delete[] scratch;
            return -1;
        }
        if (size_t(n) < size) {
            // Allocated before the old text goes, so a failure keeps the previous content.
            char* text = new (std::nothrow) char[size_t(n) + 1];
            if (text) std::memcpy(text, scratch, size_t(n) + 1);
            delete[] scratch;
            if (!text) return -1;
            delete[] m_text;
            m_text = text;
            m_length = n;
            m_capacity = n + 1;
            return n;
        }
        delete[] scratch;
        if (size > size_t(INT_MAX) / 2) return -1;
    }
}

int CKzString::Replace(char from, char to)
{
    int count = 0;
    for (int i = 0; i < m_length; ++i) {
        if (m_text[i] == from) {
            m_text[i] = to;
            ++count;
        }
    }
    if (to == '\0') m_length = int(std::strlen(m_text));
    return count;
}

// Matches are taken left to right from the original text, so inserted text is never searched
// again: the same result as rebuilding the string after each match, in one pass.
int CKzString::Replace(const char* find, const char* with)
{
    if (m_length == 0 || !find || !with || !*find) return 0;
    const std::string what(find), by(with);
    std::string_view text(m_text, size_t(m_length));
    std::string result;
    int count = 0;
    size_t pos = 0;
    for (size_t at; (at = text.find(what, pos)) != std::string_view::npos; pos = at + what.size()) {
        result.append(text.substr(pos, at - pos)).append(by);
        ++count;
    }
    if (count == 0) return 0;
    result.append(text.substr(pos));
    if (result.size() > size_t(INT_MAX - 1)) return 0;
    Empty();
    Store(result.data(), int(result.size()));
    return count;
}

bool CKzString::Remove(char ch)
{
    if (Find(ch) < 0) return false;
    int out = 0;
    for (int i = 0; i < m_length; ++i)
        if (m_text[i] != ch) m_text[out++] = m_text[i];
    m_text[out] = '\0';
    m_length = out;
    return true;
}

bool CKzString::RemoveSpace()
{
    if (m_length == 0) return false;
    Remove(' ');
    Remove('\t');
    return true;
}

void CKzString::Strcat(const char* a, const char* b)
{
    if (!a || !b) return;
    int la = Length(a), lb = Length(b);
    if (la < 0 || lb < 0 || la > INT_MAX - 1 - lb) return;
    char* text = new (std::nothrow) char[size_t(la) + size_t(lb) + 1];
    if (!text) return;
    std::memcpy(text, a, size_t(la));
    std::memcpy(text + la, b, size_t(lb) + 1);
    delete[] m_text;
    m_text = text;
    m_length = la + lb;
    m_capacity = la + lb + 1;
}

// ASCII only, whatever locale the program has set.
void CKzString::ToLower()
{
    for (int i = 0; i < m_length; ++i)
        if (m_text[i] >= 'A' && m_text[i] <= 'Z') m_text[i] = char(m_text[i] - 'A' + 'a');
}

void CKzString::ToUpper()
{
    for (int i = 0; i < m_length; ++i)
        if (m_text[i] >= 'a' && m_text[i] <= 'z') m_text[i] = char(m_text[i] - 'a' + 'A');
}

CKzString operator+(const CKzString& a, const CKzString& b)
{
    CKzString result;
    result.Strcat(a, b);
    return result;
}

CKzString operator+(const CKzString& a, const char* b)
{
    CKzString result;
    result.Strcat(a, b);
    return result;
}

CKzString operator+(const char* a, const CKzString& b)
{
    CKzString result;
    result.Strcat(a, b);
    return result;
}
