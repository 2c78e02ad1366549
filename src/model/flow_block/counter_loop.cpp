// The counter loop: a CounterNode counts the body's passes; the body re-enters until the last
// pass, whose end ends the loop.
#include "model/flow_block/counter_loop.h"

#include <limits>

#include "model/flow_block/loop_back.h"
#include "model/model_store.h"
#include "model/typed_access.h"
#include "util/str_cat.h"

namespace velmora {
namespace {
const BodyTexts kTexts{
    "counter loop does not accept direct asm nodes; use a sub-block",
    "counter loop already has a body sub-block",
    "counter loop must have exactly one body block",
    "counter loop must have exactly one body block",
    "counter loop has not been built",
};
}  // namespace

const BodyTexts& FlowBlockCounterLoop::texts() const {
    return kTexts;
}

int32_t repeated_cycles(int32_t passes, int32_t body_cycle, int32_t gap) {
    if (body_cycle == IN_CONSIST_CYCLE_USED) return IN_CONSIST_CYCLE_USED;
    int64_t total = int64_t{passes} * body_cycle + int64_t{passes - 1} * gap;
    if (total > std::numeric_limits<int32_t>::max()) return IN_CONSIST_CYCLE_USED;
    return static_cast<int32_t>(total);
}

FlowBlockCounterLoop FlowBlockCounterLoop::make(std::string_view name, int32_t last_loop_cnt) {
    FlowBlockCounterLoop b;
    b.base =
        FlowBlockBase::make(FlowBlockType::CounterLoop, FlowBlockJoinPolicy::SubFlow, name, false);
    b.last_loop_cnt = last_loop_cnt;
    return b;
}

FlowBlockIdent ModelArena::make_flow_block_counter_loop(std::string_view name,
                                                        int32_t last_loop_cnt) {
    if (last_loop_cnt <= 0) panic("counter loop count must be positive");
    return insert_block(FlowBlockCounterLoop::make(name, last_loop_cnt));
}

OptHcpIdent FlowBlockCounterLoop::get_loop_id_expr_i() const {
    if (!loop_id_expr) panic("counter loop has not been built yet");
    return loop_id_expr;
}

std::optional<std::string> FlowBlockCounterLoop::check_prefinalize() const {
    return check_loop_prefinalize(base, kTexts.no_body, "counter loop does not support con blocks");
}

void FlowBlockCounterLoop::build_hw_component(ModelArena& arena) {
    if (std::optional<std::string> problem = check_prefinalize()) panic(*problem);
    const uint64_t id = base.ident.global_id();
    const NodeWrap pass = summarize_body(arena);
    const NcpIdent pass_end = pass.get_exit_node();

    NcpIdent counter =
        adopt_node(arena, base, arena.make_counter_node(cat("cloop_cnt_", id), last_loop_cnt));
    loop_id_expr =
        read_node_as<CounterNode>(arena, counter, [](const CounterNode& n) { return n.cnt_reg_i; });
    add_depend(arena, counter, pass_end);
    arena.assign_ncp_node(counter, true, true);
    HcpIdent last = *node_exit_of(arena, counter);

    NcpIdent loop = adopt_node(
        arena, base, arena.make_pseudo_node(cat("cloop_loop_", id), 1, LogicOp::BitwiseOr));
    if (base.triggers.int_start_node)
        add_depend(arena, loop, arena.ident_of(*base.triggers.int_start_node));
    HcpIdent not_last = arena.make_expression_single(false, cat("cloop_not_last_", id),
                                                     LogicOp::BitwiseInvr, last, std::nullopt);
    LoopBack back = make_loop_back(arena, base, pass, "cloop", not_last);
    add_depend(arena, loop, back.node, back.cond);
    for (const NcpIdent& entry : pass.entry_nodes) add_depend(arena, entry, loop);

    NcpIdent exit = adopt_node(
        arena, base, arena.make_pseudo_node(cat("cloop_exit_", id), 1, LogicOp::BitwiseOr));
    add_depend(arena, exit, pass_end, last);
    arena.assign_ncp_node(exit, true, true);
    for (const NcpIdent& entry : pass.entry_nodes) arena.assign_ncp_node(entry, false, true);

    result = NodeWrap({loop}, exit, repeated_cycles(last_loop_cnt, pass.cycle, back.held ? 1 : 0),
                      pass.may_finish_at_once && last_loop_cnt == 1);
}

}  // namespace velmora
