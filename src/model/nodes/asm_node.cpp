// An assignment node: its metas become guarded events in their destinations' pools.
#include <span>

#include "model/model_store.h"

namespace velmora {
namespace {

void pool_current_events(ModelArena& arena, std::span<const AssignMeta> metas) {
    for (const AssignMeta& meta : metas) {
        if (!meta.cur_ue) continue;
        arena.with_hcp(HcpIdent(arena.ident_of(meta.des)),
                       [&](HcpBase& des) { des.add_update_event(*meta.cur_ue); });
    }
}

}  // namespace

ClockMode AsmNode::get_clock_mode(const ModelArena& arena) const {
    if (asm_metas.empty() || !asm_metas.front().cur_ue) return ClockMode::ClkUnused;
    return arena.get_ue_common(*asm_metas.front().cur_ue).clk_mode;
}

void AsmNode::assign_prelim(ModelArena&) {
    panic("AsmNode::assign_prelim(): is not support in AsmNode");
}

void AsmNode::assign_final(ModelArena&) {
    panic("AsmNode::assign_final(): use assign_from_state_node or dry_assign");
}

OptHcpIdent AsmNode::get_exit_opr() const {
    panic("get_exit_opr: not implemented");
}

void AsmNode::dry_assign(ModelArena& arena) {
    if (!triggers_.depend_nodes.empty()) panic("dry assign must have no depend nodes");
    check_assert(!asm_metas.empty(), "!self.asm_metas.is_empty()");
    pool_current_events(arena, asm_metas);
}

void AsmNode::assign_from_state_node(ModelArena& arena) {
    if (triggers_.depend_nodes.size() != 1) panic("AsmNode must have exactly one parent depend");
    check_assert(!asm_metas.empty(), "!self.asm_metas.is_empty()");
    const auto& [parent, cond] = triggers_.depend_nodes.front();

    OptHcpIdent guard = arena.ident_of(cond);
    auto and_inverted = [&](const OptNcpRef& gate_node, std::string_view name) {
        if (!gate_node) return;
        OptHcpIdent gate = resolve_node_exit_opr(arena, *gate_node);
        if (!gate) panic("AsmNode: gating node has no exit signal");
        HcpIdent inv =
            arena.make_expression_single(false, name, LogicOp::BitwiseInvr, *gate, std::nullopt);
        guard = combine_optional_conds(arena, guard, inv, LogicOp::BitwiseAnd);
    };
    and_inverted(triggers_.hold_node, "asm_hold_inv");
    and_inverted(triggers_.int_reset_node, "asm_rst_inv");
    OptHcpIdent state = arena.read_node(arena.ident_of(parent),
                                        [](const NcpNode& n) { return n.get_state_operating(); });
    guard = combine_optional_conds(arena, guard, state, LogicOp::BitwiseAnd);

    if (guard) {
        for (AssignMeta& meta : asm_metas) meta.add_specific_pre_condition(*guard, arena);
    }
    pool_current_events(arena, asm_metas);
}

}  // namespace velmora
