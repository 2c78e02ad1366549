// Counts the repetitions of a loop in a CntReg; its exit is the counter's last-pass test.
#include "model/model_arena.h"
#include "model/typed_access.h"

namespace velmora {

void CounterNode::assign_prelim(ModelArena& arena) {
    std::optional<HcpIdent> end = with_hcp_as<CntReg>(arena, cnt_reg_i, [&](CntReg& reg) {
        reg.build_support_signal(arena);
        return reg.at_last;
    });
    if (!end) panic("build_support_signal must be called before generate_end_expr");
    // Unlike the other state-holding nodes the exit is the raw last-pass test, not gated.
    end_expr_i = end;
}

void CounterNode::assign_final(ModelArena& arena) {
    TriggerSig sig = to_trigger_sig(arena);
    with_hcp_as<CntReg>(arena, cnt_reg_i, [&](CntReg& reg) {
        reg.trigger_sig = std::move(sig);
        reg.build_update_event(arena);
    });
}

std::optional<HcpIdent> CounterNode::get_exit_opr() const {
    if (!end_expr_i) {
        panic("CounterNode::get_exit_opr: end_expr_i not set — call assign_prelim first");
    }
    return end_expr_i;
}

int32_t CounterNode::get_cycle_used() const {
    return has_ctrl_triggers() ? IN_CONSIST_CYCLE_USED : last_loop_cnt + 1;
}

}  // namespace velmora
