// The one-bit state register of a StateNode or StartNode: a pulse unless held or re-activated.
#include "model/hw_component/sp_reg/control_regs.h"
#include "model/hw_component/sp_reg/ctrl_event.h"
#include "model/model_arena.h"

namespace velmora {
namespace {
// Next-state rows, lowest first: a higher row overrides a lower one in the same cycle.
constexpr int32_t kClearPri = ctrl_row_priority(0);
constexpr int32_t kHoldPri = ctrl_row_priority(1);
constexpr int32_t kIntResetPri = ctrl_row_priority(2);
constexpr int32_t kSetPri = ctrl_row_priority(3);
constexpr int32_t kIntStartPri = ctrl_row_priority(4);
}  // namespace

NcpIdent StateReg::do_asm(ModelArena&, const HcpIdent&, OptSlice, int32_t, int32_t) {
    panic("StateReg::do_asm() is not supported; use build_update_event()");
}

void StateReg::build_update_event(ModelArena& arena) {
    trigger_sig.integrity_check(get_rel_name(), arena, ident, bit_width);
    const HcpIdent set = need_support(arena, set_sig);
    const HcpIdent unset = need_support(arena, unset_sig);
    if (!trigger_sig.clk_sig_i) panic("StateReg::build_update_event: clk_sig_i not assigned");

    const Slice bit{0, 1};
    const TriggerSig& t = trigger_sig;
    push_clocked_event(arena, *this, kClearPri, {}, unset, bit, bit);
    // Holding keeps the register's own value; a constant 1 would also "hold" a cleared state
    // high.
    if (t.hold_sig_i) push_clocked_event(arena, *this, kHoldPri, {t.hold_sig_i}, ident, bit, bit);
    for (const auto& [act, cond] : t.depend_sigs_i) {
        push_clocked_event(arena, *this, kSetPri, {act, cond}, set, bit, bit);
    }
    if (t.int_reset_sig_i) {
        push_clocked_event(arena, *this, kIntResetPri, {t.int_reset_sig_i}, unset, bit, bit);
    }
    if (t.int_start_sig_i) {
        push_clocked_event(arena, *this, kIntStartPri, {t.int_start_sig_i}, set, bit, bit);
    }
    if (t.mrst_sig_i) {
        push_clocked_event(arena, *this, DEFAULT_UE_PRI_RST, {t.mrst_sig_i}, unset, bit, bit);
    }
}

}  // namespace velmora
