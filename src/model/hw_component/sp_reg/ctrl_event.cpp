#include "model/hw_component/sp_reg/ctrl_event.h"

#include "model/hw_component/sp_reg/control_regs.h"
#include "model/model_arena.h"

namespace velmora {

UpdateEventIdent make_ctrl_event(ModelArena& arena, const CondList& conds, const HcpIdent& src,
                                 Slice des_slice, Slice src_slice, int32_t priority,
                                 ClockMode clk_mode, OptHcpIdent clk_src) {
    std::vector<HcpIdent> present;
    for (const auto& c : conds) {
        if (c) present.push_back(arena.ident_of(*c));
    }
    OptHcpIdent add;
    OptHcpIdent dis;
    if (!present.empty()) {
        // Fold the leading signals so that make_ue_full sees at most two conditions.
        HcpIdent lead = present.front();
        for (size_t i = 1; i + 1 < present.size(); ++i) {
            lead = arena.make_expression(false, "cond_and_expr", LogicOp::BitwiseAnd, lead,
                                         present[i], Slice{0, 1}, Slice{0, 1});
        }
        add = lead;
        if (present.size() > 1) dis = present.back();
    }
    return arena.make_ue_full(add, dis, src, des_slice, src_slice, priority, clk_mode, false,
                              std::move(clk_src));
}

UpdateEventIdent push_clocked_event(ModelArena& arena, ControlRegBase& reg, int32_t priority,
                                    const CondList& conds, const HcpIdent& src, Slice des_slice,
                                    Slice src_slice) {
    UpdateEventIdent ue =
        make_ctrl_event(arena, conds, src, des_slice, src_slice, priority, ClockMode::PosEdge,
                        arena.ident_of(reg.trigger_sig.clk_sig_i));
    reg.add_update_event(ue);
    return ue;
}

namespace {
[[noreturn]] void fail_support_missing() {
    panic("build_support_signal must be called first");
}
}  // namespace

const HcpIdent& need_support(const OptHcpIdent& sig) {
    if (!sig) fail_support_missing();
    return *sig;
}

const HcpIdent& need_support(const ModelArena& arena, const OptHcpRef& sig) {
    if (!sig) fail_support_missing();
    return arena.ident_of(*sig);
}

}  // namespace velmora
