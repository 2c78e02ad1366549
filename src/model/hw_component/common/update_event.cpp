#include "model/hw_component/common/update_event.h"

#include <span>

#include "model/model_store.h"

namespace velmora {
namespace {

void remap_one(const ModelArena& arena, HcpRef& ref, const HcpIdentMap& map) {
    auto it = map.find(arena.ident_of(ref));
    if (it != map.end()) ref = it->second;
}

void gather_inner(const ModelArena& arena, std::span<const UpdateEventIdent> ues,
                  HcpIdentSet& out) {
    for (const UpdateEventIdent& ue : ues) {
        arena.read_ue(ue, [&](const UpdateEvent& e) { e.gather_dep_hcps(arena, out); });
    }
}

void remap_inner(ModelArena& arena, std::span<const UpdateEventIdent> ues, const HcpIdentMap& map) {
    for (const UpdateEventIdent& ue : ues) {
        arena.with_ue(ue, [&](UpdateEvent& e) { e.remap_dep_hcps(arena, map); });
    }
}

void remap_inner_clk(ModelArena& arena, std::span<const UpdateEventIdent> ues,
                     const HcpIdentMap& map) {
    for (const UpdateEventIdent& ue : ues) {
        arena.with_ue(ue, [&](UpdateEvent& e) { e.remap_clk_src(arena, map); });
    }
}

}  // namespace

bool is_joinable(const UeCommon& a, const UeCommon& b) {
    return a.priority == b.priority && a.clk_mode == b.clk_mode && a.clk_src == b.clk_src;
}

void check_clock_invariant(const UeCommon& common) {
    bool clocked = common.clk_mode == ClockMode::PosEdge || common.clk_mode == ClockMode::NegEdge;
    if (common.clk_mode == ClockMode::ClkFree && common.clk_src) {
        panic("make_ue_*: clk_src must be None when clk_mode is ClkFree");
    }
    if (clocked && !common.clk_src) {
        panic("make_ue_*: clk_src must be assigned when clk_mode is Posedge or NegEdge");
    }
}

void UpdateEvent::gather_own_clk(const ModelArena& arena, HcpIdentSet& out) const {
    if (common.clk_src) out.insert(arena.ident_of(*common.clk_src));
}

void UpdateEvent::remap_own_clk(const ModelArena& arena, const HcpIdentMap& map) {
    if (common.clk_src) remap_one(arena, *common.clk_src, map);
}

void UpdateEvent::remap_clk_src(ModelArena& arena, const HcpIdentMap& map) {
    remap_own_clk(arena, map);
}

void UeBasic::gather_dep_hcps(const ModelArena& arena, HcpIdentSet& out) const {
    out.insert(arena.ident_of(src));
    gather_own_clk(arena, out);
}

void UeBasic::remap_dep_hcps(ModelArena& arena, const HcpIdentMap& map) {
    remap_one(arena, src, map);
    remap_own_clk(arena, map);
}

void UeCond::push_branch(OptHcpIdent cond, UpdateEventIdent ue) {
    if (is_last_occure) panic("assertion failed: !self.is_last_occure");
    if (!cond) is_last_occure = true;
    conds.push_back(std::move(cond));
    ues.push_back(std::move(ue));
}

void UeCond::gather_dep_hcps(const ModelArena& arena, HcpIdentSet& out) const {
    for (const auto& c : conds) {
        if (c) out.insert(arena.ident_of(*c));
    }
    gather_own_clk(arena, out);
    gather_inner(arena, ues, out);
}

void UeCond::remap_dep_hcps(ModelArena& arena, const HcpIdentMap& map) {
    for (auto& c : conds) {
        if (c) remap_one(arena, *c, map);
    }
    remap_own_clk(arena, map);
    remap_inner(arena, ues, map);
}

void UeCond::remap_clk_src(ModelArena& arena, const HcpIdentMap& map) {
    remap_own_clk(arena, map);
    remap_inner_clk(arena, ues, map);
}

void UeSwitch::gather_dep_hcps(const ModelArena& arena, HcpIdentSet& out) const {
    out.insert(arena.ident_of(selector));
    gather_own_clk(arena, out);
    gather_inner(arena, ues, out);
}

void UeSwitch::remap_dep_hcps(ModelArena& arena, const HcpIdentMap& map) {
    remap_one(arena, selector, map);
    remap_own_clk(arena, map);
    remap_inner(arena, ues, map);
}

void UeSwitch::remap_clk_src(ModelArena& arena, const HcpIdentMap& map) {
    remap_own_clk(arena, map);
    remap_inner_clk(arena, ues, map);
}

void UeGrp::gather_dep_hcps(const ModelArena& arena, HcpIdentSet& out) const {
    gather_own_clk(arena, out);
    gather_inner(arena, ues, out);
}

void UeGrp::remap_dep_hcps(ModelArena& arena, const HcpIdentMap& map) {
    remap_own_clk(arena, map);
    remap_inner(arena, ues, map);
}

void UeGrp::remap_clk_src(ModelArena& arena, const HcpIdentMap& map) {
    remap_own_clk(arena, map);
    remap_inner_clk(arena, ues, map);
}

}  // namespace velmora
