#pragma once
// Merging the branches of an if/elif/else block into one conditional event per destination and
// clocking class.
//
// Use:
//   AssignMetaIfPool pool;
//   pool.insert(cond_if, metas_of_if_branch, arena);
//   pool.insert(cond_elif, metas_of_elif_branch, arena);
//   pool.insert(std::nullopt, metas_of_else_branch, arena);   // the else branch, last
//   std::vector<AssignMeta> unified = pool.build_unified(arena);
// or insert_branches(conds, branches, arena) with one condition per branch.
//
// Within each branch, an assignment joins the first group with the same destination whose first
// event is_joinable with its own, otherwise it opens a new group. A group pairs the i-th
// condition it saw with its i-th event; an event from the else branch comes last and becomes the
// UeCond's else branch. Branches should hold one (already unified) meta per destination and
// clocking class: two from one branch make two branches of the same condition, the first wins.
#include <optional>
#include <unordered_map>
#include <vector>

#include "model/hw_component/common/assign_meta.h"

namespace velmora {

class ModelArena;

class AssignMetaIfGroup {
public:
    explicit AssignMetaIfGroup(HcpIdent des) : des_(std::move(des)) {}
    AssignMetaIfGroup(HcpIdent des, std::vector<HcpIdent> cond_rel_vecs,
                      std::vector<UpdateEventIdent> update_events)
        : des_(std::move(des)),
          cond_rel_vecs_(std::move(cond_rel_vecs)),
          update_events_(std::move(update_events)) {}

    const HcpIdent& destination() const { return des_; }
    bool accepts(const AssignMeta& meta, const ModelArena& arena) const;
    /// One branch's event; an absent condition marks the else branch.
    void push_branch(const OptHcpIdent& cond, const UpdateEventIdent& ue);
    /// A UeCond of the branches; common part from the first event (10, ClkUnused when none).
    AssignMeta build(ModelArena& arena) const;

private:
    HcpIdent des_;
    std::vector<HcpIdent> cond_rel_vecs_;
    std::vector<UpdateEventIdent> update_events_;
    bool has_else_ = false;
};

class AssignMetaIfPool {
public:
    void insert(const OptHcpIdent& cond, const std::vector<AssignMeta>& branch,
                const ModelArena& arena);
    /// One condition per branch (absent for the else branch), in order.
    void insert_branches(const std::vector<OptHcpIdent>& conds,
                         const std::vector<std::vector<AssignMeta>>& branches,
                         const ModelArena& arena);
    std::vector<AssignMeta> build_unified(ModelArena& arena) const;
    size_t group_count() const { return groups_.size(); }

private:
    std::vector<AssignMetaIfGroup> groups_;
    // Groups of each destination (by global id), so that a block of many assignments stays linear.
    std::unordered_map<uint64_t, std::vector<size_t>> groups_of_des_;
};

}  // namespace velmora
