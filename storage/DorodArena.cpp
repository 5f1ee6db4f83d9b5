#include "storage/DorodArena.h"

#include <cstdint>
#include <cstdlib>
#include <new>
#include <sys/mman.h>

namespace dorod {

namespace {
constexpr size_t kHugePage = 2 << 20;

// Fresh zeroed memory from the system, aligned to a huge page and offered to the kernel
// as such: a load of millions of records then takes a few hundred page faults instead
// of tens of thousands, and nothing has to be zeroed twice.
void* mapHugeAligned(size_t size) {
    void* mapped = ::mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) return nullptr;
    const auto start = reinterpret_cast<uintptr_t>(mapped);
    const uintptr_t aligned = (start + kHugePage - 1) & ~uintptr_t(kHugePage - 1);
    if (aligned > start) ::munmap(mapped, aligned - start);
    const uintptr_t end = start + size + kHugePage;
    if (end > aligned + size)
        ::munmap(reinterpret_cast<void*>(aligned + size), end - aligned - size);
    ::madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
    return reinterpret_cast<void*>(aligned);
}
} // namespace

std::byte* TDorodArena::newBlock(size_t size) {
    void* memory = nullptr;
    bool mapped = false;
    if (size >= kHugePage) {
        size = (size + kHugePage - 1) & ~(kHugePage - 1);
        memory = mapHugeAligned(size);
        mapped = memory != nullptr;
    }
    if (!memory) memory = std::calloc(1, size);
    if (!memory) throw std::bad_alloc();
    m_blocks.push_back({static_cast<std::byte*>(memory), size, mapped});
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
    for (const Block& block : m_blocks) {
        if (block.mapped)
            ::munmap(block.memory, block.size);
        else
            std::free(block.memory);
    }
    m_blocks.clear();
    m_next = nullptr;
    m_left = 0;
    m_reserved = 0;
    m_nextBlockSize = kFirstBlockSize;
}

} // namespace dorod
