#include "model/hw_component/common/asm_meta_helper/grp_pool.h"

#include "merge_pool_support.h"

namespace velmora::testing {
namespace {

class GrpPoolTest : public MergePoolTest {};

TEST_F(GrpPoolTest, joinable_assignments_to_one_destination_share_one_ue_grp) {
    HcpIdent r = arena.make_reg(false, "r", 4);
    AssignMeta m0 = meta(r);
    AssignMeta m1 = meta(r);
    AssignMetaGrpPool pool;
    pool.insert(m0, arena);
    pool.insert(m1, arena);
    std::vector<AssignMeta> out = pool.build_unified(arena);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].des, r);
    EXPECT_EQ(out[0].first_ue, out[0].cur_ue);
    EXPECT_FALSE(out[0].pending_pre_cond.has_value());
    ASSERT_EQ(out[0].cur_ue->ue_type, UeType::Grp);
    const UeGrp& grp = ue<UeGrp>(arena, *out[0].cur_ue);
    EXPECT_EQ(grp.ues, (std::vector<UpdateEventIdent>{*m0.cur_ue, *m1.cur_ue}));
    EXPECT_EQ(grp.common.priority, 10);
    EXPECT_EQ(grp.common.clk_mode, ClockMode::PosEdge);
    EXPECT_EQ(grp.common.clk_src, clk);
    EXPECT_EQ(grp.common.type, UeType::Grp);
}

struct SplitCase {
    const char* what;
    int32_t priority;
    ClockMode mode;
    bool other_clock;
};

class GrpPoolSplit : public MergePoolTest, public ::testing::WithParamInterface<SplitCase> {};

TEST_P(GrpPoolSplit, a_different_clocking_class_opens_a_second_group) {
    HcpIdent r = arena.make_reg(false, "r", 4);
    const SplitCase& c = GetParam();
    AssignMetaGrpPool pool;
    pool.insert(meta(r), arena);
    pool.insert(meta(r, c.priority, c.mode, c.other_clock ? std::optional(clk2) : std::nullopt),
                arena);
    pool.insert(meta(r), arena);
    std::vector<AssignMeta> out = pool.build_unified(arena);
    ASSERT_EQ(out.size(), 2u) << c.what;
    EXPECT_EQ(ue<UeGrp>(arena, *out[0].cur_ue).ues.size(), 2u);
    UeCommon second = arena.get_ue_common(*out[1].cur_ue);
    EXPECT_EQ(second.priority, c.priority);
    EXPECT_EQ(second.clk_mode, c.mode);
}

INSTANTIATE_TEST_SUITE_P(Classes, GrpPoolSplit,
                         ::testing::Values(SplitCase{"priority", 20, ClockMode::PosEdge, false},
                                           SplitCase{"edge", 10, ClockMode::NegEdge, false},
                                           SplitCase{"clock source", 10, ClockMode::PosEdge, true},
                                           SplitCase{"clock free", 10, ClockMode::ClkFree, false}));

TEST_F(GrpPoolTest, destinations_group_separately_in_first_seen_order) {
    HcpIdent a = arena.make_reg(false, "a", 4);
    HcpIdent b = arena.make_reg(false, "b", 4);
    AssignMetaGrpPool pool;
    pool.insert(meta(b), arena);
    pool.insert(meta(a), arena);
    pool.insert(meta(b), arena);
    std::vector<AssignMeta> out = pool.build_unified(arena);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].des, b);
    EXPECT_EQ(out[1].des, a);
    EXPECT_EQ(ue<UeGrp>(arena, *out[0].cur_ue).ues.size(), 2u);
}

TEST_F(GrpPoolTest, group_without_events_is_refused) {
    AssignMetaGrpGroup empty;
    EXPECT_EQ(panic_message([&] { empty.build(arena); }),
              "update_events must have at least one entry (first_ue from construction)");
    EXPECT_EQ(panic_message(
                  [&] { empty.try_push_event(*meta(bit("w"), 10, ClockMode::ClkFree).cur_ue); }),
              "update_events must be initialised before try_push_event");
}

TEST_F(GrpPoolTest, pending_pre_condition_is_not_silently_dropped) {
    HcpIdent r = arena.make_reg(false, "r", 4);
    AssignMeta m = meta(r);
    m.pending_pre_cond = bit("c");
    AssignMetaGrpPool pool;
    EXPECT_NE(panic_message([&] { pool.insert(m, arena); }).find("pending pre-condition"),
              std::string::npos);
}

}  // namespace
}  // namespace velmora::testing
