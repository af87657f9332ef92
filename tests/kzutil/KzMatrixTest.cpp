#include "Kzutil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <iterator>
#include <random>
#include <vector>

namespace {

using Grid = std::vector<std::vector<int>>; // rows of columns

constexpr int kLargest = 16777215;

Grid Resized(const Grid& grid, int x, int y)
{
    if (x <= 0 || y <= 0) return {};
    Grid resized(x, std::vector<int>(y, 0));
    for (int r = 0; r < std::min(x, int(grid.size())); ++r)
        for (int c = 0; c < std::min(y, int(grid[r].size())); ++c) resized[r][c] = grid[r][c];
    return resized;
}

// Every cell, the sizes and the statistics of the matrix against the grid.
void ExpectSame(const CKzMatrix& matrix, const Grid& grid)
{
    const int x = static_cast<int>(grid.size());
    const int y = x ? static_cast<int>(grid[0].size()) : 0;
    ASSERT_EQ(matrix.GetMatrixXSize(), x);
    ASSERT_EQ(matrix.GetMatrixYSize(), y);
    ASSERT_EQ(matrix.GetNumberOfCells(), x * y);
    long long sum = 0;
    for (int r = -1; r <= x; ++r) {
        for (int c = -1; c <= y; ++c) {
            int v = INT_MIN;
            const bool inside = r >= 0 && r < x && c >= 0 && c < y;
            ASSERT_EQ(matrix.GetCell(r, c, &v), inside);
            if (!inside) continue;
            ASSERT_EQ(v, grid[r][c]);
            sum += v;
        }
    }
    EXPECT_EQ(matrix.GetSummOfCells(), sum);
    int average = INT_MIN;
    double exact = 0;
    ASSERT_EQ(matrix.CalculateAvarageOfCells(&average), x * y > 0);
    ASSERT_EQ(matrix.CalculateAvarageOfCells(&exact), x * y > 0);
    if (x * y > 0) {
        EXPECT_EQ(average, sum / (std::int64_t(x) * y));
        EXPECT_DOUBLE_EQ(exact, static_cast<double>(sum) / (x * y));
    }
    const int probe = x * y > 0 ? grid[0][0] : 0;
    int count = 0;
    for (const auto& row : grid) count += static_cast<int>(std::count(row.begin(), row.end(), probe));
    EXPECT_EQ(matrix.GetNumberOfCellWithValue(probe), count);
}

} // namespace

// Random edits and resizes, each applied to the matrix and to a grid of vectors.
TEST(CKzMatrix, EditsAndResizesAgreeWithAGrid)
{
    std::mt19937 random(18);
    CKzMatrix matrix(2, 3);
    Grid grid = Resized({}, 2, 3);
    const int values[] = {0, 1, -7, kLargest, -kLargest, kLargest + 1, -kLargest - 1, INT_MIN};
    for (int step = 0; step < 400; ++step) {
        const int x = static_cast<int>(grid.size());
        const int y = x ? static_cast<int>(grid[0].size()) : 0;
        const int r = std::uniform_int_distribution<int>(-1, x)(random);
        const int c = std::uniform_int_distribution<int>(-1, y)(random);
        const int v = values[random() % std::size(values)];
        const bool legalValue = v >= -kLargest && v <= kLargest;
        switch (random() % 6) {
        case 0:
        case 1: {
            const bool legal = legalValue && r >= 0 && r < x && c >= 0 && c < y;
            ASSERT_EQ(matrix.SetCell(r, c, v), legal);
            if (legal) grid[r][c] = v;
            break;
        }
        case 2: {
            const int nx = std::uniform_int_distribution<int>(-1, 6)(random);
            const int ny = std::uniform_int_distribution<int>(-1, 6)(random);
            ASSERT_TRUE(matrix.ResizeTo(nx, ny));
            grid = Resized(grid, nx, ny);
            break;
        }
        case 3:
            ASSERT_EQ(matrix.SetAllCells(v), legalValue);
            if (legalValue)
                for (auto& row : grid) std::fill(row.begin(), row.end(), v);
            break;
        case 4:
            matrix.Clear();
            for (auto& row : grid) std::fill(row.begin(), row.end(), 0);
            break;
        default: {
            CKzMatrix copy(matrix);
            matrix = CKzMatrix(1, 1);
            matrix = copy;
        }
        }
        ASSERT_NO_FATAL_FAILURE(ExpectSame(matrix, grid)) << "step " << step;
    }
}

TEST(CKzMatrix, SizesLimitsAndLargeSums)
{
    CKzMatrix matrix(2, 3);
    EXPECT_FALSE(matrix.SetCell(1, 2, kLargest + 1));
    EXPECT_EQ(matrix.GetNumberOfCells(), 6);
    EXPECT_EQ(matrix.GetNumberOfCellWithValue(kLargest + 1), -1);
    EXPECT_FALSE(matrix.GetCell(0, 0, nullptr));
    EXPECT_EQ(CKzMatrix().GetNumberOfCells(), 1);
    EXPECT_EQ(CKzMatrix(0, 5).GetMatrixYSize(), 0);

    // A grid that cannot exist leaves the matrix as it was.
    ASSERT_TRUE(matrix.SetCell(1, 2, 9));
    EXPECT_FALSE(matrix.ResizeTo(INT_MAX, INT_MAX));
    EXPECT_FALSE(matrix.ResizeTo(65536, 65536));
    EXPECT_EQ(CKzMatrix(65536, 65536).GetNumberOfCells(), 0);
    int v = 0;
    EXPECT_TRUE(matrix.GetCell(1, 2, &v));
    EXPECT_EQ(v, 9);

    // Sums beyond 32 bits.
    CKzMatrix big(1000, 1000);
    ASSERT_TRUE(big.SetAllCells(kLargest));
    EXPECT_EQ(big.GetSummOfCells(), 1000000L * kLargest);
    int average = 0;
    ASSERT_TRUE(big.CalculateAvarageOfCells(&average));
    EXPECT_EQ(average, kLargest);
}
