// Reset logic of registers and default logic of wires, built once per flow build.
#include "model/hw_component/signals.h"

#include <algorithm>

#include "model/model_arena.h"
#include "util/str_cat.h"

namespace velmora {

void Reg::try_build_reset(ModelArena& arena, const HcpIdent& clock, const HcpIdent& reset) {
    if (!reset_val) return;
    // Without an explicit reset clock mode the reset is synchronous to the design clock: a
    // clock-free reset event would make a reset-only register a latch.
    ClockMode mode = reset_clk_mode.value_or(ClockMode::PosEdge);
    bool clocked = mode == ClockMode::PosEdge || mode == ClockMode::NegEdge;
    add_update_event(arena.make_ue_full(std::nullopt, reset, *reset_val, Slice{0, bit_width},
                                        arena.hcp_full_slice(*reset_val), DEFAULT_UE_PRI_RST, mode,
                                        false, clocked ? std::optional(clock) : std::nullopt));
}

void Wire::try_build_default(ModelArena& arena) {
    if (!has_default) return;
    HcpIdent src = default_val
                       ? *default_val
                       : arena.make_val(false, cat(get_rel_name(), "_DEFAULT_ZERO"), bit_width, 0);
    Slice src_range = arena.hcp_full_slice(src);
    if (src_range.size() != bit_width) {
        panic("assertion failed: self.is_size_in_range_rel(b.get_size())");
    }
    default_ue = arena.make_ue_basic(src, Slice{0, bit_width}, src_range, DEFAULT_UE_PRI_MIN,
                                     ClockMode::ClkFree, false, std::nullopt);
    add_update_event(*default_ue);
}

void Wire::sort_events(const ModelArena& arena) {
    HcpBase::sort_events(arena);
    if (!default_ue) return;
    auto& pool = hcp_assign.update_pool;
    auto it = std::find(pool.begin(), pool.end(), *default_ue);
    if (it != pool.end()) std::rotate(pool.begin(), it, it + 1);
}

void Wire::disable_default() {
    if (default_val) panic("cannot disable default on a wire with a default_val");
    has_default = false;
}

}  // namespace velmora
