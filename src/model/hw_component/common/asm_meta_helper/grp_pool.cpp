#include "model/hw_component/common/asm_meta_helper/grp_pool.h"

#include "model/hw_component/common/asm_meta_helper/meta_group_key.h"
#include "model/model_store.h"

namespace velmora {

AssignMetaGrpGroup::AssignMetaGrpGroup(const AssignMeta& first, const ModelArena& arena)
    : des_(arena.ident_of(first.des)),
      update_events_(
          std::vector<UpdateEventIdent>{mergeable_event(arena, first, "AssignMetaGrpPool")}) {}

bool AssignMetaGrpGroup::accepts(const AssignMeta& meta, const ModelArena& arena) const {
    if (!update_events_ || update_events_->empty()) return false;
    if (!same_destination(arena.ident_of(meta.des), des_)) return false;
    UpdateEventIdent ue = mergeable_event(arena, meta, "AssignMetaGrpPool");
    return is_joinable(arena.get_ue_common(update_events_->front()), arena.get_ue_common(ue));
}

void AssignMetaGrpGroup::try_push_event(const UpdateEventIdent& ue) {
    if (!update_events_) panic("update_events must be initialised before try_push_event");
    update_events_->push_back(ue);
}

AssignMeta AssignMetaGrpGroup::build(ModelArena& arena) const {
    if (!update_events_ || update_events_->empty()) {
        panic("update_events must have at least one entry (first_ue from construction)");
    }
    UeGrp grp;
    grp.ident = UpdateEventIdent::make(UeType::Grp);
    grp.common = common_of_first(arena, *update_events_);
    grp.common.type = UeType::Grp;
    grp.ues = *update_events_;
    return merged_meta(des_, arena.insert_ue(std::move(grp)));
}

void AssignMetaGrpPool::insert(const AssignMeta& meta, const ModelArena& arena) {
    std::vector<size_t>& candidates = groups_of_des_[arena.ident_of(meta.des).global_id()];
    for (size_t i : candidates) {
        if (groups_[i].accepts(meta, arena)) {
            groups_[i].try_push_event(mergeable_event(arena, meta, "AssignMetaGrpPool"));
            return;
        }
    }
    candidates.push_back(groups_.size());
    groups_.emplace_back(meta, arena);
}

std::vector<AssignMeta> AssignMetaGrpPool::build_unified(ModelArena& arena) const {
    std::vector<AssignMeta> out;
    out.reserve(groups_.size());
    for (const AssignMetaGrpGroup& g : groups_) out.push_back(g.build(arena));
    return out;
}

}  // namespace velmora
