#include "model/hw_component/common/asm_meta_helper/switch_pool.h"

#include "merge_pool_support.h"

namespace velmora::testing {
namespace {

class SwitchPoolTest : public MergePoolTest {};

TEST_F(SwitchPoolTest, cases_become_one_ue_switch_per_destination) {
    HcpIdent sel = arena.make_wire(false, "sel", 2);
    HcpIdent a = arena.make_reg(false, "a", 4);
    HcpIdent b = arena.make_reg(false, "b", 4);
    AssignMeta a0 = meta(a);
    AssignMeta a2 = meta(a);
    AssignMeta b1 = meta(b);
    AssignMetaSwitchPool pool(sel);
    pool.insert_cases({0, 1, 2}, {{a0}, {b1}, {a2}}, arena);
    std::vector<AssignMeta> out = pool.build_unified(arena);
    ASSERT_EQ(out.size(), 2u);
    const UeSwitch& sa = ue<UeSwitch>(arena, *out[0].cur_ue);
    EXPECT_EQ(out[0].des, a);
    EXPECT_EQ(sa.selector, sel);
    EXPECT_EQ(sa.match_vals, (std::vector<int32_t>{0, 2}));
    EXPECT_EQ(sa.ues, (std::vector<UpdateEventIdent>{*a0.cur_ue, *a2.cur_ue}));
    EXPECT_EQ(sa.common.clk_src, clk);
    EXPECT_EQ(sa.common.type, UeType::Switch);
    const UeSwitch& sb = ue<UeSwitch>(arena, *out[1].cur_ue);
    EXPECT_EQ(sb.match_vals, (std::vector<int32_t>{1}));
}

TEST_F(SwitchPoolTest, different_edges_do_not_join) {
    HcpIdent sel = arena.make_wire(false, "sel", 1);
    HcpIdent r = arena.make_reg(false, "r", 4);
    AssignMetaSwitchPool pool(sel);
    pool.insert(0, {meta(r, 10, ClockMode::PosEdge)}, arena);
    pool.insert(1, {meta(r, 10, ClockMode::NegEdge)}, arena);
    EXPECT_EQ(pool.group_count(), 2u);
}

TEST_F(SwitchPoolTest, case_counts_must_match) {
    AssignMetaSwitchPool pool(arena.make_wire(false, "sel", 1));
    EXPECT_EQ(panic_message([&] {
                  pool.insert_cases({0, 1}, {{}}, arena);
              }),
              "assertion `left == right` failed: match_vals and update_events length must "
              "match\n  left: 2\n right: 1");
}

TEST_F(SwitchPoolTest, group_lengths_must_agree) {
    HcpIdent sel = arena.make_wire(false, "sel", 1);
    HcpIdent r = arena.make_reg(false, "r", 4);
    AssignMetaSwitchGroup g(r, sel, {0, 1}, {*meta(r).cur_ue});
    EXPECT_EQ(panic_message([&] { g.build(arena); }),
              "match_vals length (2) must equal update_events length (1)");
}

TEST_F(SwitchPoolTest, empty_group_defaults_to_user_priority_and_unused_clock) {
    AssignMetaSwitchGroup g(arena.make_reg(false, "r", 4), arena.make_wire(false, "sel", 1));
    UeCommon c = arena.get_ue_common(*g.build(arena).cur_ue);
    EXPECT_EQ(c.priority, 10);
    EXPECT_EQ(c.clk_mode, ClockMode::ClkUnused);
}

}  // namespace
}  // namespace velmora::testing
