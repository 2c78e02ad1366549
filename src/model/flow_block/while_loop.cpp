// The while loop: a test node that fires on the loop's start and after every pass; the body runs
// when the condition holds, the loop ends when it does not.
#include "model/flow_block/while_loop.h"

#include "model/flow_block/loop_back.h"
#include "model/model_store.h"
#include "util/str_cat.h"

namespace velmora {
namespace {
const BodyTexts kTexts{
    "while block does not accept direct asm nodes; use a sub-block",
    "while block already has a body sub-block",
    "while block must have one body block",
    "while block must have one body block",
    "while block has not been built",
};
}  // namespace

const BodyTexts& FlowBlockWhile::texts() const {
    return kTexts;
}

FlowBlockWhile FlowBlockWhile::make(std::string_view name, const HcpIdent& cond, bool is_sync) {
    FlowBlockWhile b;
    b.base =
        FlowBlockBase::make(FlowBlockType::WhileLoop, FlowBlockJoinPolicy::SubFlow, name, false);
    b.cond = cond;
    b.is_sync = is_sync;
    return b;
}

FlowBlockIdent ModelArena::make_flow_block_while(std::string_view name, const HcpIdent& cond,
                                                 OptSlice cond_slice, bool is_sync) {
    HcpIdent resolved = resolve_cond_slice(name, cond, cond_slice);
    return insert_block(FlowBlockWhile::make(name, resolved, is_sync));
}

std::optional<std::string> FlowBlockWhile::check_prefinalize() const {
    return check_loop_prefinalize(base, kTexts.no_body, "while block does not support con blocks");
}

void FlowBlockWhile::build_hw_component(ModelArena& arena) {
    if (std::optional<std::string> problem = check_prefinalize()) panic(*problem);
    const uint64_t id = base.ident.global_id();
    NcpIdent test = adopt_node(
        arena, base,
        is_sync ? arena.make_state_node(cat("swhile_cond_", id))
                : arena.make_pseudo_node(cat("cwhile_cond_", id), 1, LogicOp::BitwiseOr));
    if (base.triggers.int_start_node)
        add_depend(arena, test, arena.ident_of(*base.triggers.int_start_node));
    arena.assign_ncp_node(test, true, false);

    const NodeWrap pass = summarize_body(arena);
    // The state test of a swhile already breaks the path from the body's end to its start.
    LoopBack back = is_sync ? LoopBack{pass.get_exit_node(), std::nullopt}
                            : make_loop_back(arena, base, pass, "cwhile", std::nullopt);
    add_depend(arena, test, back.node, back.cond);
    for (const NcpIdent& entry : pass.entry_nodes) add_depend(arena, entry, test, cond);

    HcpIdent not_cond = arena.make_expression_single(false, cat("cwhile_not_cond_", id),
                                                     LogicOp::BitwiseInvr, cond, std::nullopt);
    NcpIdent exit = adopt_node(
        arena, base, arena.make_pseudo_node(cat("cwhile_exit_", id), 1, LogicOp::BitwiseOr));
    add_depend(arena, exit, test, not_cond);
    arena.assign_ncp_node(exit, true, true);
    for (const NcpIdent& entry : pass.entry_nodes) arena.assign_ncp_node(entry, false, true);

    // A cwhile whose condition is false at its start ends in that very cycle.
    result = NodeWrap({test}, exit, IN_CONSIST_CYCLE_USED, !is_sync);
}

}  // namespace velmora
