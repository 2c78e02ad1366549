// One step of a sequence: a one-hot state bit held in a StateReg.
#include "model/model_arena.h"
#include "model/nodes/state_nodes.h"

namespace velmora {

void StateNode::assign_prelim(ModelArena& arena) {
    exit_opr_i = bind_exit_with_rst_and_hold(arena, state_reg_i);
}

void StateNode::assign_final(ModelArena& arena) {
    drive_register(arena, state_reg_i);
}

OptHcpIdent StateNode::get_exit_opr() const {
    return set_in_prelim(exit_opr_i, "exit opr is not set yet");
}

OptHcpIdent StateNode::get_state_operating() const {
    // The state bit operates from assign_prelim on, which is when the exit is made.
    return set_in_prelim(exit_opr_i ? OptHcpIdent(state_reg_i) : OptHcpIdent(),
                         "state operating is not set yet");
}

int32_t StateNode::get_cycle_used() const {
    return has_ctrl_triggers() ? IN_CONSIST_CYCLE_USED : 1;
}

}  // namespace velmora
