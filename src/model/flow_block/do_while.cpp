// The do-while loop: the body's entries are the loop's; the body's end re-enters it while the
// condition holds and ends the loop when it does not.
#include "model/flow_block/do_while.h"

#include "model/flow_block/loop_back.h"
#include "model/model_store.h"
#include "util/str_cat.h"

namespace velmora {
namespace {
const BodyTexts kTexts{
    "do-while block does not accept direct asm nodes; use a sub-block",
    "do-while block already has a body sub-block",
    "do-while block must have exactly one body block",
    "do-while block must have exactly one body block",
    "do-while block has not been built",
};
}  // namespace

const BodyTexts& FlowBlockDoWhile::texts() const {
    return kTexts;
}

FlowBlockDoWhile FlowBlockDoWhile::make(std::string_view name, const HcpIdent& cond) {
    FlowBlockDoWhile b;
    b.base = FlowBlockBase::make(FlowBlockType::DoWhile, FlowBlockJoinPolicy::SubFlow, name, false);
    b.cond = cond;
    return b;
}

FlowBlockIdent ModelArena::make_flow_block_do_while(std::string_view name, const HcpIdent& cond,
                                                    OptSlice cond_slice) {
    HcpIdent resolved = resolve_cond_slice(name, cond, cond_slice);
    return insert_block(FlowBlockDoWhile::make(name, resolved));
}

std::optional<std::string> FlowBlockDoWhile::check_prefinalize() const {
    return check_loop_prefinalize(base, kTexts.no_body,
                                  "do-while block does not support con blocks");
}

void FlowBlockDoWhile::build_hw_component(ModelArena& arena) {
    if (std::optional<std::string> problem = check_prefinalize()) panic(*problem);
    const uint64_t id = base.ident.global_id();
    const NodeWrap pass = summarize_body(arena);
    if (base.triggers.int_start_node) {
        for (const NcpIdent& entry : pass.entry_nodes) {
            add_depend(arena, entry, arena.ident_of(*base.triggers.int_start_node));
        }
    }
    LoopBack back = make_loop_back(arena, base, pass, "dowhile", cond);
    for (const NcpIdent& entry : pass.entry_nodes) add_depend(arena, entry, back.node, back.cond);

    HcpIdent not_cond = arena.make_expression_single(false, cat("dowhile_not_cond_", id),
                                                     LogicOp::BitwiseInvr, cond, std::nullopt);
    NcpIdent exit = adopt_node(
        arena, base, arena.make_pseudo_node(cat("dowhile_exit_", id), 1, LogicOp::BitwiseOr));
    add_depend(arena, exit, pass.get_exit_node(), not_cond);
    arena.assign_ncp_node(exit, true, true);

    result = NodeWrap(pass.entry_nodes, exit, IN_CONSIST_CYCLE_USED, pass.may_finish_at_once);
}

}  // namespace velmora
