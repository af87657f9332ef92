#include "KzNumber.h"
#include "Kzutil.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>

CKzList::CKzList(int n)
{
    SetSize(n);
}

CKzList::CKzList(const CKzList& other)
{
    *this = other;
}

CKzList& CKzList::operator=(const CKzList& other)
{
    if (&other == this) return *this;
    Empty();
    if (other.m_count > 0 && Reallocate(other.m_count))
        std::memcpy(m_values, other.m_values, sizeof(double) * static_cast<size_t>(m_count));
    return *this;
}

CKzList::~CKzList()
{
    std::free(m_values);
}

// Grows or shrinks the array to n > 0 values; new values are not set. Unchanged on failure.
bool CKzList::Reallocate(int n)
{
    void* grown = std::realloc(m_values, sizeof(double) * static_cast<size_t>(n));
    if (!grown) return false;
    m_values = static_cast<double*>(grown);
    m_count = n;
    return true;
}

bool CKzList::operator==(const CKzList& other) const
{
    if (m_count != other.m_count) return false;
    for (int i = 0; i < m_count; ++i)
        if (m_values[i] < other.m_values[i] || m_values[i] > other.m_values[i]) return false;
    return true;
}

double CKzList::operator[](int i) const { return GetValue(i); }
double CKzList::GetValue(int i) const { return IsLegalIndex(i) ? m_values[i] : 0.0; }

bool CKzList::SetValue(int i, double v)
{
    if (!IsLegalIndex(i)) return false;
    m_values[i] = v;
    return true;
}

int CKzList::GetSize() const { return m_count; }
int CKzList::GetUpperBound() const { return m_count - 1; }
const double* CKzList::GetData() const { return m_values; }
bool CKzList::IsEmpty() const { return m_count <= 0; }
bool CKzList::IsLegalIndex(int i) const { return m_values && i >= 0 && i < m_count; }

bool CKzList::SetSize(int n)
{
    if (n <= 0) {
        Empty();
        return false;
    }
    const int old = m_count;
    if (!Reallocate(n)) return false;
    for (int i = old; i < n; ++i) m_values[i] = 0.0;
    return true;
}

bool CKzList::Add(double v)
{
    if (m_count == INT_MAX || !Reallocate(m_count + 1)) return false;
    m_values[m_count - 1] = v;
    return true;
}

bool CKzList::Append(const CKzList& other)
{
    const int added = other.m_count;
    if (added <= 0) return true;
    if (m_count > INT_MAX - added) return false;
    const int old = m_count;
    if (!Reallocate(old + added)) return false;
    // Read only now: when other is this list, its values have moved with the reallocation.
    std::memcpy(m_values + old, other.m_values, sizeof(double) * static_cast<size_t>(added));
    return true;
}

bool CKzList::InsertAt(int i, double v)
{
    if (!IsLegalIndex(i) || m_count == INT_MAX || !Reallocate(m_count + 1)) return false;
    std::memmove(m_values + i + 1, m_values + i, sizeof(double) * static_cast<size_t>(m_count - 1 - i));
    m_values[i] = v;
    return true;
}

bool CKzList::RemoveAt(int i)
{
    if (!IsLegalIndex(i)) return false;
    if (m_count == 1) {
        Empty();
        return true;
    }
    std::memmove(m_values + i, m_values + i + 1, sizeof(double) * static_cast<size_t>(m_count - 1 - i));
    // A shrink that cannot be done in place keeps the larger block.
    if (!Reallocate(m_count - 1)) --m_count;
    return true;
}

void CKzList::Empty()
{
    std::free(m_values);
    m_values = nullptr;
    m_count = 0;
}

double CKzList::GetAverage() const
{
    if (m_count <= 0) return std::numeric_limits<double>::quiet_NaN();
    double sum = 0.0;
    for (int i = 0; i < m_count; ++i) sum += m_values[i];
    return sum / m_count;
}

int CKzList::FindMaxValue() const
{
    int found = 0;
    for (int i = 1; i < m_count; ++i)
        if (m_values[i] > m_values[found]) found = i;
    return found;
}

int CKzList::FindMinValue() const
{
    int found = 0;
    for (int i = 1; i < m_count; ++i)
        if (m_values[i] < m_values[found]) found = i;
    return found;
}

double CKzList::GetMaxValue() const
{
    double found = 0.0;
    for (int i = 0; i < m_count; ++i)
        if (m_values[i] > found) found = m_values[i];
    return found;
}

double CKzList::GetMinValue() const
{
    double found = 0.0;
    for (int i = 0; i < m_count; ++i)
        if (m_values[i] < found) found = m_values[i];
    return found;
}

// At most count passes over adjacent pairs, exchanging those strictly out of order; a pass that
// exchanges nothing ends the sort early.
template <typename OutOfOrder>
void CKzList::ExchangeSort(OutOfOrder outOfOrder)
{
    bool exchanged = true;
    for (int pass = 0; pass < m_count && exchanged; ++pass) {
        exchanged = false;
        for (int i = 0; i + 1 < m_count; ++i) {
            if (outOfOrder(m_values[i], m_values[i + 1])) {
                std::swap(m_values[i], m_values[i + 1]);
                exchanged = true;
            }
        }
    }
}

void CKzList::SortAscending()
{
    ExchangeSort([](double a, double b) { return a > b; });
}

void CKzList::SortDescending()
{
    ExchangeSort([](double a, double b) { return a < b; });
}

void CKzList::Print() const
{
    if (m_count <= 0) return;
    for (int i = 0; i < m_count; ++i) std::printf("%2d ", kznumber::ToInt(m_values[i]));
    std::printf("\n");
}
