// The pool order: stable by priority, then sub-priority, then insertion; small pools take the
// insertion sort and larger ones the merge sort, and both must give the same order.
#include <algorithm>

#include "model/typed_access.h"
#include "model_test_support.h"

namespace velmora::testing {
namespace {

class PoolSort : public ModelTest, public ::testing::WithParamInterface<int> {};

TEST_P(PoolSort, stable_by_priority_then_sub_priority) {
    const int n = GetParam();
    HcpIdent reg = arena.make_reg(false, "r", 1);
    HcpIdent src = arena.make_val(false, "v", 1, 0);
    HcpIdent clk = bit("clk");
    struct Key {
        int32_t priority;
        uint64_t sub;
        UpdateEventIdent ue;
    };
    std::vector<Key> keys;
    for (int i = 0; i < n; ++i) {
        // Few distinct keys, so that most events tie and stability is what decides.
        int32_t pri = (i * 7) % 4 == 0 ? DEFAULT_UE_PRI_RST : ((i * 5) % 3) * 10 - 10;
        uint64_t sub = static_cast<uint64_t>(i % 2);
        UpdateEventIdent e =
            arena.make_ue_basic(src, {0, 1}, {0, 1}, pri, ClockMode::PosEdge, false, clk);
        arena.with_ue(e, [&](UpdateEvent& u) { u.set_sub_priority(sub); });
        keys.push_back({pri, sub, e});
    }
    with_hcp_as<Reg>(arena, reg, [&](Reg& r) {
        for (const Key& k : keys) r.add_update_event(k.ue);
        r.sort_events(arena);
    });
    std::stable_sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) {
        return a.priority != b.priority ? a.priority < b.priority : a.sub < b.sub;
    });
    const auto& pool = hcp<Reg>(arena, reg).get_update_pool();
    ASSERT_EQ(pool.size(), keys.size());
    for (size_t i = 0; i < pool.size(); ++i) EXPECT_EQ(pool[i], keys[i].ue) << "at " << i;
}

INSTANTIATE_TEST_SUITE_P(Sizes, PoolSort, ::testing::Values(0, 1, 2, 19, 20, 21, 64, 500));

class PoolSortExample : public ModelTest {};

TEST_F(PoolSortExample, user_reset_and_default_priorities_sort_ascending) {
    HcpIdent w = arena.make_wire(false, "w", 1);
    HcpIdent src = arena.make_val(false, "v", 1, 0);
    std::vector<UpdateEventIdent> made;
    for (int32_t p : {10, DEFAULT_UE_PRI_RST, 0}) {
        made.push_back(
            arena.make_ue_basic(src, {0, 1}, {0, 1}, p, ClockMode::ClkFree, false, std::nullopt));
    }
    with_hcp_as<Wire>(arena, w, [&](Wire& x) {
        for (const auto& e : made) x.add_update_event(e);
        x.sort_events(arena);
    });
    EXPECT_EQ(hcp<Wire>(arena, w).get_update_pool(),
              (std::vector<UpdateEventIdent>{made[2], made[0], made[1]}));
}

// The default is built last, at priority 0, yet must lose to every assignment of the wire.
TEST_F(PoolSortExample, wire_default_sorts_first_whatever_the_priorities) {
    HcpIdent w = arena.make_wire(false, "w", 1);
    HcpIdent src = arena.make_val(false, "v", 1, 1);
    std::vector<UpdateEventIdent> made;
    for (int32_t p : {0, -5, 10}) {
        made.push_back(
            arena.make_ue_basic(src, {0, 1}, {0, 1}, p, ClockMode::ClkFree, false, std::nullopt));
    }
    OptUeIdent default_ue;
    with_hcp_as<Wire>(arena, w, [&](Wire& x) {
        for (const auto& e : made) x.add_update_event(e);
        x.try_build_default(arena);
        default_ue = x.default_ue;
        x.sort_events(arena);
    });
    ASSERT_TRUE(default_ue.has_value());
    EXPECT_EQ(hcp<Wire>(arena, w).get_update_pool(),
              (std::vector<UpdateEventIdent>{*default_ue, made[1], made[0], made[2]}));
}

}  // namespace
}  // namespace velmora::testing
