// Node factories and the node operations of the arena.
#include <span>

#include "model/model_store.h"
#include "model/typed_access.h"
#include "util/str_cat.h"

namespace velmora {
namespace {

void check_asm_ident(const NcpIdent& node) {
    check_assert(node.node_type == NodeType::Asm, "node.node_type == NodeType::Asm");
}

bool is_edge_clocked(ClockMode m) {
    return m == ClockMode::PosEdge || m == ClockMode::NegEdge;
}

// Only edge-clocked events take a clock: a ClkFree event (a wire assigned in a step) with a
// clock source would break the clock invariant when its guard is added.
void give_clock_to_edge_events(ModelArena& arena, std::span<const AssignMeta> metas,
                               const OptHcpIdent& clk) {
    for (const AssignMeta& meta : metas) {
        if (!meta.cur_ue) continue;
        if (!is_edge_clocked(arena.get_ue_common(*meta.cur_ue).clk_mode)) continue;
        arena.set_ue_clk_src_deep(*meta.cur_ue, clk);
    }
}

}  // namespace

NcpIdent ModelArena::make_asm_node(bool is_user_com, std::string_view name, AssignMeta meta) {
    AsmNode n;
    n.ident = NcpIdent::make(NodeType::Asm, is_user_com, name);
    n.asm_metas.push_back(std::move(meta));
    return insert_node(std::move(n));
}

NcpIdent ModelArena::make_asm_node_many(std::string_view name, std::vector<AssignMeta> metas) {
    check_assert(!metas.empty(), "!metas.is_empty()");
    AsmNode n;
    n.ident = NcpIdent::make(NodeType::Asm, false, name);
    n.asm_metas.reserve(metas.size());
    for (AssignMeta& meta : metas) n.asm_metas.push_back(std::move(meta));
    return insert_node(std::move(n));
}

NcpIdent ModelArena::make_opr_node(std::string_view name, const HcpIdent& exit) {
    OprNode n;
    n.ident = NcpIdent::make(NodeType::Opr, false, name);
    n.exit_opr = exit;
    return insert_node(std::move(n));
}

NcpIdent ModelArena::make_pseudo_node(std::string_view name, int32_t width, LogicOp join_op) {
    if (join_op != LogicOp::BitwiseAnd && join_op != LogicOp::BitwiseOr) {
        panic("assertion failed: matches!(join_op, LogicOp::BitwiseAnd | LogicOp::BitwiseOr)");
    }
    PseudoNode n;
    n.exit_opr = make_expression_empty("pseudo_init_expr", width);
    n.ident = NcpIdent::make(NodeType::Pseudo, false, name);
    n.width = width;
    n.join_op = join_op;
    return insert_node(std::move(n));
}

NcpIdent ModelArena::make_start_node(std::string_view name, const HcpIdent& mrst) {
    StartNode n;
    n.state_reg_i = make_state_reg(cat(name, "_ST"));
    n.mrst_i = mrst;
    HcpIdent up = make_val(false, "upState", 1, 1);
    n.start_expr_i = make_expression(false, "startExpr", LogicOp::RelationEq, n.state_reg_i, up,
                                     std::nullopt, std::nullopt);
    n.ident = NcpIdent::make(NodeType::Start, false, name);
    return insert_node(std::move(n));
}

NcpIdent ModelArena::make_state_node(std::string_view name) {
    StateNode n;
    n.state_reg_i = make_state_reg(cat(name, "_ST"), NameStore::Unique);
    n.ident = NcpIdent::make(NodeType::State, false, name, NameStore::Unique);
    return insert_node(std::move(n));
}

NcpIdent ModelArena::make_syn_node(std::string_view name, int32_t syn_size) {
    check_assert(syn_size > 0, "syn_size > 0");
    SynNode n;
    n.sync_reg_i = make_sync_reg(cat(name, "_SY"), syn_size);
    n.syn_size = syn_size;
    n.ident = NcpIdent::make(NodeType::Syn, false, name);
    return insert_node(std::move(n));
}

NcpIdent ModelArena::make_wait_cond_node(std::string_view name, const HcpIdent& cond, Slice slice) {
    WaitCondNode n;
    n.wait_reg_i = make_cond_wait_state_reg(cat(name, "_CW"), cond, slice);
    n.ident = NcpIdent::make(NodeType::WaitCond, false, name);
    return insert_node(std::move(n));
}

NcpIdent ModelArena::make_wait_cycle_node(std::string_view name, int32_t cycle) {
    check_assert(cycle > 0, "cycle > 0");
    WaitCycleNode n;
    n.wait_reg_i = make_cycle_wait_state_reg(cat(name, "_CY"), cycle);
    n.cycle = cycle;
    n.ident = NcpIdent::make(NodeType::WaitCycle, false, name);
    return insert_node(std::move(n));
}

NcpIdent ModelArena::make_counter_node(std::string_view name, int32_t last_loop_cnt) {
    check_assert(last_loop_cnt > 0, "last_loop_cnt > 0");
    CounterNode n;
    n.cnt_reg_i = make_cnt_reg(cat(name, "_CNT"), 1, last_loop_cnt);
    n.last_loop_cnt = last_loop_cnt;
    n.ident = NcpIdent::make(NodeType::Counter, false, name);
    return insert_node(std::move(n));
}

void ModelArena::assign_ncp_node(const NcpIdent& node, bool run_prelim, bool run_final) {
    with_node(node, [&](NcpNode& n) {
        if (run_prelim) n.assign_prelim(*this);
        if (run_final) n.assign_final(*this);
    });
}

void ModelArena::dry_assign_asm_node(const NcpIdent& node) {
    check_asm_ident(node);
    with_node_as<AsmNode>(*this, node, [&](AsmNode& n) { n.dry_assign(*this); });
}

void ModelArena::assign_asm_from_state_node(const NcpIdent& node) {
    check_asm_ident(node);
    with_node_as<AsmNode>(*this, node, [&](AsmNode& n) { n.assign_from_state_node(*this); });
}

void ModelArena::init_asm_node_clk_src(const NcpIdent& node) {
    check_asm_ident(node);
    with_node_as<AsmNode>(*this, node, [&](AsmNode& n) {
        OptNcpRef clk_node = n.get_clk_node();
        if (!clk_node) return;
        give_clock_to_edge_events(*this, n.asm_metas, n.resolve_node_exit_opr(*this, *clk_node));
    });
}

void ModelArena::set_asm_node_clk_src_direct(const NcpIdent& node, const HcpIdent& clk) {
    check_asm_ident(node);
    with_node_as<AsmNode>(*this, node,
                          [&](AsmNode& n) { give_clock_to_edge_events(*this, n.asm_metas, clk); });
}

void ModelArena::apply_asm_node_pending_pre_cond(const NcpIdent& node) {
    check_asm_ident(node);
    with_node_as<AsmNode>(*this, node, [&](AsmNode& n) {
        for (AssignMeta& meta : n.asm_metas) meta.apply_pending_pre_cond(*this);
    });
}

}  // namespace velmora
