#pragma once
// Arbitrary-width unsigned constant: 64-bit limbs, least significant first.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/small_vector.h"

namespace velmora {

struct VaryVal {
    SmallVector<uint64_t, 1> limbs;  // constants of up to 64 bits need no heap block
    int32_t bit_width = 0;

    /// ceil(bit_width / 64) limbs: limb 0 = value, the rest 0, top limb masked.
    static VaryVal from_u64(uint64_t value, int32_t bit_width);
    /// Pads with zero limbs or cuts to ceil(bit_width / 64), then masks the top limb.
    static VaryVal from_limbs(std::vector<uint64_t> limbs, int32_t bit_width);

    static size_t limb_count(int32_t bit_width) {
        return bit_width <= 0 ? 0
                              : static_cast<size_t>((static_cast<int64_t>(bit_width) + 63) / 64);
    }
    bool operator==(const VaryVal&) const = default;
};

}  // namespace velmora
