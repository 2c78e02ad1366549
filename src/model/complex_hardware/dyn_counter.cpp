// The dynamic counter's chain of additions and its commit.
#include "model/complex_hardware/dyn_counter.h"

#include "common/internal_error.h"
#include "common/user_error.h"
#include "model/common/priorities.h"
#include "model/model_arena.h"
#include "util/str_cat.h"

namespace velmora {

HcpIdent DynCounter::add(ModelArena& arena, const HcpIdent& addend, const OptHcpIdent& enable) {
    uint32_t k = add_count++;
    HcpIdent cur = now();
    // An addend of another width is fitted as an assignment source is ("{addend}_ext", or its
    // low bits), so that the sum is the counter's width without an implicit widening.
    SanitizedSrc fit = arena.sanitize_asm_src(reg, addend, std::nullopt, -1, -1);
    OptSlice addend_slice = fit.kind == 2 ? OptSlice(fit.src_slice) : std::nullopt;
    HcpIdent sum = arena.make_expression(false, cat(name(), "_ADD", k), LogicOp::ArithPlus, cur,
                                         fit.src, std::nullopt, addend_slice);
    if (!enable) {
        pending = sum;
        return sum;
    }
    int32_t w = arena.hcp_width(*enable);
    if (w != 1) fail_user(cat("DynCounter add: enable must be 1-bit, got ", w));
    HcpIdent step = arena.make_wire(false, cat(name(), "_ST", k), width);
    // A bound source's priority: above the wire's zero default, whatever the user's mode is.
    arena.mux_into_wire(step, *enable, HcpTerm{sum, std::nullopt}, HcpTerm{cur, std::nullopt},
                        DEFAULT_UE_PRI_INTERNAL_MIN);
    pending = step;
    return step;
}

Problem DynCounter::update_refusal() const {
    if (pending) return std::nullopt;
    return std::string("DynCounter update: nothing to commit — call add() first");
}

HcpIdent DynCounter::take_pending() {
    if (Problem p = update_refusal()) panic(*p);
    HcpIdent out = *pending;
    pending.reset();
    return out;
}

}  // namespace velmora
