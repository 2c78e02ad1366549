#include "model/typed_access.h"
#include "model_test_support.h"

namespace velmora::testing {
namespace {

struct WidthCase {
    int32_t wait_cycle;
    int32_t full_width;
};

class CycleWaitWidth : public ModelTest, public ::testing::WithParamInterface<WidthCase> {};

TEST_P(CycleWaitWidth, register_holds_the_active_flag_and_the_count) {
    HcpIdent reg = arena.make_cycle_wait_state_reg("cw", GetParam().wait_cycle);
    const CycleWaitStateReg& r = hcp<CycleWaitStateReg>(arena, reg);
    EXPECT_EQ(r.full_width, GetParam().full_width);
    EXPECT_EQ(r.cnt_width, GetParam().full_width - 1);
    EXPECT_EQ(r.bit_width, GetParam().full_width);
}

INSTANTIATE_TEST_SUITE_P(Widths, CycleWaitWidth,
                         ::testing::Values(WidthCase{1, 2}, WidthCase{2, 3}, WidthCase{3, 3},
                                           WidthCase{4, 4}, WidthCase{5, 4}, WidthCase{6, 4},
                                           WidthCase{7, 4}, WidthCase{8, 5}));

class CycleWaitStateRegTest : public ModelTest {
protected:
    HcpIdent prelim(int32_t wait_cycle) {
        HcpIdent reg = arena.make_cycle_wait_state_reg("cw", wait_cycle);
        build_support_of<CycleWaitStateReg>(arena, reg);
        return reg;
    }
};

TEST_F(CycleWaitStateRegTest, end_count_val_comes_first_and_holds_one_bit) {
    HcpIdent reg = arena.make_cycle_wait_state_reg("cw", 3);
    const CycleWaitStateReg& r = hcp<CycleWaitStateReg>(arena, reg);
    EXPECT_EQ(name_of(r.end_cnt), "cw_END_CNT");
    EXPECT_EQ(hcp<Val>(arena, r.end_cnt).bit_width, 1);
    EXPECT_EQ(val_of(arena, r.end_cnt), 1u);
    EXPECT_EQ(r.end_source, CycleWaitEndSource::Internal);
}

TEST_F(CycleWaitStateRegTest, bad_wait_cycle_is_refused_after_the_end_count_exists) {
    EXPECT_EQ(panic_message([&] { arena.make_cycle_wait_state_reg("cw", 0); }),
              "wait_cycle must be positive");
    EXPECT_EQ(internal_names(arena, module, HwComponentType::Val),
              (std::vector<std::string>{"cw_END_CNT"}));
}

TEST_F(CycleWaitStateRegTest, one_cycle_wait_starts_at_its_end_marker) {
    HcpIdent reg = prelim(1);
    const CycleWaitStateReg& r = hcp<CycleWaitStateReg>(arena, reg);
    EXPECT_EQ(val_of(arena, *r.start_cnt), 3u);
    EXPECT_EQ(val_of(arena, *r.end_full), 3u);
}

TEST_F(CycleWaitStateRegTest, support_signals_in_order_with_their_values) {
    HcpIdent reg = prelim(5);
    EXPECT_EQ(internal_names(arena, module, HwComponentType::Val),
              (std::vector<std::string>{"cw_END_CNT", "cw_IDLE_CNT", "cw_START_CNT", "cw_INC_STEP",
                                        "cw_END_FULL"}));
    EXPECT_EQ(internal_names(arena, module, HwComponentType::Expression),
              (std::vector<std::string>{"cw_IS_ACTIVE", "cw_IS_END", "cw_IS_NOT_END", "cw_INC_COND",
                                        "cw_INC_EXPR"}));
    const CycleWaitStateReg& r = hcp<CycleWaitStateReg>(arena, reg);
    EXPECT_EQ(val_of(arena, *r.idle_cnt), 0u);
    EXPECT_EQ(val_of(arena, *r.inc_step), 2u);
    EXPECT_EQ(val_of(arena, *r.end_full), 11u);
    EXPECT_EQ(hcp<Val>(arena, *r.end_full).bit_width, 4);
    EXPECT_EQ(*hcp<Expression>(arena, *r.is_end).b, *r.end_full);
}

TEST_F(CycleWaitStateRegTest, external_end_count_must_be_a_full_marker) {
    HcpIdent reg = arena.make_cycle_wait_state_reg("cw", 3);
    EXPECT_EQ(panic_message([&] {
                  with_hcp_as<CycleWaitStateReg>(arena, reg, [&](CycleWaitStateReg& r) {
                      r.end_source = CycleWaitEndSource::External;
                      r.build_support_signal(arena);
                  });
              }),
              "assertion `left == right` failed: CycleWaitStateReg 'cw': external end_cnt must "
              "be 3-bit full marker, got 1\n  left: 1\n right: 3");
}

TEST_F(CycleWaitStateRegTest, event_table_in_order) {
    HcpIdent reg = prelim(3);
    TriggerSig sig;
    sig.hold_sig_i = bit("hold");
    sig.int_reset_sig_i = bit("rst");
    sig.int_start_sig_i = bit("start");
    sig.mrst_sig_i = bit("mrst");
    sig.clk_sig_i = bit("clk");
    sig.push_depend_node(bit("a0"), bit("c0"));
    build_events_of<CycleWaitStateReg>(arena, reg, sig);
    const Slice w{0, 3};
    const Slice count{1, 3};
    std::vector<EventRow> expected = {
        {50, {"cw_IS_END"}, "cw_IDLE_CNT", w, w},
        {51, {"cw_INC_COND"}, "cw_INC_EXPR", count, count},
        {52, {"hold"}, "cw", w, w},
        {54, {"c0", "a0"}, "cw_START_CNT", w, w},
        {53, {"rst"}, "cw_IDLE_CNT", w, w},
        {MAX_PRI, {"mrst"}, "cw_IDLE_CNT", w, w},
    };
    EXPECT_EQ(pool_rows(arena, reg), expected);
}

}  // namespace
}  // namespace velmora::testing
