// The register of a WaitCondNode: rises on activation, falls once it is up and the condition holds.
#include "model/hw_component/sp_reg/control_regs.h"
#include "model/hw_component/sp_reg/ctrl_event.h"
#include "model/model_arena.h"
#include "util/str_cat.h"

namespace velmora {
namespace {
// Next-state rows, lowest first: a higher row overrides a lower one in the same cycle.
constexpr int32_t kFallPri = ctrl_row_priority(0);
constexpr int32_t kHoldPri = ctrl_row_priority(1);
constexpr int32_t kIntResetPri = ctrl_row_priority(2);
constexpr int32_t kRisePri = ctrl_row_priority(3);
}  // namespace

NcpIdent CondWaitStateReg::do_asm(ModelArena&, const HcpIdent&, OptSlice, int32_t, int32_t) {
    panic("CondWaitStateReg::do_asm() is not supported; use build_update_event()");
}

void CondWaitStateReg::build_support_signal(ModelArena& arena) {
    const std::string_view n = get_rel_name();
    const Slice bit{0, 1};
    up_state = arena.make_val(false, cat(n, "_UP_STATE"), 1, 1);
    down_state = arena.make_val(false, cat(n, "_DOWN_STATE"), 1, 0);
    self_is_up = arena.make_expression(false, cat(n, "_SELF_IS_UP"), LogicOp::RelationEq, ident,
                                       *up_state, bit, bit);
    end_expr = arena.make_expression(false, cat(n, "_END_EXPR"), LogicOp::BitwiseAnd, ident, cond,
                                     bit, cond_slice);
}

void CondWaitStateReg::build_update_event(ModelArena& arena) {
    trigger_sig.integrity_check(get_rel_name(), arena, ident, bit_width);
    const HcpIdent up = need_support(up_state);
    const HcpIdent down = need_support(down_state);
    const HcpIdent is_up = need_support(self_is_up);
    need_support(end_expr);
    // The falling event tests the condition signal whole, so it must be a single bit.
    check_ident_bit_size(get_rel_name(), arena, cond, 1, ident, bit_width);

    const Slice bit{0, 1};
    const TriggerSig& t = trigger_sig;
    push_clocked_event(arena, *this, kFallPri, {cond, is_up}, down, bit, bit);
    if (t.hold_sig_i) push_clocked_event(arena, *this, kHoldPri, {t.hold_sig_i}, ident, bit, bit);
    for (const auto& [act, c] : t.depend_sigs_i) {
        push_clocked_event(arena, *this, kRisePri, {c, act}, up, bit, bit);
    }
    if (t.int_reset_sig_i) {
        push_clocked_event(arena, *this, kIntResetPri, {t.int_reset_sig_i}, down, bit, bit);
    }
    if (t.mrst_sig_i) {
        push_clocked_event(arena, *this, DEFAULT_UE_PRI_RST, {t.mrst_sig_i}, down, bit, bit);
    }
}

}  // namespace velmora
