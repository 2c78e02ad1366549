#pragma once
// Strict UTF-8 decoding: names are free UTF-8 text and are checked byte by byte in two places.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace velmora {

struct Utf8CodePoint {
    char32_t code_point = 0;
    size_t length = 0;  // 0 when the sequence at the position is malformed
};

/// The code point starting at `s[i]`; overlong forms, surrogates and values above U+10FFFF are
/// malformed.
Utf8CodePoint decode_utf8(std::string_view s, size_t i);

}  // namespace velmora
