// The do-while loop: the body's entries are the loop's; the body's end re-enters it while the
// condition holds and ends the loop when it does not.
#include "model/flow_block/do_while.h"

#include "model/model_store.h"
#include "util/str_cat.h"

namespace velmora {

const LoopTexts FlowBlockDoWhile::kTexts{
    "do-while block does not accept direct asm nodes; use a sub-block",
    "do-while block already has a body sub-block",
    "do-while block must have exactly one body block",
    "do-while block does not support con blocks",
};

FlowBlockDoWhile FlowBlockDoWhile::make(std::string_view name, const HcpIdent& cond) {
    FlowBlockDoWhile b;
    b.base = FlowBlockBase::make(FlowBlockType::DoWhile, FlowBlockJoinPolicy::SubFlow, name, false);
    b.schematic.cond = cond;
    return b;
}

FlowBlockIdent ModelArena::make_flow_block_do_while(std::string_view name, const HcpIdent& cond,
                                                    OptSlice cond_slice) {
    HcpIdent resolved = resolve_cond_slice(name, cond, cond_slice);
    return insert_block(FlowBlockDoWhile::make(name, resolved));
}

void FlowBlockDoWhile::add_element_in_flow_block(const ModelArena&, const NcpIdent&) {
    panic(std::string(kTexts.no_direct_nodes));
}

void FlowBlockDoWhile::add_sub_flow_block(const FlowBlockIdent& block) {
    schematic.body.attach(base, block, kTexts);
}

std::optional<std::string> FlowBlockDoWhile::refuse_basic_node() const {
    return std::string(kTexts.no_direct_nodes);
}

std::optional<std::string> FlowBlockDoWhile::refuse_sub_block(const FlowBlockIdent&) const {
    return schematic.body.refuse(kTexts);
}

std::optional<std::string> FlowBlockDoWhile::check_prefinalize() const {
    return check_loop_prefinalize(base, schematic.body, kTexts);
}

void DoWhileSchematic::build(ModelArena& arena, FlowBlockBase& base) {
    if (std::optional<std::string> problem =
            check_loop_prefinalize(base, body, FlowBlockDoWhile::kTexts)) {
        panic(*problem);
    }
    const uint64_t id = base.ident.global_id();
    const NodeWrap& pass = body.summarize(arena);
    if (base.triggers.int_start_node) {
        for (const NcpIdent& entry : pass.entry_nodes) {
            add_depend(arena, entry, *base.triggers.int_start_node);
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
