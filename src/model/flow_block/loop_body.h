#pragma once
// What the loop blocks share: one body block, the nodes the loop makes, and the loop-back that
// never closes a combinational loop.
#include <optional>
#include <string>
#include <string_view>

#include "model/flow_block/flow_block_base.h"

namespace velmora {

/// The texts a loop kind uses for its body rules ("while block", "counter loop", ...).
struct LoopTexts {
    std::string_view no_direct_nodes;  // a basic node attached to the loop
    std::string_view body_twice;       // a second body block
    std::string_view body_count;       // pre-finalisation: not exactly one body
    std::string_view no_con_blocks;    // pre-finalisation: a con block
};

/// The one body block of a loop.
struct LoopBody {
    std::optional<FlowBlockIdent> block;
    std::optional<NodeWrap> wrap;

    /// Records the body, or says why it cannot be one (a second body).
    std::optional<std::string> refuse(const LoopTexts& texts) const;
    void attach(FlowBlockBase& base, const FlowBlockIdent& body, const LoopTexts& texts);
    /// The built body's summary, fetched once; its exit must be set.
    const NodeWrap& summarize(const ModelArena& arena);
};

/// The pre-finalisation check of a loop: exactly one body, no con blocks.
std::optional<std::string> check_loop_prefinalize(const FlowBlockBase& base, const LoopBody& body,
                                                  const LoopTexts& texts);

/// The signal that re-enters the loop after a pass, raised when the body ends and `cond` holds.
/// A body that may end in the cycle it starts would close a combinational loop through its
/// entry, so its end is first held for one cycle in the state "{prefix}_back_{id}"; the result
/// then carries no condition. Otherwise the body's exit re-enters at once under `cond`.
struct LoopBack {
    NcpIdent node;
    std::optional<HcpIdent> cond;
};
LoopBack make_loop_back(ModelArena& arena, FlowBlockBase& base, const NodeWrap& body,
                        std::string_view prefix, std::optional<HcpIdent> cond);

}  // namespace velmora
