#include "model/hw_component/common/asm_meta_helper/switch_pool.h"

#include "model/hw_component/common/asm_meta_helper/meta_group_key.h"
#include "model/model_store.h"
#include "util/str_cat.h"

namespace velmora {

bool AssignMetaSwitchGroup::accepts(const AssignMeta& meta, const ModelArena& arena) const {
    if (update_events_.empty() || !same_destination(arena.ident_of(meta.des), des_)) return false;
    UpdateEventIdent ue = mergeable_event(arena, meta, "AssignMetaSwitchPool");
    return is_joinable(arena.get_ue_common(update_events_.front()), arena.get_ue_common(ue));
}

void AssignMetaSwitchGroup::push_case(int32_t match_val, const UpdateEventIdent& ue) {
    match_vals_.push_back(match_val);
    update_events_.push_back(ue);
}

AssignMeta AssignMetaSwitchGroup::build(ModelArena& arena) const {
    if (match_vals_.size() != update_events_.size()) {
        panic(cat("match_vals length (", match_vals_.size(), ") must equal update_events length (",
                  update_events_.size(), ")"));
    }
    UeSwitch ue;
    ue.ident = UpdateEventIdent::make(UeType::Switch);
    ue.common = common_of_first(arena, update_events_);
    ue.common.type = UeType::Switch;
    ue.selector = selector_;
    ue.match_vals = match_vals_;
    ue.ues = update_events_;
    return merged_meta(des_, arena.insert_ue(std::move(ue)));
}

void AssignMetaSwitchPool::insert(int32_t match_val, const std::vector<AssignMeta>& case_metas,
                                  const ModelArena& arena) {
    for (const AssignMeta& meta : case_metas) {
        UpdateEventIdent ue = mergeable_event(arena, meta, "AssignMetaSwitchPool");
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
            groups_.emplace_back(arena.ident_of(meta.des), selector_);
        }
        groups_[target].push_case(match_val, ue);
    }
}

void AssignMetaSwitchPool::insert_cases(const std::vector<int32_t>& match_vals,
                                        const std::vector<std::vector<AssignMeta>>& cases,
                                        const ModelArena& arena) {
    if (match_vals.size() != cases.size()) {
        panic_eq("match_vals and update_events length must match",
                 std::to_string(match_vals.size()), std::to_string(cases.size()));
    }
    for (size_t i = 0; i < match_vals.size(); ++i) insert(match_vals[i], cases[i], arena);
}

std::vector<AssignMeta> AssignMetaSwitchPool::build_unified(ModelArena& arena) const {
    std::vector<AssignMeta> out;
    out.reserve(groups_.size());
    for (const AssignMetaSwitchGroup& g : groups_) out.push_back(g.build(arena));
    return out;
}

}  // namespace velmora
