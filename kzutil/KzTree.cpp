#include "KzNumber.h"
#include "Kzutil.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <new>
#include <vector>

namespace {

constexpr int kMaxNodes = 1 << 24;
// Values from here on are final results: evaluation never changes them.
constexpr int kFixedValue = 40;

// Depth and number of children of every node, and the nodes of each depth in index order.
struct Levels {
    std::vector<int> depth;
    std::vector<int> childs;
    std::vector<int> order; // nodes sorted by depth, index order within a depth
    std::vector<int> start; // the nodes of depth d are order[start[d] .. start[d + 1])

    int MaxDepth() const { return static_cast<int>(start.size()) - 2; }
    int Count(int d) const { return d >= 0 && d <= MaxDepth() ? start[d + 1] - start[d] : 0; }
    int Node(int d, int k) const { return order[start[d] + k]; }
};

// Parents always have lower indices than their children, so one pass in index order finds
// every depth.
bool Survey(const CKzList& parents, Levels& levels)
{
    try {
        const int count = parents.GetSize();
        levels.depth.assign(count, 0);
        levels.childs.assign(count, 0);
        int maxDepth = 0;
        for (int i = 1; i < count; ++i) {
            const int parent = kznumber::ToInt(parents[i]);
            levels.depth[i] = levels.depth[parent] + 1;
            ++levels.childs[parent];
            maxDepth = std::max(maxDepth, levels.depth[i]);
        }
        levels.start.assign(maxDepth + 2, 0);
        for (int d : levels.depth) ++levels.start[d + 1];
        for (int d = 0; d <= maxDepth; ++d) levels.start[d + 1] += levels.start[d];
        levels.order.assign(count, 0);
        std::vector<int> next(levels.start.begin(), levels.start.end() - 1);
        for (int i = 0; i < count; ++i) levels.order[next[levels.depth[i]]++] = i;
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// b^d, limited to +-limit so that it cannot overflow.
long long Power(int b, int d, long long limit)
{
    long long result = 1;
    for (int i = 0; i < d && result != 0 && result <= limit && result >= -limit; ++i) result *= b;
    return std::clamp(result, -limit, limit);
}

} // namespace

CKzTree::CKzTree()
{
    Empty();
}

CKzTree::~CKzTree() = default;

void CKzTree::Empty()
{
    m_values.Empty();
    m_parents.Empty();
    m_values.Add(0.0);
    m_parents.Add(-1.0);
    m_current = 0;
}

bool CKzTree::IsEmpty() const
{
    return m_values.GetSize() == 1 && m_parents.GetSize() == 1 && m_current == 0;
}

bool CKzTree::IsLegal() const
{
    const int count = m_values.GetSize();
    return count > 0 && m_parents.GetSize() == count && m_values.IsLegalIndex(m_current) &&
           m_parents.GetValue(0) == -1.0;
}

int CKzTree::CalculateNodes(int n, int b)
{
    if (n < 0 || b <= 0) return 0;
    if (b == 1) return n < INT_MAX ? n + 1 : INT_MAX;
    long long sum = 0;
    long long power = 1;
    for (int d = 0; d <= n && sum < INT_MAX; ++d) {
        sum += power;
        power = std::min<long long>(power * b, INT_MAX);
    }
    return static_cast<int>(std::min<long long>(sum, INT_MAX));
}

int CKzTree::GetParent(int node) const
{
    return kznumber::ToInt(m_parents.GetValue(node));
}

int CKzTree::GetDepth(int node) const
{
    int depth = 0;
    for (; node > 0; node = GetParent(node)) ++depth;
    return depth;
}

int CKzTree::FindChild(int parent, int after) const
{
    for (int i = std::max(after, parent) + 1; i < m_parents.GetSize(); ++i)
        if (GetParent(i) == parent) return i;
    return -1;
}

int CKzTree::GetNumberOfChilds(int node) const
{
    int count = 0;
    for (int child = FindChild(node, node); child >= 0; child = FindChild(node, child)) ++count;
    return count;
}

bool CKzTree::AddChild(double v)
{
    if (!IsLegal() || m_values.GetSize() >= kMaxNodes || !m_values.Add(v)) return false;
    if (m_parents.Add(m_current)) return true;
    m_values.RemoveAt(m_values.GetUpperBound());
    return false;
}

bool CKzTree::Root()
{
    if (!IsLegal()) return false;
    m_current = 0;
    return true;
}

bool CKzTree::Parent()
{
    if (!IsLegal() || m_current == 0) return false;
    m_current = GetParent(m_current);
    return true;
}

bool CKzTree::Child()
{
    return Child(0);
}

bool CKzTree::Child(int k)
{
    if (!IsLegal() || k < 0) return false;
    int child = FindChild(m_current, m_current);
    for (; child >= 0 && k > 0; --k) child = FindChild(m_current, child);
    if (child < 0) return false;
    m_current = child;
    return true;
}

bool CKzTree::Next()
{
    if (!IsLegal() || m_current == 0) return false;
    const int next = FindChild(GetParent(m_current), m_current);
    if (next < 0) return false;
    m_current = next;
    return true;
}

bool CKzTree::First()
{
    if (!IsLegal() || m_current == 0) return false;
    const int parent = GetParent(m_current);
    m_current = FindChild(parent, parent);
    return true;
}

bool CKzTree::SetCurrentNode(int depth, int k)
{
    if (!IsLegal() || k < 0 || k >= m_values.GetSize()) return false;
    for (int i = 0; i < m_values.GetSize(); ++i) {
        if (GetDepth(i) == depth && k-- == 0) {
            m_current = i;
            return true;
        }
    }
    return false;
}

double CKzTree::GetValueDouble() const { return IsLegal() ? m_values[m_current] : 0.0; }
int CKzTree::GetValueInt() const { return kznumber::ToInt(GetValueDouble()); }
int CKzTree::GetDepth() const { return IsLegal() ? GetDepth(m_current) : -1; }
int CKzTree::GetNumberOfChilds() const { return IsLegal() ? GetNumberOfChilds(m_current) : 0; }
bool CKzTree::HasChilds() const { return IsLegal() && FindChild(m_current, m_current) >= 0; }
bool CKzTree::IsLeaf() const { return IsLegal() && FindChild(m_current, m_current) < 0; }
int CKzTree::GetNumberOfNodes() const { return IsLegal() ? m_values.GetSize() : 0; }

int CKzTree::GetMaxDepth() const
{
    if (!IsLegal()) return -1;
    int depth = 0;
    for (int i = 0; i < m_values.GetSize(); ++i) depth = std::max(depth, GetDepth(i));
    return depth;
}

bool CKzTree::SetValue(double v)
{
    return IsLegal() && m_values.SetValue(m_current, v);
}

bool CKzTree::SetAllValues(double v)
{
    if (!IsLegal()) return false;
    for (int i = 0; i < m_values.GetSize(); ++i) m_values.SetValue(i, v);
    return true;
}

void CKzTree::MakeTree(int depth, int branching)
{
    const int count = CalculateNodes(depth, branching);
    m_current = 0;
    m_values.Empty();
    m_parents.Empty();
    if (count == 0) return;
    if (count > kMaxNodes || !m_values.SetSize(count) || !m_parents.SetSize(count)) {
        Empty();
        return;
    }
    m_parents.SetValue(0, -1.0);
    for (int i = 1; i < count; ++i) {
        const int parent = (i - 1) / branching;
        m_parents.SetValue(i, parent);
    }
}

void CKzTree::CompleteTree(int depth, int branching)
{
    Complete(depth, branching);
}

// Each round gives every node above the depth the children it lacks, so a round adds at least
// one node while the tree is smaller than the complete one, and the rounds end.
bool CKzTree::Complete(int depth, int branching)
{
    if (!IsLegal() || depth < GetMaxDepth()) Empty();
    const int target = CalculateNodes(depth, branching);
    bool done = IsLegal() && target <= kMaxNodes;
    while (done && m_values.GetSize() < target) {
        Levels levels;
        const int start = m_values.GetSize();
        if (!Survey(m_parents, levels)) {
            done = false;
            break;
        }
        long long added = 0;
        for (int i = 0; i < start; ++i)
            if (levels.depth[i] < depth) added += std::max(branching - levels.childs[i], 0);
        const int count = static_cast<int>(std::min<long long>(start + added, kMaxNodes + 1LL));
        if (count > kMaxNodes || !m_values.SetSize(count) || !m_parents.SetSize(count)) {
            m_values.SetSize(start);
            m_parents.SetSize(start);
            done = false;
            break;
        }
        int next = start;
        for (int i = 0; i < start; ++i) {
            if (levels.depth[i] >= depth) continue;
            for (int c = levels.childs[i]; c < branching; ++c, ++next) {
                m_values.SetValue(next, m_values[i]);
                m_parents.SetValue(next, i);
            }
        }
    }
    Root();
    return done;
}

void CKzTree::ClearTreeBelowLeafs()
{
    for (int i = 1; i < m_parents.GetSize(); ++i) {
        const int parent = GetParent(i);
        if (kznumber::ToInt(m_values[parent]) < kFixedValue) m_values.SetValue(parent, 0.0);
    }
    Root();
}

bool CKzTree::EvaluateTree(int depth, int branching, bool clear)
{
    if (!IsLegal()) return false;
    if (m_values.GetSize() < CalculateNodes(depth, branching)) {
        std::printf("Kzutil->KzTree->EvaluateTree : Making the tree complete.\n");
        if (!Complete(depth, branching)) return false;
    }
    if (clear) {
        std::printf("Kzutil->KzTree->EvaluateTree : Clearing the tree below the leafs.\n");
        ClearTreeBelowLeafs();
    }
    std::printf("Kzutil->KzTree->EvaluateTree : Evaluating the tree.\n");
    Levels levels;
    if (!Survey(m_parents, levels)) return false;
    for (int d = std::min(depth, levels.MaxDepth()); d >= 1; --d) {
        const long long reach = std::min<long long>(Power(branching, d, kMaxNodes), levels.Count(d));
        for (int k = 0; k < reach; ++k) {
            const int node = levels.Node(d, k);
            const int parent = GetParent(node);
            const int v = kznumber::ToInt(m_values[node]);
            const int p = kznumber::ToInt(m_values[parent]);
            if (p >= kFixedValue) continue;
            const bool oddParent = (d - 1) % 2 == 1;
            if (oddParent ? (v < p || p == 0) : v > p) m_values.SetValue(parent, v);
        }
    }
    Root();
    return true;
}

void CKzTree::Print() const
{
    if (!IsLegal()) return;
    std::printf("Depth = %d, Nodes = %d\n", GetMaxDepth(), m_values.GetSize());
    std::printf("Index  = ");
    for (int i = 0; i < m_values.GetSize(); ++i) std::printf("%2d ", i);
    std::printf("\nParent = ");
    m_parents.Print();
    std::printf("Value  = ");
    m_values.Print();
    std::printf("Depth  = ");
    for (int i = 0; i < m_values.GetSize(); ++i) std::printf("%2d ", GetDepth(i));
    std::printf("\n\n");
}

void CKzTree::PrintTree() const
{
    Levels levels;
    if (!IsLegal() || !Survey(m_parents, levels)) return;
    for (int d = levels.MaxDepth(); d >= 0; --d) {
        for (int k = 0; k < levels.Count(d); ++k) {
            const int node = levels.Node(d, k);
            std::printf("%2d [%2d] ", node, kznumber::ToInt(m_values[node]));
            for (int c = 1; c < levels.childs[node]; ++c) std::printf("        ");
        }
        std::printf("\n");
    }
    std::printf("\n");
}

void CKzTree::PrintTree(int depth)
{
    Levels levels;
    if (!IsLegal() || !Survey(m_parents, levels)) return;
    for (int d = depth; d >= 0; --d) {
        for (int k = 0; k < levels.Count(d); ++k) std::printf("%d ", kznumber::ToInt(m_values[levels.Node(d, k)]));
        std::printf("\n");
    }
    std::printf("\n");
    Root();
}
