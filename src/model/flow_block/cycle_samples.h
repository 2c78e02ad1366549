#pragma once
// Cycle counts gathered from the parts of a block: summed (sequence), maxed (parallel) or shared
// (branches of a choice, of which one runs); one part whose count is not fixed makes the whole
// count unfixed.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "common/internal_error.h"
#include "model/nodes/ncp_node.h"

namespace velmora {

class CycleSamples {
public:
    void push(int32_t cycle) {
        check_assert(cycle == IN_CONSIST_CYCLE_USED || cycle >= 0,
                     "cycle == IN_CONSIST_CYCLE_USED || cycle >= 0");
        samples_.push_back(cycle);
    }
    int32_t sum() const { return fold(false); }
    int32_t max() const { return fold(true); }
    /// The value every sample has, or unfixed when they differ.
    int32_t common() const {
        check_assert(!samples_.empty(), "!self.samples.is_empty()");
        for (int32_t s : samples_) {
            if (s != samples_.front()) return IN_CONSIST_CYCLE_USED;
        }
        return samples_.front();
    }

private:
    int32_t fold(bool take_max) const {
        check_assert(!samples_.empty(), "!self.samples.is_empty()");
        int64_t acc = 0;
        for (int32_t s : samples_) {
            if (s == IN_CONSIST_CYCLE_USED) return IN_CONSIST_CYCLE_USED;
            acc = take_max ? std::max<int64_t>(acc, s) : acc + s;
        }
        return acc > INT32_MAX ? IN_CONSIST_CYCLE_USED : static_cast<int32_t>(acc);
    }
    std::vector<int32_t> samples_;
};

}  // namespace velmora
