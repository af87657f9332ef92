#include "Kzutil.h"

#include <climits>
#include <cstring>
#include <new>

CKzCmdLine::CKzCmdLine(const CKzCmdLine& other)
{
    *this = other;
}

CKzCmdLine& CKzCmdLine::operator=(const CKzCmdLine& other)
{
    if (this == &other) return *this;
    Release();
    if (other.m_size == 0) return *this;
    m_buffer = new char[size_t(other.m_size)];
    std::memcpy(m_buffer, other.m_buffer, size_t(other.m_size));
    m_starts = new int[size_t(other.m_count)];
    std::memcpy(m_starts, other.m_starts, sizeof(int) * size_t(other.m_count));
    m_size = other.m_size;
    m_count = other.m_count;
    return *this;
}

CKzCmdLine::~CKzCmdLine()
{
    Release();
}

void CKzCmdLine::Release()
{
    delete[] m_buffer;
    delete[] m_starts;
    m_buffer = nullptr;
    m_starts = nullptr;
    m_count = 0;
    m_size = 0;
}

bool CKzCmdLine::Parse(const char* text)
{
    Release();
    if (!text) return false;
    if (!*text) return true;
    size_t length = std::strlen(text);
    if (length >= size_t(INT_MAX)) return false;
    int size = int(length) + 1;
    m_buffer = new (std::nothrow) char[size_t(size)];
    if (!m_buffer) return false;
    std::memcpy(m_buffer, text, size_t(size));

    bool quoted = false;
    int count = 0;
    for (int i = 0; i < size; ++i) {
        char& c = m_buffer[i];
        if (c == '"') {
            quoted = !quoted;
            c = '\0';
        } else if ((c == ' ' || c == '\t') && !quoted) {
            c = '\0';
        }
        if (c != '\0' && (i == 0 || m_buffer[i - 1] == '\0')) ++count;
    }
    if (count == 0) {
        Release();
        return false;
    }
    m_starts = new (std::nothrow) int[size_t(count)];
    if (!m_starts) {
        Release();
        return false;
    }
    int n = 0;
    for (int i = 0; i < size; ++i)
        if (m_buffer[i] != '\0' && (i == 0 || m_buffer[i - 1] == '\0')) m_starts[n++] = i;
    m_count = count;
    m_size = size;
    return true;
}

const char* CKzCmdLine::GetArg(int index) const
{
    return index >= 0 && index < m_count ? m_buffer + m_starts[index] : "";
}
