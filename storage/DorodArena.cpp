#include "DorodArena.h"

#include <cstdlib>
#include <new>
#include <sys/mman.h>

namespace dorod {

namespace {
constexpr size_t kHugePage = 2 << 20;
}

std::byte* TDorodArena::newBlock(size_t size) {
    // Big blocks are aligned to huge pages and offered to the kernel as such: a load of
    // millions of records then takes a few hundred page faults instead of tens of
    // thousands.
    void* memory = nullptr;
    if (size >= kHugePage) {
        size = (size + kHugePage - 1) & ~(kHugePage - 1);
        memory = std::aligned_alloc(kHugePage, size);
        if (memory) ::madvise(memory, size, MADV_HUGEPAGE);
    } else {
        memory = std::malloc(size);
    }
    if (!memory) throw std::bad_alloc();
    m_blocks.push_back({static_cast<std::byte*>(memory), size});
    m_reserved += size;
    return static_cast<std::byte*>(memory);
}

void* TDorodArena::allocate(size_t n) {
    n = (n + kAlign - 1) & ~(kAlign - 1);
    if (n == 0) n = kAlign;
    if (n > kFirstBlockSize / 4) return newBlock(n); // large values get a block of their own
    if (n > m_left) {
        m_next = newBlock(m_nextBlockSize);
        m_left = m_blocks.back().size;
        // Blocks grow with the table, up to a limit.
        if (m_nextBlockSize < kLargestBlockSize) m_nextBlockSize *= 2;
    }
    void* p = m_next;
    m_next += n;
    m_left -= n;
    return p;
}

void TDorodArena::clear() {
    for (const Block& block : m_blocks) std::free(block.memory);
    m_blocks.clear();
    m_next = nullptr;
    m_left = 0;
    m_reserved = 0;
    m_nextBlockSize = kFirstBlockSize;
}

} // namespace dorod
