#include "util/vary_val.h"

namespace velmora {

namespace {

/// The first limb_count(bit_width) of `given` limbs (zeros past them), top limb masked.
template <class LimbAt>
VaryVal make(size_t given, LimbAt limb_at, int32_t bit_width) {
    VaryVal v;
    v.bit_width = bit_width;
    size_t count = VaryVal::limb_count(bit_width);
    v.limbs.reserve(count);
    for (size_t i = 0; i < count; ++i) v.limbs.push_back(i < given ? limb_at(i) : 0);
    int32_t top_bits = bit_width > 0 ? bit_width % 64 : 0;
    if (!v.limbs.empty() && top_bits != 0) v.limbs.back() &= (uint64_t{1} << top_bits) - 1;
    return v;
}

}  // namespace

VaryVal VaryVal::from_limbs(std::vector<uint64_t> limbs, int32_t bit_width) {
    return make(
        limbs.size(), [&](size_t i) { return limbs[i]; }, bit_width);
}

VaryVal VaryVal::from_u64(uint64_t value, int32_t bit_width) {
    return make(
        1, [&](size_t) { return value; }, bit_width);
}

}  // namespace velmora
