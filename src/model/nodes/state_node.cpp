// One step of a sequence: a one-hot state bit held in a StateReg.
#include "model/model_arena.h"
#include "model/typed_access.h"

namespace velmora {

void StateNode::assign_prelim(ModelArena& arena) {
    state_op_i = state_reg_i;
    exit_opr_i = bind_exit_with_rst_and_hold(arena, state_reg_i);
}

void StateNode::assign_final(ModelArena& arena) {
    TriggerSig sig = to_trigger_sig(arena);
    with_hcp_as<StateReg>(arena, state_reg_i, [&](StateReg& reg) {
        reg.trigger_sig = std::move(sig);
        reg.build_update_event(arena);
    });
}

std::optional<HcpIdent> StateNode::get_exit_opr() const {
    if (!exit_opr_i) panic("exit opr is not set yet");
    return exit_opr_i;
}

std::optional<HcpIdent> StateNode::get_state_operating() const {
    if (!state_op_i) panic("state operating is not set yet");
    return state_op_i;
}

int32_t StateNode::get_cycle_used() const {
    return has_ctrl_triggers() ? IN_CONSIST_CYCLE_USED : 1;
}

}  // namespace velmora
