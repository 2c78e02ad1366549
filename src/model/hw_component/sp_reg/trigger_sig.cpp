#include "model/hw_component/sp_reg/trigger_sig.h"

#include "model/model_arena.h"
#include "util/str_cat.h"

namespace velmora {
// The owner is out of its slot while its events are built, so its width comes from the caller.
void check_ident_bit_size(std::string_view owner_name, const ModelArena& arena, const HcpIdent& sig,
                          int32_t expected, const HcpIdent& owner_i, int32_t owner_width) {
    int32_t actual = sig == owner_i ? owner_width : arena.hcp_width(sig);
    if (actual != expected) {
        panic_eq(cat("'", owner_name, "': signal '", sig.abs_name(), "' must be ", expected,
                     "-bit, got ", actual),
                 std::to_string(actual), std::to_string(expected));
    }
}

void TriggerSig::integrity_check(std::string_view owner_name, const ModelArena& arena,
                                 const HcpIdent& owner_i, int32_t owner_width) const {
    auto check = [&](const OptHcpRef& sig) {
        if (sig)
            check_ident_bit_size(owner_name, arena, arena.ident_of(*sig), 1, owner_i, owner_width);
    };
    check(hold_sig_i);
    check(int_reset_sig_i);
    check(int_start_sig_i);
    check(mrst_sig_i);
    check(clk_sig_i);
    for (const auto& [act, cond] : depend_sigs_i) {
        check(act);
        check(cond);
    }
}

}  // namespace velmora
