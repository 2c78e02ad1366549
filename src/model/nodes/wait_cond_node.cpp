// Waits until a condition holds.
#include "model/model_arena.h"
#include "model/typed_access.h"

namespace velmora {

void WaitCondNode::assign_prelim(ModelArena& arena) {
    std::optional<HcpIdent> raw =
        with_hcp_as<CondWaitStateReg>(arena, wait_reg_i, [&](CondWaitStateReg& reg) {
            reg.build_support_signal(arena);
            return reg.end_expr;
        });
    if (!raw) panic("build_support_signal must be called before generate_end_expr");
    raw_state_op_i = raw;
    bound_exit_i = bind_exit_with_rst_and_hold(arena, *raw);
}

void WaitCondNode::assign_final(ModelArena& arena) {
    if (triggers_.depend_nodes.empty()) panic("WaitCondNode requires at least one depend node");
    TriggerSig sig = to_trigger_sig(arena);
    with_hcp_as<CondWaitStateReg>(arena, wait_reg_i, [&](CondWaitStateReg& reg) {
        reg.trigger_sig = std::move(sig);
        reg.build_update_event(arena);
    });
}

std::optional<HcpIdent> WaitCondNode::get_exit_opr() const {
    if (!bound_exit_i) {
        panic("WaitCondNode::get_exit_opr: bound_exit_i not set — call assign_prelim first");
    }
    return bound_exit_i;
}

std::optional<HcpIdent> WaitCondNode::get_state_operating() const {
    if (!raw_state_op_i) {
        panic(
            "WaitCondNode::get_state_operating: raw_state_op_i not set — call assign_prelim "
            "first");
    }
    return raw_state_op_i;
}

}  // namespace velmora
