// Counts the repetitions of a loop in a CntReg; its exit is the counter's last-pass test.
#include "model/model_arena.h"
#include "model/nodes/state_nodes.h"

namespace velmora {

void CounterNode::assign_prelim(ModelArena& arena) {
    // Unlike the other state-holding nodes the exit is the raw last-pass test, not gated.
    end_expr_i = build_register_support(arena, cnt_reg_i, &CntReg::at_last,
                                        "build_support_signal must be called before "
                                        "generate_end_expr");
}

void CounterNode::assign_final(ModelArena& arena) {
    drive_register(arena, cnt_reg_i);
}

OptHcpIdent CounterNode::get_exit_opr() const {
    return set_in_prelim(end_expr_i,
                         "CounterNode::get_exit_opr: end_expr_i not set — call assign_prelim "
                         "first");
}

int32_t CounterNode::get_cycle_used() const {
    return has_ctrl_triggers() ? IN_CONSIST_CYCLE_USED : last_loop_cnt + 1;
}

}  // namespace velmora
