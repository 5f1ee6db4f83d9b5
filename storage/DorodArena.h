// A bump allocator for the bulk of a record store: entries, record buffers and the
// texts read from an image. Nothing is freed one by one; everything goes when the store
// is emptied. This keeps a load of millions of records to a few large allocations.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace dorod {

class TDorodArena {
public:
    TDorodArena() = default;
    TDorodArena(const TDorodArena&) = delete;
    TDorodArena& operator=(const TDorodArena&) = delete;

    // Memory for n bytes, aligned for any scalar; never null.
    void* allocate(size_t n);
    void clear();
    size_t bytesReserved() const { return m_reserved; }

private:
    static constexpr size_t kBlockSize = 1 << 20;
    static constexpr size_t kAlign = alignof(std::max_align_t);

    std::vector<std::unique_ptr<std::byte[]>> m_blocks;
    std::byte* m_next = nullptr;
    size_t m_left = 0;
    size_t m_reserved = 0;
};

} // namespace dorod
