#pragma once
// Merging the assignments of one block into one event per destination and clocking class.
//
// Use:
//   AssignMetaGrpPool pool;
//   for (const AssignMeta& m : metas) pool.insert(m, arena);   // in program order
//   std::vector<AssignMeta> unified = pool.build_unified(arena);
//
// An assignment joins the first group with the same destination (global id, names, arena
// handle) whose first event is_joinable with its own (same priority, clock mode and clock
// source); otherwise it opens a new group. build_unified returns one AssignMeta per group, in
// the order the groups were opened, each holding a new UeGrp of the group's events in insertion
// order. Inserted metas must have a current event and no pending pre-condition.
#include <optional>
#include <unordered_map>
#include <vector>

#include "model/hw_component/common/assign_meta.h"
#include "model/hw_component/common/update_event.h"

namespace velmora {

class ModelArena;

/// The events of one destination that can share one UeGrp.
class AssignMetaGrpGroup {
public:
    /// An uninitialised group: it refuses events until it is made from a first meta.
    AssignMetaGrpGroup() = default;
    AssignMetaGrpGroup(const AssignMeta& first, const ModelArena& arena);

    const HcpIdent& destination() const { return des_; }
    /// True when `meta` has this group's destination and an event joinable with the first one.
    bool accepts(const AssignMeta& meta, const ModelArena& arena) const;
    void try_push_event(const UpdateEventIdent& ue);
    /// A UeGrp of the events; common part from the first event.
    AssignMeta build(ModelArena& arena) const;

private:
    HcpIdent des_;
    std::optional<std::vector<UpdateEventIdent>> update_events_;
};

class AssignMetaGrpPool {
public:
    void insert(const AssignMeta& meta, const ModelArena& arena);
    std::vector<AssignMeta> build_unified(ModelArena& arena) const;
    size_t group_count() const { return groups_.size(); }

private:
    std::vector<AssignMetaGrpGroup> groups_;
    // Groups of each destination (by global id), so that a block of many assignments stays linear.
    std::unordered_map<uint64_t, std::vector<size_t>> groups_of_des_;
};

}  // namespace velmora
