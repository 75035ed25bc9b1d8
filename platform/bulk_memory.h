#pragma once

#include <cstddef>
#include <memory_resource>
#include <mutex>
#include <vector>

// Memory for the large arrays of one model, handed out in order from a few
// blocks and given back all at once. A large model's arrays then lie packed
// in blocks of 2 MiB pages, which fill with one page fault per 2 MiB instead
// of one per 4 KiB, and the whole model is freed in a few calls. Memory
// given back before Release is not reused, so fill each array once (reserve
// its size, then append). Safe to use from several threads at once.
//
// Arrays that lie side by side in one block would hide an overrun from one
// into the next from AddressSanitizer. In builds with it, every byte that no
// allocation holds is poisoned, and each allocation is followed by a red
// zone of its own, so such an overrun is reported like one past a heap block.
class CBulkMemory final : public std::pmr::memory_resource
{
public:
    CBulkMemory() = default;
    ~CBulkMemory() override;
    CBulkMemory(const CBulkMemory&) = delete;
    CBulkMemory& operator=(const CBulkMemory&) = delete;

    // Gives back every block; nothing allocated before may be used after.
    // expectedBytes estimates what comes next: a large estimate is served
    // from one block of huge pages, a small one from the heap, so that a
    // batch of small models reuses the same memory.
    void Release(std::size_t expectedBytes);

private:
    struct Block
    {
        void* start;
        std::size_t size;
        bool mapped;
    };

    void* do_allocate(std::size_t bytes, std::size_t alignment) override;
    void do_deallocate(void* start, std::size_t bytes, std::size_t alignment) override;
    bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override { return this == &other; }
    void AddBlock(std::size_t bytes);
    void FreeBlocks();
    static void Poison(void* start, std::size_t bytes);
    static void Unpoison(void* start, std::size_t bytes);

    std::mutex m_mutex;
    std::vector<Block> m_blocks;
    char* m_pNext = nullptr;
    char* m_pEnd = nullptr;
    std::size_t m_nNextBlock = 0;
};
