// The register of a WaitCycleNode. Bit 0 flags "active", the bits above count the waited cycle:
// idle is 0, the first waited cycle 3, each further one adds 2, the last is 2 * wait_cycle + 1.
#include <cmath>

#include "model/hw_component/sp_reg/control_regs.h"
#include "model/hw_component/sp_reg/ctrl_event.h"
#include "model/model_arena.h"
#include "util/str_cat.h"

namespace velmora {
namespace {
// Next-state rows, lowest first: a higher row overrides a lower one in the same cycle.
constexpr int32_t kIdlePri = ctrl_row_priority(0);
constexpr int32_t kStepPri = ctrl_row_priority(1);
constexpr int32_t kHoldPri = ctrl_row_priority(2);
constexpr int32_t kIntResetPri = ctrl_row_priority(3);
constexpr int32_t kStartPri = ctrl_row_priority(4);
}  // namespace

int32_t cycle_wait_cnt_width(int32_t wait_cycle) {
    double n = 2.0 * (static_cast<double>(wait_cycle) + 1.0) - 1.0;
    return static_cast<int32_t>(std::trunc(std::log2(n)));
}

NcpIdent CycleWaitStateReg::do_asm(ModelArena&, const HcpIdent&, OptSlice, int32_t, int32_t) {
    panic("CycleWaitStateReg::do_asm() is not supported; use build_update_event()");
}

void CycleWaitStateReg::build_support_signal(ModelArena& arena) {
    const std::string_view n = get_rel_name();
    const Slice whole{0, full_width};
    idle_cnt = arena.make_val(false, cat(n, "_IDLE_CNT"), full_width, 0);
    start_cnt = arena.make_val(false, cat(n, "_START_CNT"), full_width, 3);
    inc_step = arena.make_val(false, cat(n, "_INC_STEP"), full_width, 2);
    HcpIdent end_marker = end_cnt;
    if (end_source == CycleWaitEndSource::Internal) {
        end_full = arena.make_val(false, cat(n, "_END_FULL"), full_width,
                                  2 * static_cast<uint64_t>(wait_cycle) + 1);
        end_marker = *end_full;
    } else {
        int32_t w = arena.hcp_width(end_cnt);
        if (w != full_width) {
            panic_eq(cat("CycleWaitStateReg '", n, "': external end_cnt must be ", full_width,
                         "-bit full marker, got ", w),
                     std::to_string(w), std::to_string(full_width));
        }
    }
    is_active = arena.make_expression(false, cat(n, "_IS_ACTIVE"), LogicOp::RelationNeq, ident,
                                      *idle_cnt, whole, whole);
    is_end = arena.make_expression(false, cat(n, "_IS_END"), LogicOp::RelationEq, ident, end_marker,
                                   whole, whole);
    is_not_end = arena.make_expression(false, cat(n, "_IS_NOT_END"), LogicOp::RelationNeq, ident,
                                       end_marker, whole, whole);
    inc_cond = arena.make_expression(false, cat(n, "_INC_COND"), LogicOp::BitwiseAnd, *is_active,
                                     *is_not_end, std::nullopt, std::nullopt);
    inc_expr = arena.make_expression(false, cat(n, "_INC_EXPR"), LogicOp::ArithPlus, ident,
                                     *inc_step, whole, whole);
}

void CycleWaitStateReg::build_update_event(ModelArena& arena) {
    trigger_sig.integrity_check(get_rel_name(), arena, ident, bit_width);
    const HcpIdent idle = need_support(idle_cnt);
    const HcpIdent start = need_support(start_cnt);
    const HcpIdent end = need_support(is_end);
    const HcpIdent step_cond = need_support(inc_cond);
    const HcpIdent step = need_support(inc_expr);

    const Slice whole{0, full_width};
    const Slice count{1, full_width};  // bit 0, the active flag, is left alone while counting
    const TriggerSig& t = trigger_sig;
    push_clocked_event(arena, *this, kIdlePri, {end}, idle, whole, whole);
    push_clocked_event(arena, *this, kStepPri, {step_cond}, step, count, count);
    if (t.hold_sig_i)
        push_clocked_event(arena, *this, kHoldPri, {t.hold_sig_i}, ident, whole, whole);
    for (const auto& [act, cond] : t.depend_sigs_i) {
        push_clocked_event(arena, *this, kStartPri, {cond, act}, start, whole, whole);
    }
    if (t.int_reset_sig_i) {
        push_clocked_event(arena, *this, kIntResetPri, {t.int_reset_sig_i}, idle, whole, whole);
    }
    if (t.mrst_sig_i) {
        push_clocked_event(arena, *this, DEFAULT_UE_PRI_RST, {t.mrst_sig_i}, idle, whole, whole);
    }
}

}  // namespace velmora
