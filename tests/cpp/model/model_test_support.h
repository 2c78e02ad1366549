#pragma once
// Helpers shared by the model tests: an arena with a tracked module, and a readable form of the
// events in a pool (conditions flattened through the AND expressions the registers build).
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "model/model_store.h"
#include "model/typed_access.h"
#include "module_lists.h"
#include "util/str_cat.h"

namespace velmora::testing {

class ModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        module = arena.mk_module("top");
        arena.track_module_at_com_init(module);
    }
    HcpIdent bit(std::string_view name) { return arena.make_wire(false, name, 1); }

    ModelArena arena;
    ModuleIdent module;
};

/// Builds the support signals of a control register of kind R.
template <class R>
void build_support_of(ModelArena& arena, const HcpIdent& reg) {
    with_hcp_as<R>(arena, reg, [&](R& r) { r.build_support_signal(arena); });
}

/// Gives a control register of kind R its triggers and builds its update events.
template <class R>
void build_events_of(ModelArena& arena, const HcpIdent& reg, const TriggerSig& sig) {
    with_hcp_as<R>(arena, reg, [&](R& r) {
        r.trigger_sig = sig;
        r.build_update_event(arena);
    });
}

template <class T>
const T& hcp(const ModelArena& arena, const HcpIdent& id) {
    return arena.group<T>().get(id.handle());
}

template <class T>
const T& ue(const ModelArena& arena, const UpdateEventIdent& id) {
    return arena.group<T>().get(id.handle());
}

template <class T>
const T& node(const ModelArena& arena, const NcpIdent& id) {
    return arena.group<T>().get(id.handle());
}

inline std::string name_of(const HcpIdent& id) {
    return std::string(id.rel_name());
}

/// Relative names of the signals ANDed by "cond_dis_expr" / "cond_and_expr", left to right.
inline void flatten_and(const ModelArena& arena, const HcpIdent& cond,
                        std::vector<std::string>& out) {
    if (cond.hw_type == HwComponentType::Expression &&
        (cond.rel_name() == "cond_dis_expr" || cond.rel_name() == "cond_and_expr")) {
        const Expression& e = hcp<Expression>(arena, cond);
        flatten_and(arena, e.a, out);
        flatten_and(arena, *e.b, out);
        return;
    }
    out.push_back(name_of(cond));
}

struct EventRow {
    int32_t priority = 0;
    std::vector<std::string> conds;
    std::string src;
    Slice des_slice;
    Slice src_slice;
    bool operator==(const EventRow&) const = default;
};

inline void PrintTo(const EventRow& r, std::ostream* os) {
    *os << "{" << r.priority << ", [";
    for (const auto& c : r.conds) *os << c << " ";
    *os << "], " << r.src << ", " << r.des_slice.debug_text() << ", " << r.src_slice.debug_text()
        << "}";
}

/// An unconditional UeBasic or a one-branch UeCond around one.
inline EventRow describe(const ModelArena& arena, const UpdateEventIdent& id) {
    EventRow row;
    row.priority = arena.get_ue_common(id).priority;
    UpdateEventIdent basic = id;
    if (id.ue_type == UeType::Cond) {
        const UeCond& c = ue<UeCond>(arena, id);
        EXPECT_EQ(c.conds.size(), 1u);
        flatten_and(arena, arena.ident_of(*c.conds.at(0)), row.conds);
        basic = c.ues.at(0);
    }
    EXPECT_EQ(basic.ue_type, UeType::Basic);
    const UeBasic& b = ue<UeBasic>(arena, basic);
    row.src = name_of(arena.ident_of(b.src));
    row.des_slice = b.des_slice;
    row.src_slice = b.src_slice;
    return row;
}

inline std::vector<EventRow> describe_pool(const ModelArena& arena,
                                           const std::vector<UpdateEventIdent>& pool) {
    std::vector<EventRow> rows;
    for (const auto& e : pool) rows.push_back(describe(arena, e));
    return rows;
}

inline std::vector<EventRow> pool_rows(const ModelArena& arena, const HcpIdent& des) {
    return describe_pool(arena,
                         arena.read_hcp(des, [](const HcpBase& c) { return c.get_update_pool(); }));
}

/// Clock source names of a pool's events (empty string when absent), with their modes.
inline std::vector<std::pair<ClockMode, std::string>> pool_clocks(const ModelArena& arena,
                                                                  const HcpIdent& des) {
    std::vector<std::pair<ClockMode, std::string>> out;
    for (const auto& e :
         arena.read_hcp(des, [](const HcpBase& c) { return c.get_update_pool(); })) {
        UeCommon c = arena.get_ue_common(e);
        out.emplace_back(c.clk_mode,
                         c.clk_src ? name_of(arena.ident_of(*c.clk_src)) : std::string());
    }
    return out;
}

/// Relative names of the module's internal components of one kind, in creation order.
inline std::vector<std::string> internal_names(const ModelArena& arena, const ModuleIdent& m,
                                               HwComponentType kind) {
    std::vector<std::string> out;
    for (const HcpIdent& h : hcp_idents(arena, arena.get_module(m), kind, false)) {
        out.push_back(name_of(h));
    }
    return out;
}

/// Runs f and returns the internal-error message ("" when nothing was thrown).
template <class F>
std::string panic_message(F&& f) {
    try {
        f();
    } catch (const InternalError& e) {
        return e.what();
    }
    return "";
}

inline uint64_t val_of(const ModelArena& arena, const HcpIdent& id) {
    return hcp<Val>(arena, id).value.limbs.at(0);
}

constexpr int32_t MAX_PRI = DEFAULT_UE_PRI_RST;

}  // namespace velmora::testing
