#include "model/hw_component/common/asm_meta_helper/meta_group_key.h"

#include "model/model_arena.h"
#include "util/str_cat.h"

namespace velmora {

bool same_destination(const HcpIdent& a, const HcpIdent& b) {
    return a.global_id() == b.global_id() && a.ident_base == b.ident_base &&
           a.rel_name() == b.rel_name() && a.handle() == b.handle();
}

UpdateEventIdent mergeable_event(const ModelArena& arena, const AssignMeta& meta,
                                 std::string_view pool_name) {
    if (!meta.cur_ue) {
        panic(cat(pool_name, ": assignment to '", arena.ident_of(meta.des).abs_name(),
                  "' has no update event"));
    }
    if (meta.pending_pre_cond) {
        panic(cat(pool_name, ": assignment to '", arena.ident_of(meta.des).abs_name(),
                  "' still has a pending pre-condition; apply it before merging"));
    }
    return *meta.cur_ue;
}

UeCommon common_of_first(const ModelArena& arena, const std::vector<UpdateEventIdent>& ues) {
    UeCommon c;
    c.priority = DEFAULT_UE_PRI_USER;
    c.clk_mode = ClockMode::ClkUnused;
    if (!ues.empty()) c = arena.get_ue_common(ues.front());
    c.sub_priority = DEFAULT_UE_SUB_PRIORITY_USER;
    return c;
}

AssignMeta merged_meta(const HcpIdent& des, const UpdateEventIdent& ue) {
    AssignMeta meta;
    meta.des = des;
    meta.first_ue = ue;
    meta.cur_ue = ue;
    return meta;
}

}  // namespace velmora
