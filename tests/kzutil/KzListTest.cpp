#include "Kzutil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <functional>
#include <iterator>
#include <limits>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace {

CKzList ListOf(const std::vector<double>& values)
{
    CKzList list;
    for (double v : values) list.Add(v);
    return list;
}

std::vector<double> ValuesOf(const CKzList& list)
{
    return list.GetSize() > 0 ? std::vector<double>(list.GetData(), list.GetData() + list.GetSize())
                              : std::vector<double>();
}

std::string Printed(const CKzList& list)
{
    testing::internal::CaptureStdout();
    list.Print();
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

} // namespace

// A long run of random edits, each applied to the list and to a vector that models it.
TEST(CKzList, EditsAgreeWithAVector)
{
    std::mt19937 random(18);
    CKzList list;
    std::vector<double> model;
    for (int step = 0; step < 3000; ++step) {
        const int size = static_cast<int>(model.size());
        const int i = std::uniform_int_distribution<int>(-1, size)(random);
        const bool legal = i >= 0 && i < size;
        const double v = step;
        bool expected = true;
        bool actual = false;
        switch (random() % 8) {
        case 0:
        case 1:
            actual = list.Add(v);
            model.push_back(v);
            break;
        case 2:
            actual = list.InsertAt(i, v);
            expected = legal;
            if (legal) model.insert(model.begin() + i, v);
            break;
        case 3:
            actual = list.RemoveAt(i);
            expected = legal;
            if (legal) model.erase(model.begin() + i);
            break;
        case 4: {
            const int n = std::uniform_int_distribution<int>(-1, size + 3)(random);
            actual = list.SetSize(n);
            expected = n > 0;
            model.resize(std::max(n, 0), 0.0);
            break;
        }
        case 5:
            if (size > 40) continue;
            actual = list.Append(list);
            model.reserve(2 * model.size());
            std::copy_n(model.begin(), size, std::back_inserter(model));
            break;
        case 6:
            actual = list.Append(CKzList(size % 3));
            model.resize(model.size() + size % 3, 0.0);
            break;
        default:
            actual = list.SetValue(i, v);
            expected = legal;
            if (legal) model[i] = v;
        }
        ASSERT_EQ(actual, expected) << "step " << step;
        ASSERT_EQ(ValuesOf(list), model) << "step " << step;
        ASSERT_EQ(list.IsEmpty(), model.empty());
        ASSERT_EQ(list.GetUpperBound(), static_cast<int>(model.size()) - 1);
        ASSERT_EQ(list[i], i >= 0 && i < static_cast<int>(model.size()) ? model[i] : 0.0);
        ASSERT_TRUE(CKzList(list) == list);
    }
}

TEST(CKzList, StatisticsAndSortsAgreeWithTheStandardAlgorithms)
{
    const std::vector<std::vector<double>> cases = {
        {}, {4}, {-3, -1}, {2, 5, 5, 1}, {0.5, -2, 7, 7, -2, 3.25}, {0.0, -0.0, -1}, {1e300, -1e300, 0},
    };
    for (const std::vector<double>& values : cases) {
        const CKzList list = ListOf(values);
        SCOPED_TRACE(values.size());
        if (values.empty()) {
            EXPECT_TRUE(std::isnan(list.GetAverage()));
            EXPECT_EQ(list.FindMaxValue(), 0);
            EXPECT_EQ(list.FindMinValue(), 0);
        } else {
            EXPECT_DOUBLE_EQ(list.GetAverage(), std::accumulate(values.begin(), values.end(), 0.0) / values.size());
            EXPECT_EQ(list.FindMaxValue(), std::max_element(values.begin(), values.end()) - values.begin());
            EXPECT_EQ(list.FindMinValue(), std::min_element(values.begin(), values.end()) - values.begin());
        }
        // Maximum and minimum count 0 in.
        EXPECT_EQ(list.GetMaxValue(), std::max(0.0, values.empty() ? 0.0 : *std::max_element(values.begin(), values.end())));
        EXPECT_EQ(list.GetMinValue(), std::min(0.0, values.empty() ? 0.0 : *std::min_element(values.begin(), values.end())));

        // Stable: 0.0 and -0.0 keep their order, which signbit tells apart.
        for (bool ascending : {true, false}) {
            std::vector<double> sorted = values;
            if (ascending) std::stable_sort(sorted.begin(), sorted.end());
            else std::stable_sort(sorted.begin(), sorted.end(), std::greater<>());
            CKzList copy = list;
            ascending ? copy.SortAscending() : copy.SortDescending();
            const std::vector<double> got = ValuesOf(copy);
            ASSERT_EQ(got, sorted);
            for (size_t i = 0; i < got.size(); ++i) EXPECT_EQ(std::signbit(got[i]), std::signbit(sorted[i]));
        }
    }
}

TEST(CKzList, SizesCopiesComparisonAndPrinting)
{
    CKzList three(3);
    EXPECT_EQ(ValuesOf(three), std::vector<double>({0, 0, 0}));
    EXPECT_FALSE(three.InsertAt(3, 1.0));
    EXPECT_TRUE(three.InsertAt(0, 1.0));
    EXPECT_EQ(ValuesOf(three), std::vector<double>({1, 0, 0, 0}));
    EXPECT_EQ(CKzList(-2).GetSize(), 0);
    EXPECT_FALSE(CKzList().SetSize(0));

    CKzList copy;
    copy = three;
    EXPECT_TRUE(copy == three);
    copy.SetValue(3, 2.0);
    EXPECT_FALSE(copy == three);
    EXPECT_FALSE(CKzList(2) == CKzList(3));
    // NaN compares neither less nor greater, so it equals anything.
    EXPECT_TRUE(ListOf({1, std::nan("")}) == ListOf({1, 5}));

    // Conversions to int saturate and NaN prints as 0.
    EXPECT_EQ(Printed(ListOf({1.9, -2.5, std::nan(""), 1e300, -1e300, 42})),
              " 1 -2  0 2147483647 -2147483648 42 \n");
    EXPECT_EQ(Printed(CKzList()), "");
}
