// Two-way selection into a wire: one always-on, clock-free conditional event, made and pooled at
// once. It adds nothing to the flow block stack, so it serves equally while components are being
// made, while the flow is described (inside a block or not) and while complex components build.
#include "common/user_error.h"
#include "model/arena_impl_comb/comb_checks.h"
#include "model/controller/asm_priority.h"
#include "model/model_store.h"
#include "util/str_cat.h"

namespace velmora {
namespace {

SanitizedSrc fit_to(ModelArena& arena, const HcpIdent& wire, const HcpTerm& src) {
    Slice given = src.slice.value_or(Slice{-1, -1});
    return arena.sanitize_asm_src(wire, src.sig, std::nullopt, given.start, given.stop);
}

}  // namespace

MuxFits ModelArena::mux_into_wire(const HcpIdent& wire, const HcpIdent& cond,
                                  const HcpTerm& if_true, const HcpTerm& if_false,
                                  int32_t priority) {
    if (wire.hw_type != HwComponentType::Wire) {
        panic(cat("mux_into_wire: '", wire.abs_name(), "' is not a WIRE"));
    }
    if (hcp_width(cond) != 1) {
        panic(cat("mux_into_wire: cond '", cond.abs_name(), "' must be 1-bit, got ",
                  hcp_width(cond)));
    }
    MuxFits fits{fit_to(*this, wire, if_true), fit_to(*this, wire, if_false)};
    Slice des = hcp_full_slice(wire);
    auto branch = [&](const SanitizedSrc& fit) {
        return make_ue_basic(fit.src, des, fit.src_slice, priority, ClockMode::ClkFree, false,
                             std::nullopt);
    };
    UeCond ue;
    ue.ident = UpdateEventIdent::make(UeType::Cond);
    ue.common.priority = priority;
    ue.common.clk_mode = ClockMode::ClkFree;
    ue.common.type = UeType::Cond;
    ue.push_branch(cond, branch(fits.if_true));
    ue.push_branch(std::nullopt, branch(fits.if_false));
    UpdateEventIdent id = insert_ue(std::move(ue));
    with_hcp(wire, [&](HcpBase& w) { w.add_update_event(id); });
    return fits;
}

MuxResult ModelArena::gen_mux(std::string_view name, const HcpIdent& cond, OptSlice cond_slice,
                              const HcpTerm& if_true, const HcpTerm& if_false, int32_t width) {
    if (Problem p = check_gen_mux(*this, cond, cond_slice, width)) fail_user(*p);
    HcpIdent wire = make_wire(true, name, width);
    HcpIdent one_bit = resolve_cond_slice(name, cond, cond_slice);
    MuxFits fits = mux_into_wire(wire, one_bit, if_true, if_false, current_asm_priority());
    return MuxResult{wire, fits};
}

}  // namespace velmora
