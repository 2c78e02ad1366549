#include "backends/verilog/val_vb.h"

#include <charconv>

#include "util/str_cat.h"

namespace velmora {

std::string vary_val_to_verilog(const VaryVal& value) {
    std::string out;
    append_vary_val_verilog(out, value);
    return out;
}

void append_vary_val_verilog(std::string& out, const VaryVal& value) {
    if (value.bit_width == 1) {
        uint64_t bit = value.limbs.empty() ? 0 : value.limbs[0] & 1;
        out.append(bit ? "1'b1" : "1'b0");
        return;
    }
    if (value.limbs.size() <= 1) {
        // One limb: its digits in hex without leading zeros, as in the general form below.
        uint64_t limb = value.limbs.empty() ? 0 : value.limbs[0];
        char digits[16];
        auto end = std::to_chars(digits, digits + sizeof digits, limb, 16).ptr;
        detail::append_piece(out, value.bit_width);
        out.append("'h");
        out.append(digits, end);
        return;
    }
    // Top limb in plain hex, lower limbs zero-padded to 16 digits, then leading zeros removed.
    std::string hex;
    for (size_t i = value.limbs.size(); i-- > 0;) {
        std::string digits = to_hex(value.limbs[i]);
        if (i + 1 != value.limbs.size()) digits.insert(0, 16 - digits.size(), '0');
        hex += digits;
    }
    size_t first = hex.find_first_not_of('0');
    hex = first == std::string::npos ? "0" : hex.substr(first);
    out.append(cat(value.bit_width, "'h", hex));
}

}  // namespace velmora
