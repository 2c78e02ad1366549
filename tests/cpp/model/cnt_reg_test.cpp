#include "model/typed_access.h"
#include "model_test_support.h"

namespace velmora::testing {
namespace {

struct WidthCase {
    int32_t max_cycle;
    int32_t width;
};

class CntRegWidth : public ::testing::TestWithParam<WidthCase> {};

TEST_P(CntRegWidth, counts_zero_to_max_cycle_minus_one_in_at_least_one_bit) {
    EXPECT_EQ(cnt_reg_width(GetParam().max_cycle), GetParam().width);
}

INSTANTIATE_TEST_SUITE_P(Widths, CntRegWidth,
                         ::testing::Values(WidthCase{1, 1}, WidthCase{2, 1}, WidthCase{3, 2},
                                           WidthCase{4, 2}, WidthCase{5, 3}, WidthCase{8, 3},
                                           WidthCase{9, 4}));

class CntRegTest : public ModelTest {
protected:
    HcpIdent prelim(int32_t max_cycle) {
        HcpIdent reg = arena.make_cnt_reg("c", 1, max_cycle);
        build_support_of<CntReg>(arena, reg);
        return reg;
    }
    void build(const HcpIdent& reg, const TriggerSig& sig) {
        build_events_of<CntReg>(arena, reg, sig);
    }
};

TEST_F(CntRegTest, one_pass_counter_is_one_bit_wide) {
    HcpIdent reg = prelim(1);
    const CntReg& r = hcp<CntReg>(arena, reg);
    EXPECT_EQ(r.bit_width, 1);
    EXPECT_EQ(hcp<Val>(arena, *r.last_cycle).bit_width, 1);
    EXPECT_EQ(val_of(arena, *r.last_cycle), 0u);
    EXPECT_EQ(hcp<Val>(arena, *r.zero).bit_width, 1);
}

TEST_F(CntRegTest, support_signals_in_order_with_their_values) {
    HcpIdent reg = prelim(4);
    EXPECT_EQ(internal_names(arena, module, HwComponentType::Val),
              (std::vector<std::string>{"c_LAST_CYCLE", "c_ZERO", "c_INC_VAL"}));
    EXPECT_EQ(internal_names(arena, module, HwComponentType::Expression),
              (std::vector<std::string>{"c_AT_LAST", "c_INC"}));
    const CntReg& r = hcp<CntReg>(arena, reg);
    EXPECT_EQ(r.bit_width, 2);
    EXPECT_EQ(val_of(arena, *r.last_cycle), 3u);
    EXPECT_EQ(val_of(arena, *r.zero), 0u);
    const Expression& at_last = hcp<Expression>(arena, *r.at_last);
    EXPECT_EQ(at_last.op, LogicOp::RelationEq);
    EXPECT_EQ(at_last.a, reg);
    EXPECT_EQ(at_last.a_slice, (Slice{0, 2}));
    const Expression& inc = hcp<Expression>(arena, *r.inc);
    EXPECT_EQ(inc.op, LogicOp::ArithPlus);
    EXPECT_EQ(inc.bit_width, 2);
    EXPECT_EQ(val_of(arena, *inc.b), 1u);
}

TEST_F(CntRegTest, event_table_wraps_to_zero_on_the_last_pass) {
    HcpIdent reg = prelim(5);
    TriggerSig sig;
    sig.hold_sig_i = bit("hold");
    sig.int_reset_sig_i = bit("rst");
    sig.int_start_sig_i = bit("start");
    sig.mrst_sig_i = bit("mrst");
    sig.clk_sig_i = bit("clk");
    sig.push_depend_node(bit("a0"), bit("c0"));
    sig.push_depend_node(bit("a1"), std::nullopt);
    build(reg, sig);

    const Slice w{0, 3};
    std::vector<EventRow> expected = {
        {51, {"c0", "a0"}, "c_INC", w, w}, {51, {"c0", "a0", "c_AT_LAST"}, "c_ZERO", w, w},
        {51, {"a1"}, "c_INC", w, w},       {51, {"a1", "c_AT_LAST"}, "c_ZERO", w, w},
        {52, {"hold"}, "c", w, w},         {53, {"rst"}, "c_ZERO", w, w},
        {54, {"start"}, "c_INC", w, w},    {MAX_PRI, {"mrst"}, "c_ZERO", w, w},
    };
    EXPECT_EQ(pool_rows(arena, reg), expected);
    const CntReg& r = hcp<CntReg>(arena, reg);
    EXPECT_EQ(r.built_events, r.get_update_pool());
    // Three signals: the leading two are folded into one explicit AND first.
    const UeCond& wrap = ue<UeCond>(arena, r.get_update_pool()[1]);
    const Expression& outer = hcp<Expression>(arena, arena.ident_of(*wrap.conds[0]));
    EXPECT_EQ(name_of(arena.ident_of(*wrap.conds[0])), "cond_dis_expr");
    EXPECT_EQ(name_of(outer.a), "cond_and_expr");
    EXPECT_EQ(hcp<Expression>(arena, outer.a).op, LogicOp::BitwiseAnd);
}

TEST_F(CntRegTest, the_wrap_event_wins_the_pool_sort_over_the_increment) {
    HcpIdent reg = prelim(3);
    TriggerSig sig;
    sig.clk_sig_i = bit("clk");
    sig.push_depend_node(bit("a"), std::nullopt);
    build(reg, sig);
    with_hcp_as<CntReg>(arena, reg, [&](CntReg& r) { r.sort_events(arena); });
    std::vector<EventRow> rows = pool_rows(arena, reg);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows.back().src, "c_ZERO");  // the last event of a pool wins
}

TEST_F(CntRegTest, events_need_the_support_signals) {
    HcpIdent reg = arena.make_cnt_reg("c", 1, 2);
    EXPECT_EQ(panic_message([&] { build(reg, TriggerSig{}); }),
              "build_support_signal must be called first");
}

struct FactoryError {
    int32_t inc_val;
    int32_t max_cycle;
    const char* message;
};

class CntRegFactoryError : public ModelTest, public ::testing::WithParamInterface<FactoryError> {};

TEST_P(CntRegFactoryError, refuses_bad_parameters) {
    EXPECT_EQ(
        panic_message([&] { arena.make_cnt_reg("c", GetParam().inc_val, GetParam().max_cycle); }),
        GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(Parameters, CntRegFactoryError,
                         ::testing::Values(FactoryError{1, -1, "max_cycle must be positive"},
                                           FactoryError{1, 0, "assertion failed: max_number > 0"},
                                           FactoryError{0, 3, "inc_val must be positive"}));

}  // namespace
}  // namespace velmora::testing
