#include "DorodArena.h"

namespace dorod {

void* TDorodArena::allocate(size_t n) {
    n = (n + kAlign - 1) & ~(kAlign - 1);
    if (n == 0) n = kAlign;
    if (n > kBlockSize / 4) {
        // Large values get a block of their own so the current block is not wasted.
        m_blocks.emplace_back(new std::byte[n]);
        m_reserved += n;
        return m_blocks.back().get();
    }
    if (n > m_left) {
        m_blocks.emplace_back(new std::byte[kBlockSize]);
        m_reserved += kBlockSize;
        m_next = m_blocks.back().get();
        m_left = kBlockSize;
    }
    void* p = m_next;
    m_next += n;
    m_left -= n;
    return p;
}

void TDorodArena::clear() {
    m_blocks.clear();
    m_next = nullptr;
    m_left = 0;
    m_reserved = 0;
}

} // namespace dorod
