// The pipeline: an entrance that fires when the pipeline can take an item, lets the arbiter grant
// (it is the arbiter's master ack) and starts the body when a leaf is granted; with no grant, a
// wait state takes one cycle and the entrance fires again. The body's end re-enters the entrance.
#include "model/flow_block/pipeline.h"

#include "model/complex_hardware/arb.h"
#include "model/flow_block/loop_back.h"
#include "model/model_store.h"
#include "model/typed_access.h"
#include "util/str_cat.h"

namespace velmora {
namespace {
const BodyTexts kTexts{
    "pipeline block does not accept direct asm nodes; use a sub-block",
    "pipeline block already has a body sub-block",
    "pipeline block must have exactly one body sub-block",
    "pipeline flow block must have exactly one sub-block",
    "pipeline block has not been built",
};

/// High when some leaf of the arbiter is granted: its request and its acknowledge both high.
/// A request alone is not enough: under NotAck two equal requests are both refused, and an
/// Ack-locked leaf's acknowledge is high whether or not it asks.
HcpIdent any_leaf_granted(ModelArena& arena, const CcpIdent& arb, uint64_t id) {
    std::vector<ArbLeaf> leaves =
        read_ccp_as<Arb>(arena, arb, [](const Arb& a) { return a.leaves; });
    if (leaves.empty()) panic("pipeline arbiter has no leaves");
    const std::string any_name = cat("pip_grant_", id);
    OptHcpIdent any;
    for (size_t k = 0; k < leaves.size(); ++k) {
        HcpIdent granted =
            arena.make_expression(false, cat("pip_granted_", id, "_", k), LogicOp::BitwiseAnd,
                                  leaves[k].req, leaves[k].ack, std::nullopt, std::nullopt);
        any = any ? arena.make_expression(false, any_name, LogicOp::BitwiseOr, *any, granted,
                                          std::nullopt, std::nullopt)
                  : granted;
    }
    return *any;
}

HcpIdent exit_of(const ModelArena& arena, const NcpIdent& node) {
    return *arena.read_node(node, [](const NcpNode& n) { return n.get_exit_opr(); });
}

}  // namespace

const BodyTexts& FlowBlockPip::texts() const {
    return kTexts;
}

FlowBlockPip FlowBlockPip::make(std::string_view name, const CcpIdent& arb, bool auto_restart) {
    FlowBlockPip b;
    b.base =
        FlowBlockBase::make(FlowBlockType::Pipeline, FlowBlockJoinPolicy::SubFlow, name, false);
    b.arb = arb;
    b.auto_restart = auto_restart;
    return b;
}

FlowBlockIdent ModelArena::make_flow_block_pip(std::string_view name, const CcpIdent& arb,
                                               int32_t priority, bool auto_req, bool auto_restart) {
    if (arb.ccp_type != CcpType::Arb) panic("PipSchematic::new: ccp must be an Arb");
    read_ccp_as<Arb>(*this, arb, [](const Arb& a) {
        if (Problem p = a.pipeline_refusal()) panic(*p);
    });
    if (auto_req) {
        arb_add_leaf_locked(arb, priority, ArbLockedChannel::Req);
    } else {
        arb_add_leaf(arb, priority);
    }
    FlowBlockIdent block = insert_block(FlowBlockPip::make(name, arb, auto_restart));
    with_ccp_as<Arb>(*this, arb, [&](Arb& a) { a.reserve_for_pipeline(block); });
    return block;
}

std::optional<std::string> FlowBlockPip::check_prefinalize() const {
    return check_loop_prefinalize(base, kTexts.no_body,
                                  "pipeline block does not support con blocks");
}

void FlowBlockPip::build_hw_master(ModelArena& arena) {
    auto [hold, reset] = read_ccp_as<Arb>(
        arena, arb, [](const Arb& a) { return std::pair(a.user_hold, a.user_reset); });
    if (hold) base.hold_signals.push_back(*hold);
    if (reset) {
        base.reset_signals.push_back(*reset);
        if (auto_restart) base.start_signals.push_back(*reset);
    }
    build_hw_master_base(arena);
}

void FlowBlockPip::build_hw_component(ModelArena& arena) {
    if (base.sub_blocks_i.size() != 1) {
        panic_eq(std::string(kTexts.no_body_at_build), std::to_string(base.sub_blocks_i.size()),
                 "1");
    }
    if (!base.basic_nodes_i.empty()) panic("pipeline flow block does not support basic nodes");
    if (!base.con_blocks_i.empty()) panic("pipeline flow block does not support con blocks");
    const uint64_t id = base.ident.global_id();

    HcpIdent granted = any_leaf_granted(arena, arb, id);
    HcpIdent no_grant = arena.make_expression_single(false, cat("pip_no_mreq_", id),
                                                     LogicOp::BitwiseInvr, granted, std::nullopt);

    // The wait state is not frozen by a hold: an idle pipeline keeps offering its entrance.
    NcpIdent wait = arena.make_state_node(cat("pip_wait4syn_", id));
    NodeTriggers unheld = base.triggers;
    unheld.hold_node.reset();
    arena.with_node(wait, [&](NcpNode& n) { n.fill_ext_node(unheld, false); });
    base.created_nodes.push_back(wait);
    NcpIdent entrance = adopt_node(
        arena, base, arena.make_pseudo_node(cat("pip_entrance_", id), 1, LogicOp::BitwiseOr));

    const NodeWrap pass = summarize_body(arena);
    add_depend(arena, wait, entrance, no_grant);
    for (const NcpIdent& entry : pass.entry_nodes) add_depend(arena, entry, entrance, granted);
    // A body that may end in the cycle it starts re-enters through a one-cycle state, so that
    // the entrance never feeds itself combinationally.
    LoopBack back = make_loop_back(arena, base, pass, "pip", std::nullopt);
    add_depend(arena, entrance, back.node, back.cond);
    add_depend(arena, entrance, wait);
    if (base.triggers.int_start_node)
        add_depend(arena, entrance, arena.ident_of(*base.triggers.int_start_node));

    HcpIdent zero = arena.make_val(false, cat("pip_zero_", id), 1, 0);
    NcpIdent never = arena.make_opr_node(cat("pip_dummy_exit_", id), zero);
    base.created_nodes.push_back(never);

    arena.arb_set_master_ack_src(arb, exit_of(arena, entrance));

    arena.assign_ncp_node(entrance, true, false);
    arena.assign_ncp_node(wait, true, true);
    for (const NcpIdent& entry : pass.entry_nodes) arena.assign_ncp_node(entry, false, true);

    result = NodeWrap({entrance}, never, IN_CONSIST_CYCLE_USED, false);
}

}  // namespace velmora
