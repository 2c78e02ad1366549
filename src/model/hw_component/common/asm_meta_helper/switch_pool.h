#pragma once
// Merging the cases of a switch into one UeSwitch per destination and clocking class.
//
// Use:
//   AssignMetaSwitchPool pool(selector);
//   pool.insert(match_val, metas_of_case, arena);            // per case, in order
//   std::vector<AssignMeta> unified = pool.build_unified(arena);
// or insert_cases(match_vals, cases, arena) with one match value per case.
//
// Grouping is that of the other pools (destination identity and is_joinable with the group's
// first event); a group keeps the match value of each case it received with that case's event,
// so a destination missing from a case simply has no entry for it.
#include <unordered_map>
#include <vector>

#include "model/hw_component/common/assign_meta.h"

namespace velmora {

class ModelArena;

class AssignMetaSwitchGroup {
public:
    AssignMetaSwitchGroup(HcpIdent des, HcpIdent selector)
        : des_(std::move(des)), selector_(std::move(selector)) {}
    AssignMetaSwitchGroup(HcpIdent des, HcpIdent selector, std::vector<int32_t> match_vals,
                          std::vector<UpdateEventIdent> update_events)
        : des_(std::move(des)),
          selector_(std::move(selector)),
          match_vals_(std::move(match_vals)),
          update_events_(std::move(update_events)) {}

    const HcpIdent& destination() const { return des_; }
    bool accepts(const AssignMeta& meta, const ModelArena& arena) const;
    void push_case(int32_t match_val, const UpdateEventIdent& ue);
    /// A UeSwitch on the selector; common part from the first event (10, ClkUnused when none).
    AssignMeta build(ModelArena& arena) const;

private:
    HcpIdent des_;
    HcpIdent selector_;
    std::vector<int32_t> match_vals_;
    std::vector<UpdateEventIdent> update_events_;
};

class AssignMetaSwitchPool {
public:
    explicit AssignMetaSwitchPool(HcpIdent selector) : selector_(std::move(selector)) {}

    void insert(int32_t match_val, const std::vector<AssignMeta>& case_metas,
                const ModelArena& arena);
    /// One match value per case, in order.
    void insert_cases(const std::vector<int32_t>& match_vals,
                      const std::vector<std::vector<AssignMeta>>& cases, const ModelArena& arena);
    std::vector<AssignMeta> build_unified(ModelArena& arena) const;
    size_t group_count() const { return groups_.size(); }

private:
    HcpIdent selector_;
    std::vector<AssignMetaSwitchGroup> groups_;
    // Groups of each destination (by global id), so that a block of many assignments stays linear.
    std::unordered_map<uint64_t, std::vector<size_t>> groups_of_des_;
};

}  // namespace velmora
