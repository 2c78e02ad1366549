// The loop counter of a CounterNode: counts 0 .. max_cycle - 1 and wraps to 0 on the last pass.
#include <algorithm>
#include <cmath>

#include "model/hw_component/sp_reg/control_regs.h"
#include "model/hw_component/sp_reg/ctrl_event.h"
#include "model/model_arena.h"
#include "util/str_cat.h"

namespace velmora {
namespace {
// Next-state rows, lowest first: a higher row overrides a lower one in the same cycle.
constexpr int32_t kStepPri = ctrl_row_priority(1);
constexpr int32_t kHoldPri = ctrl_row_priority(2);
constexpr int32_t kIntResetPri = ctrl_row_priority(3);
constexpr int32_t kIntStartPri = ctrl_row_priority(4);
}  // namespace

int32_t cnt_reg_width(int32_t max_cycle) {
    // A one-pass loop still needs a register to emit: one bit that stays 0.
    double bits = std::trunc(std::log2(2.0 * static_cast<double>(max_cycle) - 1.0));
    return std::max<int32_t>(1, static_cast<int32_t>(bits));
}

void CntReg::build_support_signal(ModelArena& arena) {
    const std::string_view n = get_rel_name();
    const Slice whole{0, bit_width};
    last_cycle = arena.make_val(false, cat(n, "_LAST_CYCLE"), bit_width,
                                static_cast<uint64_t>(max_cycle - 1));
    zero = arena.make_val(false, cat(n, "_ZERO"), bit_width, 0);
    at_last = arena.make_expression(false, cat(n, "_AT_LAST"), LogicOp::RelationEq, ident,
                                    *last_cycle, whole, whole);
    HcpIdent inc_val_sig =
        arena.make_val(false, cat(n, "_INC_VAL"), bit_width, static_cast<uint64_t>(inc_val));
    inc = arena.make_expression(false, cat(n, "_INC"), LogicOp::ArithPlus, ident, inc_val_sig,
                                whole, whole);
}

void CntReg::build_update_event(ModelArena& arena) {
    trigger_sig.integrity_check(get_rel_name(), arena, ident, bit_width);
    const HcpIdent last = need_support(at_last);
    const HcpIdent step = need_support(inc);
    const HcpIdent clear = need_support(zero);

    const Slice whole{0, bit_width};
    const TriggerSig& t = trigger_sig;
    auto push = [&](int32_t priority, const CondList& conds, const HcpIdent& src) {
        built_events.push_back(
            push_clocked_event(arena, *this, priority, conds, src, whole, whole));
    };
    for (const auto& [act, cond] : t.depend_sigs_i) {
        push(kStepPri, {cond, act}, step);
        // Added after the increment so it wins on the last pass: unless max_cycle is a power of
        // two, "_INC" would leave the counter at max_cycle instead of 0.
        push(kStepPri, {cond, act, last}, clear);
    }
    if (t.hold_sig_i) push(kHoldPri, {t.hold_sig_i}, ident);
    if (t.int_reset_sig_i) push(kIntResetPri, {t.int_reset_sig_i}, clear);
    if (t.int_start_sig_i) push(kIntStartPri, {t.int_start_sig_i}, step);
    if (t.mrst_sig_i) push(DEFAULT_UE_PRI_RST, {t.mrst_sig_i}, clear);
}

}  // namespace velmora
