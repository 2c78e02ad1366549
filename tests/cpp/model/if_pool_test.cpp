#include "model/hw_component/common/asm_meta_helper/if_pool.h"

#include "merge_pool_support.h"

namespace velmora::testing {
namespace {

class IfPoolTest : public MergePoolTest {};

TEST_F(IfPoolTest, branches_pair_conditions_with_events_and_else_comes_last) {
    HcpIdent r = arena.make_reg(false, "r", 4);
    HcpIdent c0 = bit("c0");
    HcpIdent c1 = bit("c1");
    AssignMeta m0 = meta(r);
    AssignMeta m1 = meta(r);
    AssignMeta m2 = meta(r);
    AssignMetaIfPool pool;
    pool.insert(c0, {m0}, arena);
    pool.insert(c1, {m1}, arena);
    pool.insert(std::nullopt, {m2}, arena);
    std::vector<AssignMeta> out = pool.build_unified(arena);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].des, r);
    const UeCond& c = ue<UeCond>(arena, *out[0].cur_ue);
    EXPECT_EQ(c.conds, (std::vector<OptHcpRef>{c0, c1, std::nullopt}));
    EXPECT_EQ(c.ues, (std::vector<UpdateEventIdent>{*m0.cur_ue, *m1.cur_ue, *m2.cur_ue}));
    EXPECT_TRUE(c.is_last_occure);
    EXPECT_EQ(c.common.clk_src, clk);
    EXPECT_EQ(c.common.clk_mode, ClockMode::PosEdge);
}

TEST_F(IfPoolTest, destination_missing_from_a_branch_keeps_only_its_own_conditions) {
    HcpIdent a = arena.make_reg(false, "a", 4);
    HcpIdent b = arena.make_reg(false, "b", 4);
    HcpIdent c0 = bit("c0");
    HcpIdent c1 = bit("c1");
    AssignMetaIfPool pool;
    pool.insert_branches({c0, c1}, {{meta(a), meta(b)}, {meta(b)}}, arena);
    std::vector<AssignMeta> out = pool.build_unified(arena);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(ue<UeCond>(arena, *out[0].cur_ue).conds, (std::vector<OptHcpRef>{c0}));
    EXPECT_EQ(ue<UeCond>(arena, *out[1].cur_ue).conds, (std::vector<OptHcpRef>{c0, c1}));
}

TEST_F(IfPoolTest, non_joinable_events_of_one_destination_make_separate_groups) {
    HcpIdent r = arena.make_reg(false, "r", 4);
    AssignMetaIfPool pool;
    pool.insert(bit("c0"), {meta(r, 10)}, arena);
    pool.insert(bit("c1"), {meta(r, 30)}, arena);
    EXPECT_EQ(pool.group_count(), 2u);
    std::vector<AssignMeta> out = pool.build_unified(arena);
    EXPECT_EQ(arena.get_ue_common(*out[1].cur_ue).priority, 30);
}

TEST_F(IfPoolTest, branch_set_counts_must_match) {
    AssignMetaIfPool pool;
    EXPECT_EQ(panic_message([&] { pool.insert_branches({bit("c")}, {}, arena); }),
              "assertion `left == right` failed: the number of cond and ue should match\n  left: "
              "1\n right: 0");
}

TEST_F(IfPoolTest, group_lengths_must_agree) {
    HcpIdent r = arena.make_reg(false, "r", 4);
    AssignMetaIfGroup g(r, {}, {*meta(r).cur_ue, *meta(r).cur_ue});
    EXPECT_EQ(panic_message([&] { g.build(arena); }),
              "update_events length (2) must equal cond_rel_vecs length (0) or be exactly 1 more "
              "(else branch)");
}

TEST_F(IfPoolTest, empty_group_defaults_to_user_priority_and_unused_clock) {
    AssignMetaIfGroup g(arena.make_reg(false, "r", 4));
    AssignMeta out = g.build(arena);
    UeCommon c = arena.get_ue_common(*out.cur_ue);
    EXPECT_EQ(c.priority, 10);
    EXPECT_EQ(c.clk_mode, ClockMode::ClkUnused);
    EXPECT_FALSE(c.clk_src.has_value());
}

TEST_F(IfPoolTest, branch_after_else_is_refused) {
    HcpIdent r = arena.make_reg(false, "r", 4);
    AssignMetaIfPool pool;
    pool.insert(std::nullopt, {meta(r)}, arena);
    EXPECT_NE(panic_message([&] {
                  pool.insert(bit("c"), {meta(r)}, arena);
              }).find("after its else branch"),
              std::string::npos);
}

}  // namespace
}  // namespace velmora::testing
