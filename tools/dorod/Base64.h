// Base64 (RFC 4648, standard alphabet, padded) for binary columns in JSON dumps.
#pragma once

#include <string>
#include <string_view>

namespace dorod::base64 {

std::string encode(std::string_view bytes);

// Strict: the length must be a multiple of four, only the standard alphabet is allowed,
// '=' may only end the text (at most two), and unused bits before padding must be zero, so
// every byte string has exactly one accepted encoding. On failure out is left unchanged.
bool decode(std::string_view text, std::string& out);

} // namespace dorod::base64
