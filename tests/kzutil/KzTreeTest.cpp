#include "Kzutil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

// The tree as a parent index per node, with the cursor rules written out plainly.
struct Reference {
    std::vector<int> parent = {-1};
    std::vector<double> value = {0};
    int current = 0;

    std::vector<int> Children(int n) const
    {
        std::vector<int> children;
        for (int i = 0; i < static_cast<int>(parent.size()); ++i)
            if (parent[i] == n) children.push_back(i);
        return children;
    }
    int Depth(int n) const { return n == 0 ? 0 : 1 + Depth(parent[n]); }
    std::vector<int> AtDepth(int d) const
    {
        std::vector<int> nodes;
        for (int i = 0; i < static_cast<int>(parent.size()); ++i)
            if (Depth(i) == d) nodes.push_back(i);
        return nodes;
    }
    // Moves to the k-th of the nodes when there is one.
    bool MoveTo(const std::vector<int>& nodes, int k)
    {
        if (k < 0 || k >= static_cast<int>(nodes.size())) return false;
        current = nodes[k];
        return true;
    }
    int IndexAmongSiblings() const
    {
        const std::vector<int> siblings = Children(parent[current]);
        return static_cast<int>(std::find(siblings.begin(), siblings.end(), current) - siblings.begin());
    }
};

std::string Captured(const std::function<void()>& print)
{
    testing::internal::CaptureStdout();
    print();
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

std::vector<int> Values(CKzTree& tree)
{
    std::vector<int> values;
    for (int d = 0; tree.SetCurrentNode(d, 0); ++d)
        for (int k = 0; tree.SetCurrentNode(d, k); ++k) values.push_back(tree.GetValueInt());
    tree.Root();
    return values;
}

// A tree of depth 2 and branching 2 with the given values in breadth-first order.
CKzTree Binary(const std::vector<double>& values)
{
    CKzTree tree;
    tree.MakeTree(2, 2);
    for (int i = 0; i < 7; ++i) {
        const int d = i == 0 ? 0 : i < 3 ? 1 : 2;
        EXPECT_TRUE(tree.SetCurrentNode(d, d == 0 ? 0 : d == 1 ? i - 1 : i - 3));
        tree.SetValue(values[i]);
    }
    tree.Root();
    return tree;
}

} // namespace

// Random growth and cursor moves, each checked against the plain reference.
TEST(CKzTree, CursorAndQueriesAgreeWithAParentList)
{
    std::mt19937 random(18);
    CKzTree tree;
    Reference ref;
    for (int step = 0; step < 1500; ++step) {
        const int k = std::uniform_int_distribution<int>(-1, 3)(random);
        bool expected = true;
        bool actual = false;
        switch (random() % 8) {
        case 0:
        case 1:
            if (ref.parent.size() >= 80) continue;
            actual = tree.AddChild(step);
            ref.parent.push_back(ref.current);
            ref.value.push_back(step);
            break;
        case 2:
            actual = tree.Child(k);
            expected = ref.MoveTo(ref.Children(ref.current), k);
            break;
        case 3:
            actual = tree.Parent();
            expected = ref.current != 0 && ref.MoveTo({ref.parent[ref.current]}, 0);
            break;
        case 4:
            actual = tree.Next();
            expected = ref.current != 0 && ref.MoveTo(ref.Children(ref.parent[ref.current]), ref.IndexAmongSiblings() + 1);
            break;
        case 5:
            actual = tree.First();
            expected = ref.current != 0 && ref.MoveTo(ref.Children(ref.parent[ref.current]), 0);
            break;
        case 6: {
            const int d = std::uniform_int_distribution<int>(0, 5)(random);
            actual = tree.SetCurrentNode(d, k);
            expected = ref.MoveTo(ref.AtDepth(d), k);
            break;
        }
        default: {
            const bool root = random() % 4 == 0;
            actual = root ? tree.Root() : tree.Child();
            expected = ref.MoveTo(root ? std::vector<int>{0} : ref.Children(ref.current), 0);
        }
        }
        ASSERT_EQ(actual, expected) << "step " << step;
        ASSERT_EQ(tree.GetValueDouble(), ref.value[ref.current]);
        ASSERT_EQ(tree.GetDepth(), ref.Depth(ref.current)) << "step " << step;
        ASSERT_EQ(tree.GetNumberOfChilds(), static_cast<int>(ref.Children(ref.current).size()));
        ASSERT_EQ(tree.IsLeaf(), ref.Children(ref.current).empty());
        ASSERT_EQ(tree.GetNumberOfNodes(), static_cast<int>(ref.parent.size()));
    }
}

