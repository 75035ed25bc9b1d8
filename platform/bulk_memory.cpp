#include "platform/bulk_memory.h"

#include "platform/memory_advice.h"

#include <algorithm>
#include <cstdint>
#include <new>

// GCC says so with a macro, clang with a feature test.
#if defined(__SANITIZE_ADDRESS__)
#define TESSALINE_POISON_GAPS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TESSALINE_POISON_GAPS 1
#endif
#endif
#if defined(TESSALINE_POISON_GAPS)
#include <sanitizer/asan_interface.h>
#endif

namespace
{
#if defined(TESSALINE_POISON_GAPS)
// The shadow memory tells bytes apart only from the start of an 8-byte
// granule, so allocations start on one; the red zone after each is as wide
// as the sanitizer's own smallest.
constexpr std::size_t kShadowGranule = 8;
constexpr std::size_t kRedZone = 16;
#else
constexpr std::size_t kShadowGranule = 1;
constexpr std::size_t kRedZone = 0;
#endif

constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Blocks from this size up are mapped in huge pages; smaller ones come from
// the heap. A huge page costs 2 MiB of zeroing at its first touch, which a
// small model would not repay.
constexpr std::size_t kSmallestMapped = std::size_t{4} << 20;
constexpr std::size_t kSmallestBlock = std::size_t{64} << 10;

std::size_t RoundUp(std::size_t value, std::size_t step)
{
    return (value + step - 1) / step * step;
}
} // namespace

CBulkMemory::~CBulkMemory()
{
    FreeBlocks();
}

void CBulkMemory::Release(std::size_t expectedBytes)
{
    const std::lock_guard lock(m_mutex);
    FreeBlocks();
    m_nNextBlock = std::max(expectedBytes, kSmallestBlock);
}

void CBulkMemory::Poison(void* start, std::size_t bytes)
{
#if defined(TESSALINE_POISON_GAPS)
    ASAN_POISON_MEMORY_REGION(start, bytes);
#else
    (void)start, (void)bytes;
#endif
}

void CBulkMemory::Unpoison(void* start, std::size_t bytes)
{
#if defined(TESSALINE_POISON_GAPS)
    ASAN_UNPOISON_MEMORY_REGION(start, bytes);
#else
    (void)start, (void)bytes;
#endif
}

void CBulkMemory::FreeBlocks()
{
    for (const Block& block : m_blocks)
    {
        // Poisoned shadow would outlive an unmapped block and stain whatever
        // the system maps there next.
        Unpoison(block.start, block.size);
        if (block.mapped)
            UnmapPages(block.start, block.size);
        else
            ::operator delete(block.start);
    }
    m_blocks.clear();
    m_pNext = m_pEnd = nullptr;
}

void* CBulkMemory::do_allocate(std::size_t bytes, std::size_t alignment)
{
    const std::lock_guard lock(m_mutex);
    alignment = std::max(alignment, kShadowGranule);
    const std::size_t taken = bytes + kRedZone;
    auto start = RoundUp(reinterpret_cast<std::uintptr_t>(m_pNext), alignment);
    if (m_pNext == nullptr || taken < bytes || start + taken > reinterpret_cast<std::uintptr_t>(m_pEnd) ||
        start + taken < start)
    {
        if (bytes > SIZE_MAX - alignment - kRedZone - kHugePage * 2)
            throw std::bad_alloc();
        AddBlock(taken + alignment);
        start = RoundUp(reinterpret_cast<std::uintptr_t>(m_pNext), alignment);
    }
    m_pNext = reinterpret_cast<char*>(start + taken);
    Unpoison(reinterpret_cast<void*>(start), bytes);
    return reinterpret_cast<void*>(start);
}

void CBulkMemory::do_deallocate(void* start, std::size_t bytes, std::size_t)
{
    // Never reused before Release; poisoned, so that a pointer kept across
    // an array's growth is caught where it is used.
    Poison(start, bytes);
}

void CBulkMemory::AddBlock(std::size_t bytes)
{
    const std::size_t size = std::max({bytes, m_nNextBlock, kSmallestBlock});
    m_nNextBlock = size * 2; // an estimate that fell short grows geometrically
    m_blocks.reserve(m_blocks.size() + 1); // so that recording the block cannot throw
    if (size < kSmallestMapped)
    {
        void* start = ::operator new(size);
        m_blocks.push_back({start, size, false});
        m_pNext = static_cast<char*>(start);
        m_pEnd = m_pNext + size;
        Poison(start, size);
        return;
    }
    // Mapped with a huge page of slack, so that the block can start on a
    // huge page boundary and end on one.
    const std::size_t usable = RoundUp(size, kHugePage);
    const std::size_t mappedSize = usable + kHugePage;
    void* mapped = MapPages(mappedSize);
    if (mapped == nullptr)
        throw std::bad_alloc();
    m_blocks.push_back({mapped, mappedSize, true});
    m_pNext = reinterpret_cast<char*>(RoundUp(reinterpret_cast<std::uintptr_t>(mapped), kHugePage));
    m_pEnd = m_pNext + usable;
    AdviseHugePages(m_pNext, usable); // where the system cannot, 4 KiB pages serve
    Poison(mapped, mappedSize);
}
