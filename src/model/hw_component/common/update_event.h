#pragma once
// Update events: one assignment into a destination, with clocking and priority. A destination's
// pool lists the identities of its events; wrapping events (cond, switch, group) name inner ones.
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "common/small_vector.h"
#include "model/common/hcp_ref.h"
#include "model/common/ident.h"
#include "model/common/priorities.h"
#include "model/hw_component/common/hcp_ident_set.h"
#include "model/hw_component/slice.h"

namespace velmora {

class ModelArena;

using HcpIdentMap = std::unordered_map<HcpIdent, HcpIdent, HcpIdentHash>;

struct UeCommon {
    OptHcpRef clk_src;
    uint64_t sub_priority = DEFAULT_UE_SUB_PRIORITY_USER;
    int32_t priority = DEFAULT_UE_PRI_USER;
    UeType type = UeType::Untype;
    ClockMode clk_mode = ClockMode::ClkUnused;
};

/// Same priority, clock mode and clock source (both absent or the same identity).
bool is_joinable(const UeCommon& a, const UeCommon& b);

class UpdateEvent {
public:
    UpdateEventIdent ident;
    UeCommon common;

    UpdateEvent() = default;
    virtual ~UpdateEvent() = default;
    // Declared so that taking an object out of its slot and putting it back moves its lists.
    UpdateEvent(const UpdateEvent&) = default;
    UpdateEvent(UpdateEvent&&) = default;
    UpdateEvent& operator=(const UpdateEvent&) = default;
    UpdateEvent& operator=(UpdateEvent&&) = default;
    void set_arena_handle(ArenaHandle h) { ident.arena_handle = h; }

    UeType get_type() const { return common.type; }
    int32_t get_priority() const { return common.priority; }
    uint64_t get_sub_priority() const { return common.sub_priority; }
    ClockMode get_clk_mode() const { return common.clk_mode; }
    const OptHcpRef& get_clk_src_i() const { return common.clk_src; }
    bool is_joinable(const UpdateEvent& other) const {
        return velmora::is_joinable(common, other.common);
    }
    void set_priority(int32_t p) { common.priority = p; }
    void set_sub_priority(uint64_t p) { common.sub_priority = p; }
    void set_clk_mode(ClockMode m) { common.clk_mode = m; }
    void set_clk_src_i(const OptHcpIdent& c) { common.clk_src = c; }

    /// Adds the signals this event reads (sources, conditions, clock sources; inner events too).
    virtual void gather_dep_hcps(const ModelArena& arena, HcpIdentSet& out) const = 0;
    /// Rewrites the signals this event reads through `map` (inner events too).
    virtual void remap_dep_hcps(ModelArena& arena, const HcpIdentMap& map) = 0;
    /// Rewrites the clock source through `map`, inner events included.
    virtual void remap_clk_src(ModelArena& arena, const HcpIdentMap& map);

protected:
    void gather_own_clk(const ModelArena& arena, HcpIdentSet& out) const;
    void remap_own_clk(const ModelArena& arena, const HcpIdentMap& map);
};

class UeBasic : public UpdateEvent {
public:
    HcpRef src;
    Slice des_slice;
    Slice src_slice;

    void gather_dep_hcps(const ModelArena& arena, HcpIdentSet& out) const override;
    void remap_dep_hcps(ModelArena& arena, const HcpIdentMap& map) override;
};

class UeCond : public UpdateEvent {
public:
    SmallVector<OptHcpRef, 1> conds;  // absent = else branch
    SmallVector<UpdateEventIdent, 1> ues;
    bool is_last_occure = false;

    /// Appends one branch; refused after an else branch.
    void push_branch(OptHcpIdent cond, UpdateEventIdent ue);
    void gather_dep_hcps(const ModelArena& arena, HcpIdentSet& out) const override;
    void remap_dep_hcps(ModelArena& arena, const HcpIdentMap& map) override;
    void remap_clk_src(ModelArena& arena, const HcpIdentMap& map) override;
};

class UeSwitch : public UpdateEvent {
public:
    HcpRef selector;
    std::vector<int32_t> match_vals;
    std::vector<UpdateEventIdent> ues;

    void gather_dep_hcps(const ModelArena& arena, HcpIdentSet& out) const override;
    void remap_dep_hcps(ModelArena& arena, const HcpIdentMap& map) override;
    void remap_clk_src(ModelArena& arena, const HcpIdentMap& map) override;
};

class UeGrp : public UpdateEvent {
public:
    std::vector<UpdateEventIdent> ues;

    void gather_dep_hcps(const ModelArena& arena, HcpIdentSet& out) const override;
    void remap_dep_hcps(ModelArena& arena, const HcpIdentMap& map) override;
    void remap_clk_src(ModelArena& arena, const HcpIdentMap& map) override;
};

/// PosEdge/NegEdge need a clock source, ClkFree must have none (message of the clock invariant).
void check_clock_invariant(const UeCommon& common);

}  // namespace velmora
