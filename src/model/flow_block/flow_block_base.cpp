#include "model/flow_block/flow_block_base.h"

#include "model/model_store.h"
#include "util/str_cat.h"

namespace velmora {
namespace {

/// One OprNode per non-empty signal list: the OR of its signals, chained left to right.
OptNcpIdent make_trigger_node(ModelArena& arena, const std::vector<HcpIdent>& sigs,
                              const std::string& name) {
    if (sigs.empty()) return std::nullopt;
    HcpIdent acc = sigs.front();
    for (size_t i = 1; i < sigs.size(); ++i) {
        acc = arena.make_expression(false, name, LogicOp::BitwiseOr, acc, sigs[i], std::nullopt,
                                    std::nullopt);
    }
    return arena.make_opr_node(name, acc);
}

void append_all(std::vector<HcpIdent>& to, const std::vector<HcpIdent>& from) {
    to.insert(to.end(), from.begin(), from.end());
}

}  // namespace

FlowBlockBase FlowBlockBase::make(FlowBlockType type, FlowBlockJoinPolicy policy,
                                  std::string_view name, bool chain_master) {
    FlowBlockBase b;
    b.ident = FlowBlockIdent::make(type, policy, name, chain_master);
    return b;
}

void FlowBlockBase::push_basic_node(const NcpIdent& node) {
    basic_nodes_i.push_back(node);
    basic_node_order.push_back(insertion_counter++);
}

void FlowBlockBase::push_sub_block(const FlowBlockIdent& block) {
    sub_blocks_i.push_back(block);
    sub_block_order.push_back(insertion_counter++);
}

void FlowBlockBase::push_con_block(const FlowBlockIdent& block) {
    con_blocks_i.push_back(block);
    con_block_order.push_back(insertion_counter++);
}

void FlowBlockBase::build_common_hw(ModelArena& arena) {
    std::vector<FlowBlockIdent> children = sub_blocks_i;
    children.insert(children.end(), con_blocks_i.begin(), con_blocks_i.end());

    for (const FlowBlockIdent& child : children) {
        arena.with_block(child, [&](FlowBlock& c) {
            FlowBlockBase& cb = c.get_base_mut();
            append_all(cb.reset_signals, reset_signals);
            append_all(cb.hold_signals, hold_signals);
            append_all(cb.mrst_signals, mrst_signals);
            append_all(cb.clk_signals, clk_signals);
        });
    }
    for (const FlowBlockIdent& child : children) {
        arena.with_block(child, [&](FlowBlock& c) { c.build_hw_master(arena); });
    }

    uint64_t id = ident.global_id();
    if (clk_signals.size() > 1) {
        panic(cat("ExtSigType::Clk supports exactly one signal, got ", clk_signals.size(), " for ",
                  ident.ident_base.abs_text()));
    }
    triggers.hold_node = make_trigger_node(arena, hold_signals, cat("flow_hold_", id));
    triggers.int_reset_node = make_trigger_node(arena, reset_signals, cat("flow_rst_", id));
    triggers.int_start_node = make_trigger_node(arena, start_signals, cat("flow_start_", id));
    triggers.mrst_node = make_trigger_node(arena, mrst_signals, cat("flow_mrst_", id));
    triggers.clk_node = make_trigger_node(arena, clk_signals, cat("flow_clk_", id));

    for (const NcpIdent& node : basic_nodes_i) {
        arena.with_node(node, [&](NcpNode& n) { n.fill_ext_node(triggers, false); });
    }
    for (const NcpIdent& node : basic_nodes_i) arena.init_asm_node_clk_src(node);
    for (const NcpIdent& node : basic_nodes_i) arena.apply_asm_node_pending_pre_cond(node);
}

NcpIdent adopt_node(ModelArena& arena, FlowBlockBase& base, NcpIdent node) {
    arena.with_node(node, [&](NcpNode& n) { n.fill_ext_node(base.triggers, false); });
    base.created_nodes.push_back(node);
    return node;
}

void add_depend(ModelArena& arena, const NcpIdent& node, const NcpIdent& on, OptHcpIdent cond) {
    arena.with_node(node, [&](NcpNode& n) { n.add_depend_node(on, std::move(cond)); });
}

std::pair<std::vector<FlowBlockIdent>, std::vector<FlowBlockIdent>>
FlowBlockBase::scan_sub_blocks_by_policy() const {
    std::pair<std::vector<FlowBlockIdent>, std::vector<FlowBlockIdent>> out;
    for (const FlowBlockIdent& b : sub_blocks_i) {
        switch (b.join_policy) {
            case FlowBlockJoinPolicy::BasicNodeFlow:
                out.first.push_back(b);
                break;
            case FlowBlockJoinPolicy::SubFlow:
                out.second.push_back(b);
                break;
            case FlowBlockJoinPolicy::ConFlow:
                panic("scan_sub_blocks_by_policy: ConFlow not allowed in sub_blocks_i");
        }
    }
    return out;
}

}  // namespace velmora
