#pragma once

#include <cstddef>
#include <vector>

// Asks the system to back the whole 2 MiB pages inside [data, data + bytes)
// with huge pages, so that filling a large array takes a few page faults
// instead of one per 4 KiB. Call it before the memory is first written;
// where the system cannot (Windows gives large pages only to privileged
// programs, which must ask for them when mapping), nothing changes.
void AdviseHugePages(void* data, std::size_t bytes);

// Whole pages from the system for a large block, readable and writable and
// zeroed: null when the system refuses. UnmapPages gives them back, with
// the same size.
void* MapPages(std::size_t bytes);
void UnmapPages(void* start, std::size_t bytes);

// Empties the array and makes room for count elements, advised as above;
// the caller then appends them, so each byte is written once.
template <typename T, typename Allocator>
void ReserveFresh(std::vector<T, Allocator>& array, std::size_t count)
{
    array.clear();
    array.reserve(count);
    AdviseHugePages(array.data(), count * sizeof(T));
}
