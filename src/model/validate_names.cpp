// Name and width rules for caller input.
#include <cstdio>

#include "model/common/limits.h"
#include "model/validate.h"
#include "util/str_cat.h"
#include "util/utf8.h"

namespace velmora {
namespace {

constexpr size_t kPreviewBytes = 48;

/// Decodes the code point at `i` and advances `i`; a malformed byte reads as U+FFFD.
char32_t next_code_point(std::string_view s, size_t& i) {
    Utf8CodePoint c = decode_utf8(s, i);
    if (c.length == 0) {
        ++i;
        return 0xFFFD;
    }
    i += c.length;
    return c.code_point;
}

/// Control characters (Unicode Cc) and white space (Unicode White_Space).
bool is_space_or_control(char32_t c) {
    if (c <= 0x20 || (c >= 0x7F && c <= 0xA0)) return true;
    switch (c) {
        case 0x1680:
        case 0x2028:
        case 0x2029:
        case 0x202F:
        case 0x205F:
        case 0x3000:
            return true;
        default:
            return c >= 0x2000 && c <= 0x200A;
    }
}

/// The name in double quotes, control bytes escaped, cut after kPreviewBytes on a character
/// boundary.
std::string quoted_preview(std::string_view name) {
    size_t end = name.size();
    bool cut = false;
    if (end > kPreviewBytes) {
        end = kPreviewBytes;
        while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
        cut = true;
    }
    std::string out = "\"";
    for (size_t i = 0; i < end; ++i) {
        unsigned char b = static_cast<unsigned char>(name[i]);
        if (b < 0x20 || b == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", b);
            out += hex;
        } else {
            out += static_cast<char>(b);
        }
    }
    out += cut ? "...\"" : "\"";
    return out;
}

std::string code_point_text(char32_t c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(c));
    return buf;
}

Problem check_width_range(int32_t width, int32_t max, std::string_view what) {
    if (width >= 1 && width <= max) return std::nullopt;
    return cat(what, " must be 1 to ", max, ", got ", width);
}

}  // namespace

Problem check_user_name(std::string_view name) {
    if (name.size() > kMaxUserNameLen) {
        return cat(quoted_preview(name), " is ", name.size(),
                   " bytes long; a name may have at most ", kMaxUserNameLen,
                   " bytes (the rest of the ", MAX_NAME_LEN,
                   "-byte limit is kept for the names derived from it)");
    }
    for (size_t i = 0; i < name.size();) {
        size_t at = i;
        char32_t c = next_code_point(name, i);
        if (is_space_or_control(c)) {
            return cat(quoted_preview(name), " contains ", code_point_text(c), " at byte ", at,
                       "; a name must not contain whitespace or control characters, which no "
                       "Verilog identifier can carry");
        }
    }
    return std::nullopt;
}

Problem check_module_name(std::string_view name) {
    size_t at = name.find_first_of("/\\");
    if (at == std::string_view::npos) return std::nullopt;
    return cat(quoted_preview(name), " contains '", name[at], "' at byte ", at,
               "; a module name must not contain a path separator ('/' or '\\'): every module "
               "other than the top one is written to a file named after it");
}

Problem check_bit_width(int32_t width) {
    return check_width_range(width, kMaxBitWidth, "bit width");
}

Problem check_index_width(int32_t width) {
    return check_width_range(width, kMaxIndexWidth, "index width");
}

}  // namespace velmora
