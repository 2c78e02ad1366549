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
    // Limbs from the top, the first non-zero one without leading zeros and every later one
    // padded to 16 digits; "0" when all are zero.
    detail::append_piece(out, value.bit_width);
    out.append("'h");
    bool started = false;
    for (size_t i = value.limbs.size(); i-- > 0;) {
        uint64_t limb = value.limbs[i];
        if (!started && limb == 0) continue;
        char digits[16];
        auto end = std::to_chars(digits, digits + sizeof digits, limb, 16).ptr;
        if (started) out.append(16 - static_cast<size_t>(end - digits), '0');
        out.append(digits, end);
        started = true;
    }
    if (!started) out += '0';
}

}  // namespace velmora
