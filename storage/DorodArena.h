// A bump allocator for the bulk of a record store: entries, record buffers and the
// texts read from an image. Nothing is freed one by one; everything goes when the store
// is emptied. This keeps a load of millions of records to a few large allocations.
#pragma once

#include <cstddef>
#include <vector>

namespace dorod {

class TDorodArena {
public:
    TDorodArena() = default;
    ~TDorodArena() { clear(); }
    TDorodArena(const TDorodArena&) = delete;
    TDorodArena& operator=(const TDorodArena&) = delete;

    // Memory for n bytes, aligned for pointers and filled with zeros; never null.
    void* allocate(size_t n);
    void clear();
    size_t bytesReserved() const { return m_reserved; }

private:
    static constexpr size_t kFirstBlockSize = 1 << 20;
    static constexpr size_t kLargestBlockSize = 64 << 20;
    // Records hold no type with a stricter alignment than a pointer.
    static constexpr size_t kAlign = alignof(void*);

    struct Block {
        std::byte* memory = nullptr;
        size_t size = 0;
        bool mapped = false; // from mmap rather than the heap
    };
    std::byte* newBlock(size_t size);

    std::vector<Block> m_blocks;
    size_t m_nextBlockSize = kFirstBlockSize;
    std::byte* m_next = nullptr;
    size_t m_left = 0;
    size_t m_reserved = 0;
};

} // namespace dorod