TEST(CKzTree, MadeTreesAndTheirListings)
{
    CKzTree tree = Binary({0, 0, 0, 7, 3, 12, 9});
    EXPECT_EQ(tree.GetNumberOfNodes(), 7);
    EXPECT_EQ(tree.GetMaxDepth(), 2);
    EXPECT_EQ(Captured([&] { tree.Print(); }), "Depth = 2, Nodes = 7\n"
                                              "Index  =  0  1  2  3  4  5  6 \n"
                                              "Parent = -1  0  0  1  1  2  2 \n"
                                              "Value  =  0  0  0  7  3 12  9 \n"
                                              "Depth  =  0  1  1  2  2  2  2 \n\n");
    const std::string more(8, ' '); // for each child beyond the first
    EXPECT_EQ(Captured([&] { tree.PrintTree(); }),
              " 3 [ 7]  4 [ 3]  5 [12]  6 [ 9] \n 1 [ 0] " + more + " 2 [ 0] " + more + "\n 0 [ 0] " + more + "\n\n");
    tree.SetCurrentNode(2, 1);
    EXPECT_EQ(Captured([&] { tree.PrintTree(3); }), "\n7 3 12 9 \n0 0 \n0 \n\n");
    EXPECT_EQ(tree.GetDepth(), 0);

    CKzTree one;
    EXPECT_TRUE(one.IsEmpty());
    EXPECT_TRUE(one.IsLeaf());
    EXPECT_FALSE(one.Parent());
    EXPECT_FALSE(one.First());
}

TEST(CKzTree, EvaluationTakesValuesUpLevelByLevel)
{
    const std::string evaluating = "Kzutil->KzTree->EvaluateTree : Evaluating the tree.\n";
    const std::string clearing = "Kzutil->KzTree->EvaluateTree : Clearing the tree below the leafs.\n";
    struct Case {
        std::vector<double> values; // breadth first, depth 2, branching 2
        bool clear;
        std::vector<int> result;
        std::string output;
    };
    const Case cases[] = {
        // Odd depths keep the smallest (and take anything over 0), even depths the largest.
        {{0, 0, 0, 7, 3, 12, 9}, false, {9, 3, 9, 7, 3, 12, 9}, evaluating},
        // 40 and more is a final value that nothing replaces.
        {{0, 0, 45, 7, 3, 12, 9}, false, {45, 3, 45, 7, 3, 12, 9}, evaluating},
        {{40, 0, 0, 7, 3, 50, 9}, false, {40, 3, 50, 7, 3, 50, 9}, evaluating},
        // Clearing zeroes the inner values below 40 first.
        {{5, 5, 41, 7, 3, 12, 9}, true, {41, 3, 41, 7, 3, 12, 9}, clearing + evaluating},
        {{5, 5, 41, 7, 3, 12, 9}, false, {41, 3, 41, 7, 3, 12, 9}, evaluating},
        {{5, 20, 4, 7, 3, 12, 9}, false, {5, 3, 4, 7, 3, 12, 9}, evaluating},
    };
    for (const Case& c : cases) {
        CKzTree tree = Binary(c.values);
        bool result = false;
        EXPECT_EQ(Captured([&] { result = tree.EvaluateTree(2, 2, c.clear); }), c.output);
        EXPECT_TRUE(result);
        EXPECT_EQ(Values(tree), c.result) << c.values[0] << c.clear;
    }

    // Too small a tree is completed first, the new children carrying their parent's value.
    CKzTree small;
    small.AddChild(8);
    bool result = false;
    EXPECT_EQ(Captured([&] { result = small.EvaluateTree(1, 3, false); }),
              "Kzutil->KzTree->EvaluateTree : Making the tree complete.\n" + evaluating);
    EXPECT_TRUE(result);
    EXPECT_EQ(Values(small), std::vector<int>({8, 8, 0, 0}));
}

TEST(CKzTree, CompletionKeepsWhatIsThereAndAlwaysEnds)
{
    CKzTree tree;
    tree.SetValue(3);
    for (int i = 0; i < 3; ++i) tree.AddChild(10 + i);
    tree.CompleteTree(2, 2);
    // The root keeps its third child, every child gets two carrying its value.
    EXPECT_EQ(Values(tree), std::vector<int>({3, 10, 11, 12, 10, 10, 11, 11, 12, 12}));

    // A deeper tree is emptied first; an illegal one too.
    tree.MakeTree(3, 2);
    tree.CompleteTree(1, 2);
    EXPECT_EQ(tree.GetNumberOfNodes(), 3);
    tree.MakeTree(-1, 2);
    EXPECT_EQ(tree.GetNumberOfNodes(), 0);
    EXPECT_FALSE(tree.Root());
    EXPECT_FALSE(tree.EvaluateTree(1, 2, false));
    tree.CompleteTree(1, 2);
    EXPECT_EQ(tree.GetNumberOfNodes(), 3);

    // Trees beyond 16,777,216 nodes are refused instead of running for ever.
    tree.MakeTree(30, 2);
    EXPECT_TRUE(tree.IsEmpty());
    tree.CompleteTree(40, 3);
    EXPECT_EQ(tree.GetNumberOfNodes(), 1);
    bool result = true;
    Captured([&] { result = tree.EvaluateTree(40, 2, false); });
    EXPECT_FALSE(result);
    EXPECT_EQ(tree.GetNumberOfNodes(), 1);
    tree.MakeTree(30, 1);
    EXPECT_EQ(tree.GetMaxDepth(), 30);
    Captured([&] { result = tree.EvaluateTree(30, 1, false); });
    EXPECT_TRUE(result);

    // Values beyond int saturate; NaN reads as 0.
    const double values[] = {std::nan(""), 1e300, -1e300, -2.7};
    const int ints[] = {0, INT_MAX, INT_MIN, -2};
    for (int i = 0; i < 4; ++i) {
        tree.SetValue(values[i]);
        EXPECT_EQ(tree.GetValueInt(), ints[i]);
    }
}
