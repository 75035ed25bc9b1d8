#include "model/loaded_model.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>

namespace
{
// Names compare as zero-terminated byte strings, bytes unsigned.
bool SortsBefore(const ModelObject* a, const ModelObject* b)
{
    return std::strcmp(a->name.c_str(), b->name.c_str()) < 0;
}

// The partitions may look at this many elements in all before the rest is
// sorted otherwise. The pivot is the median of a range's first three
// elements, so names stored in order, or many equal names, make the
// partitions peel off two elements at a time: quadratic in the object count,
// which a file can make as large as its size allows. Typical inputs stay far
// below the budget.
std::uint64_t PartitionBudget(int count)
{
    const auto elements = static_cast<std::uint64_t>(std::max(count, 1));
    return 4096 + 4 * elements * static_cast<std::uint64_t>(std::bit_width(elements));
}
} // namespace

void CLoadedModel::SwapSorted(int i, int j)
{
    std::swap(m_ppSorted[static_cast<std::size_t>(i)], m_ppSorted[static_cast<std::size_t>(j)]);
}

void CLoadedModel::OrderSortedPair(int i, int j)
{
    if (!SortsBefore(m_ppSorted[static_cast<std::size_t>(i)], m_ppSorted[static_cast<std::size_t>(j)]))
        SwapSorted(i, j);
}

int CLoadedModel::PartitionSorted(int first, int last)
{
    OrderSortedPair(first, first + 1);
    OrderSortedPair(first + 1, first + 2);
    OrderSortedPair(first + 1, first);
    const ModelObject* pivot = m_ppSorted[static_cast<std::size_t>(first)];
    int boundary = first + 1;
    for (int j = first + 3; j <= last; ++j)
    {
        if (SortsBefore(m_ppSorted[static_cast<std::size_t>(j)], pivot))
            SwapSorted(++boundary, j);
    }
    SwapSorted(first, boundary);
    return boundary;
}

// Quicksort over disjoint ranges: the ranges are independent, so keeping the
// pending left parts on an explicit stack gives the same order as recursion
// while the depth of the call stack stays fixed whatever the file holds.
//
// Past its budget the quicksort hands every range still open to a stable
// sort. Each range holds exactly the elements that belong at its place, so
// the result is still in name order; only equal names may then end up in
// another order than the quicksort would have given them.
void CLoadedModel::SortObjects(int first, int last)
{
    const std::uint64_t budget = PartitionBudget(last - first + 1);
    std::uint64_t examined = 0;
    std::vector<std::pair<int, int>> pending;
    pending.emplace_back(first, last);
    while (!pending.empty())
    {
        auto [low, high] = pending.back();
        pending.pop_back();
        for (;;)
        {
            const int count = high - low + 1;
            if (count <= 1)
                break;
            if (examined > budget)
            {
                const auto begin = m_ppSorted.begin() + low;
                std::stable_sort(begin, begin + count, SortsBefore);
                break;
            }
            examined += static_cast<std::uint64_t>(count);
            if (count == 2)
            {
                OrderSortedPair(low, low + 1);
                break;
            }
            if (count == 3)
            {
                OrderSortedPair(low, low + 1);
                OrderSortedPair(low + 1, low + 2);
                OrderSortedPair(low, low + 1);
                break;
            }
            const int pivot = PartitionSorted(low, high);
            pending.emplace_back(low, pivot - 1);
            low = pivot + 1;
        }
    }
}
