// Waits until a condition holds.
#include "model/model_arena.h"
#include "model/nodes/state_nodes.h"

namespace velmora {

void WaitCondNode::assign_prelim(ModelArena& arena) {
    raw_state_op_i = build_register_support(arena, wait_reg_i, &CondWaitStateReg::end_expr,
                                            "build_support_signal must be called before "
                                            "generate_end_expr");
    bound_exit_i = bind_exit_with_rst_and_hold(arena, *raw_state_op_i);
}

void WaitCondNode::assign_final(ModelArena& arena) {
    if (triggers_.depend_nodes.empty()) panic("WaitCondNode requires at least one depend node");
    drive_register(arena, wait_reg_i);
}

OptHcpIdent WaitCondNode::get_exit_opr() const {
    return set_in_prelim(bound_exit_i,
                         "WaitCondNode::get_exit_opr: bound_exit_i not set — call assign_prelim "
                         "first");
}

OptHcpIdent WaitCondNode::get_state_operating() const {
    return set_in_prelim(raw_state_op_i,
                         "WaitCondNode::get_state_operating: raw_state_op_i not set — call "
                         "assign_prelim first");
}

}  // namespace velmora
