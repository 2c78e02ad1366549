// Waits a fixed number of cycles.
#include "model/model_arena.h"
#include "model/nodes/state_nodes.h"

namespace velmora {

void WaitCycleNode::assign_prelim(ModelArena& arena) {
    end_expr_i = build_register_support(arena, wait_reg_i, &CycleWaitStateReg::is_end,
                                        "build_support_signal must be called before "
                                        "generate_end_expr");
    bound_exit_i = bind_exit_with_rst_and_hold(arena, *end_expr_i);
}

void WaitCycleNode::assign_final(ModelArena& arena) {
    drive_register(arena, wait_reg_i);
}

OptHcpIdent WaitCycleNode::get_exit_opr() const {
    return set_in_prelim(bound_exit_i,
                         "WaitCycleNode::get_exit_opr: bound_exit_i not set — call assign_prelim "
                         "first");
}

int32_t WaitCycleNode::get_cycle_used() const {
    if (has_ctrl_triggers() || !cycle) return IN_CONSIST_CYCLE_USED;
    return *cycle;
}

}  // namespace velmora
