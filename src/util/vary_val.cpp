#include "util/vary_val.h"

namespace velmora {

VaryVal VaryVal::from_limbs(std::vector<uint64_t> limbs, int32_t bit_width) {
    VaryVal v;
    v.bit_width = bit_width;
    limbs.resize(limb_count(bit_width), 0);
    int32_t top_bits = bit_width > 0 ? bit_width % 64 : 0;
    if (!limbs.empty() && top_bits != 0) limbs.back() &= (uint64_t{1} << top_bits) - 1;
    v.limbs = std::move(limbs);
    return v;
}

VaryVal VaryVal::from_u64(uint64_t value, int32_t bit_width) {
    return from_limbs(std::vector<uint64_t>{value}, bit_width);
}

}  // namespace velmora
