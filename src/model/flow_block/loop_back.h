#pragma once
// How a loop re-enters its body after a pass without closing a combinational loop.
#include <optional>
#include <string_view>

#include "model/flow_block/flow_block_base.h"

namespace velmora {

/// The signal that re-enters the loop after a pass, raised when the body ends and `cond` holds.
/// A body that may end in the cycle it starts would close a combinational loop through its
/// entry, so its end is first held for one cycle in the state "{prefix}_back_{id}"; the result
/// then carries no condition. Otherwise the body's exit re-enters at once under `cond`.
struct LoopBack {
    NcpIdent node;
    OptHcpIdent cond;
    bool held = false;  // through the one-cycle state
};
LoopBack make_loop_back(ModelArena& arena, FlowBlockBase& base, const NodeWrap& body,
                        std::string_view prefix, OptHcpIdent cond);

/// The pre-finalisation check the loops share: a body, and no con block.
std::optional<std::string> check_loop_prefinalize(const FlowBlockBase& base,
                                                  std::string_view no_body,
                                                  std::string_view no_con_blocks);

}  // namespace velmora
