// The register of a SynNode: one bit per synchronised input, cleared once every slot is filled.
#include "model/hw_component/sp_reg/control_regs.h"
#include "model/hw_component/sp_reg/ctrl_event.h"
#include "model/model_store.h"
#include "model/typed_access.h"
#include "util/str_cat.h"

namespace velmora {
namespace {
// Next-state rows, lowest first: a higher row overrides a lower one in the same cycle.
constexpr int32_t kClearPri = ctrl_row_priority(0);
constexpr int32_t kHoldPri = ctrl_row_priority(1);
constexpr int32_t kIntResetPri = ctrl_row_priority(2);
constexpr int32_t kArrivePri = ctrl_row_priority(3);
}  // namespace

NcpIdent SyncReg::do_asm(ModelArena&, const HcpIdent&, OptSlice, int32_t, int32_t) {
    panic("SyncReg::do_asm() is not supported; use build_update_event()");
}

void SyncReg::build_support_signal(ModelArena& arena) {
    const std::string_view n = get_rel_name();
    const Slice whole{0, size};
    up_state = arena.make_val(false, cat(n, "_UP_STATE"), 1, 1);
    up_full = arena.make_val_vv(false, cat(n, "_UP_FULL"), size,
                                std::vector<uint64_t>(VaryVal::limb_count(size), ~uint64_t{0}));
    down_full = arena.make_val(false, cat(n, "_DOWN_FULL"), size, 0);
    // The wire keeps its default zero: without it a slot nobody drives this cycle would latch.
    test_wire = arena.make_wire(false, cat(n, "_TEST_WIRE"), size);
    HcpIdent or_test = arena.make_expression(false, cat(n, "_OR_TEST"), LogicOp::BitwiseOr, ident,
                                             *test_wire, whole, whole);
    end_expr = arena.make_expression(false, cat(n, "_END_EXPR"), LogicOp::RelationEq, or_test,
                                     *up_full, std::nullopt, std::nullopt);
    end_expr_inv = arena.make_expression_single(false, cat(n, "_END_EXPR_INV"),
                                                LogicOp::BitwiseInvr, *end_expr, std::nullopt);
}

void SyncReg::build_update_event(ModelArena& arena) {
    trigger_sig.integrity_check(get_rel_name(), arena, ident, bit_width);
    const HcpIdent up = need_support(up_state);
    const HcpIdent down = need_support(down_full);
    const HcpIdent wire = need_support(test_wire);
    const HcpIdent end = need_support(end_expr);
    const HcpIdent end_inv = need_support(end_expr_inv);

    const Slice whole{0, size};
    const Slice one{0, 1};
    const TriggerSig& t = trigger_sig;
    push_clocked_event(arena, *this, kClearPri, {end}, down, whole, whole);
    if (t.hold_sig_i)
        push_clocked_event(arena, *this, kHoldPri, {t.hold_sig_i}, ident, whole, whole);
    int32_t k = 0;
    for (const auto& [act, cond] : t.depend_sigs_i) {
        HcpIdent gate = end_inv;
        if (cond) {
            gate = arena.make_expression(false, cat(get_rel_name(), "_ACT_COND_", k),
                                         LogicOp::BitwiseAnd, end_inv, arena.ident_of(*cond),
                                         std::nullopt, std::nullopt);
        }
        const Slice bit{k, k + 1};
        push_clocked_event(arena, *this, kArrivePri, {gate, act}, up, bit, one);
        // The arrival seen this cycle, so that the last input completes the set at once.
        UpdateEventIdent arrive = make_ctrl_event(arena, {cond, act}, up, bit, one, kArrivePri,
                                                  ClockMode::ClkFree, std::nullopt);
        with_hcp_as<Wire>(arena, wire, [&](Wire& w) { w.add_update_event(arrive); });
        ++k;
    }
    if (k != size) {
        panic(cat("SyncReg '", get_rel_name(), "': ", k, " of ", size, " bit slots filled"));
    }
    if (t.int_reset_sig_i) {
        push_clocked_event(arena, *this, kIntResetPri, {t.int_reset_sig_i}, down, whole, whole);
    }
    if (t.mrst_sig_i) {
        push_clocked_event(arena, *this, DEFAULT_UE_PRI_RST, {t.mrst_sig_i}, down, whole, whole);
    }
}

}  // namespace velmora
