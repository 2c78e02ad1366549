#pragma once
// The control signals that drive one control register; every signal is one bit wide.
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "common/small_vector.h"
#include "model/common/hcp_ref.h"
#include "model/common/ident.h"

namespace velmora {

class ModelArena;

struct TriggerSig {
    OptHcpRef hold_sig_i;
    OptHcpRef int_reset_sig_i;
    OptHcpRef int_start_sig_i;
    OptHcpRef mrst_sig_i;
    OptHcpRef clk_sig_i;
    /// (activation, optional condition), in push order.
    SmallVector<std::pair<HcpRef, OptHcpRef>, 1> depend_sigs_i;

    void push_depend_node(const HcpIdent& signal, const OptHcpIdent& condition) {
        depend_sigs_i.emplace_back(signal, condition);
    }
    /// Every present signal must be 1 bit wide; the owner (out of the arena) uses `owner_width`.
    void integrity_check(std::string_view owner_name, const ModelArena& arena,
                         const HcpIdent& owner_i, int32_t owner_width) const;
};

/// `sig` must be `expected` bits wide; when it is the owner (out of its slot) `owner_width` counts.
void check_ident_bit_size(std::string_view owner_name, const ModelArena& arena, const HcpIdent& sig,
                          int32_t expected, const HcpIdent& owner_i, int32_t owner_width);

}  // namespace velmora
