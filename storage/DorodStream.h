// An in-memory stream of bytes with a position: what table images are written into and
// read from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace dorod {

struct TDorodStream {
    std::string bytes;
    size_t position = 0;

    size_t remaining() const { return position < bytes.size() ? bytes.size() - position : 0; }
};

} // namespace dorod
