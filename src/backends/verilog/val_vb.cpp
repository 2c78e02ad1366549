#include "backends/verilog/val_vb.h"

#include "util/str_cat.h"

namespace velmora {

std::string vary_val_to_verilog(const VaryVal& value) {
    if (value.bit_width == 1) {
        uint64_t bit = value.limbs.empty() ? 0 : value.limbs[0] & 1;
        return cat("1'b", bit);
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
    return cat(value.bit_width, "'h", hex);
}

}  // namespace velmora
