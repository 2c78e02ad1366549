#include "model/flow_block/zero_cycle_block.h"

#include "util/str_cat.h"

namespace velmora {

const NodeWrap& ZeroCycleBlock::summarize_as_block() const {
    panic("summarize_as_block: not supported by this block type");
}

void ZeroCycleBody::add_sub_flow_block(const ModelArena&, const FlowBlockIdent& block) {
    if (block.join_policy != FlowBlockJoinPolicy::BasicNodeFlow) {
        panic(std::string(sub_policy_message()));
    }
    base.push_sub_block(block);
}

std::optional<std::string> ZeroCycleBody::check_sub_block(const ModelArena&,
                                                          const FlowBlock& child) const {
    if (child.get_ident().join_policy == FlowBlockJoinPolicy::BasicNodeFlow) return std::nullopt;
    return refuse_child(*this, child,
                        cat(sub_policy_message(), "; a ", noun(),
                            " takes no cycle, so only assignments, zif chains and zstates go "
                            "inside it"));
}

}  // namespace velmora
