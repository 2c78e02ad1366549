// Waits a fixed number of cycles.
#include "model/model_arena.h"
#include "model/typed_access.h"

namespace velmora {

void WaitCycleNode::assign_prelim(ModelArena& arena) {
    std::optional<HcpIdent> raw =
        with_hcp_as<CycleWaitStateReg>(arena, wait_reg_i, [&](CycleWaitStateReg& reg) {
            reg.build_support_signal(arena);
            return reg.is_end;
        });
    if (!raw) panic("build_support_signal must be called before generate_end_expr");
    end_expr_i = raw;
    bound_exit_i = bind_exit_with_rst_and_hold(arena, *raw);
}

void WaitCycleNode::assign_final(ModelArena& arena) {
    TriggerSig sig = to_trigger_sig(arena);
    with_hcp_as<CycleWaitStateReg>(arena, wait_reg_i, [&](CycleWaitStateReg& reg) {
        reg.trigger_sig = std::move(sig);
        reg.build_update_event(arena);
    });
}

std::optional<HcpIdent> WaitCycleNode::get_exit_opr() const {
    if (!bound_exit_i) {
        panic("WaitCycleNode::get_exit_opr: bound_exit_i not set — call assign_prelim first");
    }
    return bound_exit_i;
}

int32_t WaitCycleNode::get_cycle_used() const {
    if (has_ctrl_triggers() || !cycle) return IN_CONSIST_CYCLE_USED;
    return *cycle;
}

}  // namespace velmora
