#include "model/hw_component/common/assign_meta.h"

#include "model/hw_component/common/update_event.h"
#include "model/model_arena.h"

namespace velmora {

void AssignMeta::add_specific_pre_condition(const HcpIdent& cond, ModelArena& arena) {
    if (!cur_ue) panic("AssignMeta: no update event to condition");
    check_clock_invariant(arena.get_ue_common(*cur_ue));
    cur_ue = arena.make_ue_add_dis(cond, std::nullopt, *cur_ue);
}

void AssignMeta::apply_pending_pre_cond(ModelArena& arena) {
    if (!pending_pre_cond) return;
    HcpIdent cond = arena.ident_of(*pending_pre_cond);
    pending_pre_cond.reset();
    add_specific_pre_condition(cond, arena);
}

}  // namespace velmora
