// The assignment interface shared by every component kind, and the refusals of the kinds that
// are not assignment destinations.
#include <algorithm>

#include "model/controller/asm_priority.h"
#include "model/model_store.h"
#include "util/str_cat.h"

namespace velmora {
namespace {

[[noreturn]] void fail_size() {
    panic("assertion failed: self.is_size_in_range_rel(b.get_size())");
}

struct PoolKey {
    int32_t priority;
    uint64_t sub_priority;
    bool operator<(const PoolKey& o) const {
        return priority != o.priority ? priority < o.priority : sub_priority < o.sub_priority;
    }
};

// Small pools: plain insertion sort (stable, no allocation beyond the keys).
void insertion_sort(std::vector<std::pair<PoolKey, UpdateEventIdent>>& items) {
    for (size_t i = 1; i < items.size(); ++i) {
        auto item = std::move(items[i]);
        size_t j = i;
        while (j > 0 && item.first < items[j - 1].first) {
            items[j] = std::move(items[j - 1]);
            --j;
        }
        items[j] = std::move(item);
    }
}

}  // namespace

int32_t HcpBase::get_priority() const {
    return current_asm_priority();
}

NcpIdent HcpBase::do_asm(ModelArena& arena, const HcpIdent& src, OptSlice des_slice,
                         int32_t src_start, int32_t src_stop) {
    return gen_asm_node(arena, src, des_slice, src_start, src_stop);
}

UpdateEventIdent HcpBase::gen_update_event(ModelArena& arena, const HcpIdent& src,
                                           OptSlice des_slice, int32_t src_start,
                                           int32_t src_stop) {
    return gen_update_event_with_pri(arena, src, des_slice, src_start, src_stop, get_priority(),
                                     retrieve_clk_mode());
}

UpdateEventIdent HcpBase::gen_update_event_with_pri(ModelArena& arena, const HcpIdent& src,
                                                    OptSlice des_slice, int32_t src_start,
                                                    int32_t src_stop, int32_t priority,
                                                    ClockMode clk_mode) {
    Slice des = des_slice ? *des_slice : Slice{0, bit_width};
    Slice src_range{src_start, src_start + des.size()};
    if (src_start >= 0 && src_start < src_stop && src_stop - src_start != des.size()) fail_size();
    return arena.make_ue_basic(src, des, src_range, priority, clk_mode, false, std::nullopt);
}

AssignMeta HcpBase::gen_asm_meta(ModelArena& arena, const HcpIdent& src, OptSlice des_slice,
                                 int32_t src_start, int32_t src_stop) {
    AssignMeta meta;
    meta.des = ident;
    UpdateEventIdent ue = gen_update_event(arena, src, des_slice, src_start, src_stop);
    meta.first_ue = ue;
    meta.cur_ue = ue;
    return meta;
}

NcpIdent HcpBase::gen_asm_node(ModelArena& arena, const HcpIdent& src, OptSlice des_slice,
                               int32_t src_start, int32_t src_stop) {
    AssignMeta meta = gen_asm_meta(arena, src, des_slice, src_start, src_stop);
    return arena.make_asm_node(get_is_user_com(), cat(get_rel_name(), "_asm"), std::move(meta));
}

void HcpBase::bind_src(ModelArena& arena, const HcpIdent& src, OptSlice des_slice,
                       int32_t src_start, int32_t src_stop, std::optional<int32_t> priority,
                       std::optional<ClockMode> clk_mode, OptHcpIdent clk_src) {
    ClockMode mode = clk_mode.value_or(ClockMode::ClkFree);
    bool clocked = mode == ClockMode::PosEdge || mode == ClockMode::NegEdge;
    if (clocked && !clk_src) {
        panic("no clk_src specified for binded source with posedge or negedge clk");
    }
    Slice des = des_slice ? *des_slice : Slice{0, bit_width};
    Slice src_range{src_start, src_start + des.size()};
    if (src_start >= 0 && src_start < src_stop && src_stop - src_start != des.size()) fail_size();
    add_update_event(arena.make_ue_basic(src, des, src_range,
                                         priority.value_or(DEFAULT_UE_PRI_INTERNAL_MIN), mode,
                                         false, clocked ? clk_src : std::nullopt));
}

void HcpBase::sort_events(const ModelArena& arena) {
    auto& pool = hcp_assign.update_pool;
    if (pool.size() < 2) return;
    // Pools are mostly in order already (a long sequence writes one register in step order):
    // checking first spares the copy a sort needs.
    auto key_of = [&](const UpdateEventIdent& ue) {
        UeCommon c = arena.get_ue_common(ue);
        return PoolKey{c.priority, c.sub_priority};
    };
    bool in_order = true;
    PoolKey prev = key_of(pool.front());
    for (size_t i = 1; i < pool.size() && in_order; ++i) {
        PoolKey key = key_of(pool[i]);
        in_order = !(key < prev);
        prev = key;
    }
    if (in_order) return;
    std::vector<std::pair<PoolKey, UpdateEventIdent>> items;
    items.reserve(pool.size());
    for (const UpdateEventIdent& ue : pool) {
        UeCommon c = arena.get_ue_common(ue);
        items.emplace_back(PoolKey{c.priority, c.sub_priority}, ue);
    }
    if (items.size() <= 20) {
        insertion_sort(items);
    } else {
        std::stable_sort(items.begin(), items.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
    }
    for (size_t i = 0; i < items.size(); ++i) pool[i] = std::move(items[i].second);
}

void HcpBase::gather_dep_hcps(const ModelArena& arena, HcpIdentSet& out) const {
    for (const UpdateEventIdent& ue : hcp_assign.update_pool) {
        arena.read_ue(ue, [&](const UpdateEvent& e) { e.gather_dep_hcps(arena, out); });
    }
}

void HcpBase::remap_dep_hcps(ModelArena& arena, const HcpIdentMap& map) {
    for (const UpdateEventIdent& ue : hcp_assign.update_pool) {
        arena.with_ue(ue, [&](UpdateEvent& e) { e.remap_dep_hcps(arena, map); });
    }
}

void MemBlk::refuse() {
    panic("MemBlk is not an assignment destination");
}

NcpIdent Val::do_asm(ModelArena&, const HcpIdent&, OptSlice, int32_t, int32_t) {
    panic("Val::do_asm should not be called");
}
UpdateEventIdent Val::gen_update_event(ModelArena&, const HcpIdent&, OptSlice, int32_t, int32_t) {
    panic("Val::gen_update_event should not be called");
}
AssignMeta Val::gen_asm_meta(ModelArena&, const HcpIdent&, OptSlice, int32_t, int32_t) {
    panic("Val::gen_asm_meta should not be called");
}

NcpIdent IoWire::do_asm(ModelArena&, const HcpIdent&, OptSlice, int32_t, int32_t) {
    panic("the io wire cannot be do_asm");
}

NcpIdent Expression::do_asm(ModelArena&, const HcpIdent&, OptSlice, int32_t, int32_t) {
    panic("Expression::do_asm — not implemented");
}

void Expression::gather_dep_hcps(const ModelArena& arena, HcpIdentSet& out) const {
    HcpBase::gather_dep_hcps(arena, out);
    if (!operator_form) return;
    out.insert(a);
    if (b) out.insert(*b);
}

void Expression::remap_dep_hcps(ModelArena& arena, const HcpIdentMap& map) {
    HcpBase::remap_dep_hcps(arena, map);
    if (!operator_form) return;
    if (auto it = map.find(a); it != map.end()) a = it->second;
    if (b) {
        if (auto it = map.find(*b); it != map.end()) b = it->second;
    }
}

}  // namespace velmora
