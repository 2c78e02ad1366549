#include "model/hw_component/common/asm_meta_helper/if_pool.h"

#include "model/hw_component/common/asm_meta_helper/meta_group_key.h"
#include "model/model_store.h"
#include "util/str_cat.h"

namespace velmora {

bool AssignMetaIfGroup::accepts(const AssignMeta& meta, const ModelArena& arena) const {
    if (update_events_.empty() || !same_destination(arena.ident_of(meta.des), des_)) return false;
    UpdateEventIdent ue = mergeable_event(arena, meta, "AssignMetaIfPool");
    return is_joinable(arena.get_ue_common(update_events_.front()), arena.get_ue_common(ue));
}

void AssignMetaIfGroup::push_branch(const OptHcpIdent& cond, const UpdateEventIdent& ue) {
    if (has_else_) {
        panic(cat("AssignMetaIfPool: branch for '", des_.abs_name(),
                  "' added after its else branch"));
    }
    if (cond) {
        cond_rel_vecs_.push_back(*cond);
    } else {
        has_else_ = true;
    }
    update_events_.push_back(ue);
}

AssignMeta AssignMetaIfGroup::build(ModelArena& arena) const {
    size_t n_ue = update_events_.size();
    size_t n_cond = cond_rel_vecs_.size();
    if (n_ue != n_cond && n_ue != n_cond + 1) {
        panic(cat("update_events length (", n_ue, ") must equal cond_rel_vecs length (", n_cond,
                  ") or be exactly 1 more (else branch)"));
    }
    UeCond ue;
    ue.ident = UpdateEventIdent::make(UeType::Cond);
    ue.common = common_of_first(arena, update_events_);
    ue.common.type = UeType::Cond;
    for (size_t i = 0; i < n_cond; ++i) ue.push_branch(cond_rel_vecs_[i], update_events_[i]);
    if (n_ue > n_cond) ue.push_branch(std::nullopt, update_events_.back());
    return merged_meta(des_, arena.insert_ue(std::move(ue)));
}

void AssignMetaIfPool::insert(const OptHcpIdent& cond, const std::vector<AssignMeta>& branch,
                              const ModelArena& arena) {
    for (const AssignMeta& meta : branch) {
        UpdateEventIdent ue = mergeable_event(arena, meta, "AssignMetaIfPool");
        std::vector<size_t>& candidates = groups_of_des_[arena.ident_of(meta.des).global_id()];
        size_t target = groups_.size();
        for (size_t i : candidates) {
            if (groups_[i].accepts(meta, arena)) {
                target = i;
                break;
            }
        }
        if (target == groups_.size()) {
            candidates.push_back(target);
            groups_.emplace_back(arena.ident_of(meta.des));
        }
        groups_[target].push_branch(cond, ue);
    }
}

void AssignMetaIfPool::insert_branches(const std::vector<OptHcpIdent>& conds,
                                       const std::vector<std::vector<AssignMeta>>& branches,
                                       const ModelArena& arena) {
    if (conds.size() != branches.size()) {
        panic_eq("the number of cond and ue should match", std::to_string(conds.size()),
                 std::to_string(branches.size()));
    }
    for (size_t i = 0; i < conds.size(); ++i) insert(conds[i], branches[i], arena);
}

std::vector<AssignMeta> AssignMetaIfPool::build_unified(ModelArena& arena) const {
    std::vector<AssignMeta> out;
    out.reserve(groups_.size());
    for (const AssignMetaIfGroup& g : groups_) out.push_back(g.build(arena));
    return out;
}

}  // namespace velmora
