#include "Kzutil.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

CKzMatrix::CKzMatrix()
{
    Assign(1, 1, nullptr, 0, 0);
}

CKzMatrix::CKzMatrix(int x, int y)
{
    Assign(x, y, nullptr, 0, 0);
}

CKzMatrix::CKzMatrix(const CKzMatrix& other)
{
    Assign(other.m_xSize, other.m_ySize, other.m_cells, other.m_xSize, other.m_ySize);
}

CKzMatrix& CKzMatrix::operator=(const CKzMatrix& other)
{
    if (&other != this && !Assign(other.m_xSize, other.m_ySize, other.m_cells, other.m_xSize, other.m_ySize))
        Assign(0, 0, nullptr, 0, 0);
    return *this;
}

CKzMatrix::~CKzMatrix()
{
    std::free(m_cells);
}

// Makes the grid x by y (empty for a side <= 0) with the cells that 'from' (fromX by fromY) has
// in common with it and zeros elsewhere. Unchanged when the grid cannot be allocated.
bool CKzMatrix::Assign(int x, int y, const int* from, int fromX, int fromY)
{
    if (x <= 0 || y <= 0) x = y = 0;
    const long long count = static_cast<long long>(x) * y;
    if (count > INT_MAX) return false;
    int* cells = nullptr;
    if (count > 0) {
        cells = static_cast<int*>(std::calloc(static_cast<size_t>(count), sizeof(int)));
        if (!cells) return false;
        const int rows = std::min(x, fromX);
        const int columns = std::min(y, fromY);
        for (int r = 0; from && r < rows; ++r)
            std::copy_n(from + static_cast<size_t>(r) * fromY, columns, cells + static_cast<size_t>(r) * y);
    }
    std::free(m_cells);
    m_cells = cells;
    m_xSize = x;
    m_ySize = y;
    return true;
}

bool CKzMatrix::SetCell(int x, int y, int v)
{
    if (!IsLegalCell(x, y) || !IsLegalValue(v)) return false;
    m_cells[static_cast<size_t>(x) * m_ySize + y] = v;
    return true;
}

bool CKzMatrix::GetCell(int x, int y, int* v) const
{
    if (!v || !IsLegalCell(x, y)) return false;
    *v = m_cells[static_cast<size_t>(x) * m_ySize + y];
    return true;
}

bool CKzMatrix::SetAllCells(int v)
{
    if (!IsLegalValue(v)) return false;
    std::fill_n(m_cells, GetNumberOfCells(), v);
    return true;
}

void CKzMatrix::Clear()
{
    std::fill_n(m_cells, GetNumberOfCells(), 0);
}

bool CKzMatrix::ResizeTo(int x, int y)
{
    return Assign(x, y, m_cells, m_xSize, m_ySize);
}

bool CKzMatrix::IsLegalCell(int x, int y) const
{
    return x >= 0 && x < m_xSize && y >= 0 && y < m_ySize;
}

bool CKzMatrix::IsLegalValue(int v) const
{
    return v >= m_minValue && v <= m_maxValue;
}

// At most INT_MAX cells of at most 2^24 each: the sum fits 64 bits.
long CKzMatrix::GetSummOfCells() const
{
    long sum = 0;
    for (int i = 0; i < GetNumberOfCells(); ++i) sum += m_cells[i];
    return sum;
}

bool CKzMatrix::CalculateAvarageOfCells(int* avg) const
{
    if (!avg || GetNumberOfCells() <= 0) return false;
    *avg = static_cast<int>(GetSummOfCells() / GetNumberOfCells());
    return true;
}

bool CKzMatrix::CalculateAvarageOfCells(double* avg) const
{
    if (!avg || GetNumberOfCells() <= 0) return false;
    *avg = static_cast<double>(GetSummOfCells()) / GetNumberOfCells();
    return true;
}

int CKzMatrix::GetNumberOfCellWithValue(int v) const
{
    if (!IsLegalValue(v)) return -1;
    return static_cast<int>(std::count(m_cells, m_cells + GetNumberOfCells(), v));
}

int CKzMatrix::GetNumberOfCells() const { return m_xSize * m_ySize; }
int CKzMatrix::GetMatrixXSize() const { return m_xSize; }
int CKzMatrix::GetMatrixYSize() const { return m_ySize; }
