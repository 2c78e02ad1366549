// Waits until every one of several branches has arrived.
#include "model/model_arena.h"
#include "model/typed_access.h"

namespace velmora {

void SynNode::assign_prelim(ModelArena& arena) {
    std::optional<HcpIdent> raw = with_hcp_as<SyncReg>(arena, sync_reg_i, [&](SyncReg& reg) {
        reg.build_support_signal(arena);
        return reg.end_expr;
    });
    if (!raw) panic("end_expr after build_support_signal");
    end_expr_i = raw;
    bound_exit_i = bind_exit_with_rst_and_hold(arena, *raw);
}

void SynNode::assign_final(ModelArena& arena) {
    TriggerSig sig = to_trigger_sig(arena);
    with_hcp_as<SyncReg>(arena, sync_reg_i, [&](SyncReg& reg) {
        reg.trigger_sig = std::move(sig);
        reg.build_update_event(arena);
    });
}

std::optional<HcpIdent> SynNode::get_exit_opr() const {
    if (!bound_exit_i) {
        panic(
            "SynNode::get_exit_opr: bound_exit_i not set — call assign_prelim before reading "
            "exit_opr");
    }
    return bound_exit_i;
}

}  // namespace velmora
