#include <algorithm>

#include "model/typed_access.h"
#include "model_test_support.h"

namespace velmora::testing {
namespace {

class SyncRegTest : public ModelTest {
protected:
    HcpIdent prelim(int32_t size) {
        HcpIdent reg = arena.make_sync_reg("y", size);
        build_support_of<SyncReg>(arena, reg);
        return reg;
    }
    void build(const HcpIdent& reg, const TriggerSig& sig) {
        build_events_of<SyncReg>(arena, reg, sig);
    }
};

TEST_F(SyncRegTest, support_signals_in_order_with_their_values) {
    HcpIdent reg = prelim(70);
    EXPECT_EQ(internal_names(arena, module, HwComponentType::Val),
              (std::vector<std::string>{"y_UP_STATE", "y_UP_FULL", "y_DOWN_FULL"}));
    EXPECT_EQ(internal_names(arena, module, HwComponentType::Wire),
              (std::vector<std::string>{"y_TEST_WIRE"}));
    EXPECT_EQ(internal_names(arena, module, HwComponentType::Expression),
              (std::vector<std::string>{"y_OR_TEST", "y_END_EXPR", "y_END_EXPR_INV"}));
    const SyncReg& r = hcp<SyncReg>(arena, reg);
    const Val& full = hcp<Val>(arena, *r.up_full);
    EXPECT_EQ(full.bit_width, 70);
    EXPECT_EQ(full.value.limbs, (std::vector<uint64_t>{~uint64_t{0}, 0x3F}));
    const Expression& or_test = hcp<Expression>(arena, hcp<Expression>(arena, *r.end_expr).a);
    EXPECT_EQ(or_test.op, LogicOp::BitwiseOr);
    EXPECT_EQ(or_test.a, reg);
    EXPECT_EQ(or_test.b, r.test_wire);
    EXPECT_EQ(hcp<Expression>(arena, *r.end_expr).op, LogicOp::RelationEq);
    EXPECT_EQ(hcp<Expression>(arena, *r.end_expr_inv).op, LogicOp::BitwiseInvr);
}

TEST_F(SyncRegTest, test_wire_keeps_its_default_so_it_is_no_latch) {
    HcpIdent reg = prelim(2);
    EXPECT_TRUE(hcp<Wire>(arena, *hcp<SyncReg>(arena, reg).test_wire).has_default);
}

TEST_F(SyncRegTest, event_table_with_one_bit_per_pair) {
    HcpIdent reg = prelim(3);
    TriggerSig sig;
    sig.hold_sig_i = bit("hold");
    sig.int_reset_sig_i = bit("rst");
    sig.int_start_sig_i = bit("start");
    sig.mrst_sig_i = bit("mrst");
    sig.clk_sig_i = bit("clk");
    sig.push_depend_node(bit("a0"), bit("c0"));
    sig.push_depend_node(bit("a1"), std::nullopt);
    sig.push_depend_node(bit("a2"), bit("c2"));
    build(reg, sig);

    const Slice w{0, 3};
    const Slice one{0, 1};
    std::vector<EventRow> expected = {
        {50, {"y_END_EXPR"}, "y_DOWN_FULL", w, w},
        {51, {"hold"}, "y", w, w},
        {53, {"y_ACT_COND_0", "a0"}, "y_UP_STATE", {0, 1}, one},
        {53, {"y_END_EXPR_INV", "a1"}, "y_UP_STATE", {1, 2}, one},
        {53, {"y_ACT_COND_2", "a2"}, "y_UP_STATE", {2, 3}, one},
        {52, {"rst"}, "y_DOWN_FULL", w, w},
        {MAX_PRI, {"mrst"}, "y_DOWN_FULL", w, w},
    };
    EXPECT_EQ(pool_rows(arena, reg), expected);

    const HcpIdent wire = *hcp<SyncReg>(arena, reg).test_wire;
    EXPECT_EQ(pool_rows(arena, wire), (std::vector<EventRow>{
                                          {53, {"c0", "a0"}, "y_UP_STATE", {0, 1}, one},
                                          {53, {"a1"}, "y_UP_STATE", {1, 2}, one},
                                          {53, {"c2", "a2"}, "y_UP_STATE", {2, 3}, one},
                                      }));
    for (const auto& [mode, clk] : pool_clocks(arena, wire)) {
        EXPECT_EQ(mode, ClockMode::ClkFree);
        EXPECT_EQ(clk, "");
    }
    // Only the pairs with a condition get an "_ACT_COND_{k}".
    std::vector<std::string> exprs = internal_names(arena, module, HwComponentType::Expression);
    EXPECT_EQ(std::count(exprs.begin(), exprs.end(), "y_ACT_COND_0"), 1);
    EXPECT_EQ(std::count(exprs.begin(), exprs.end(), "y_ACT_COND_1"), 0);
    EXPECT_EQ(std::count(exprs.begin(), exprs.end(), "y_ACT_COND_2"), 1);
}

TEST_F(SyncRegTest, act_cond_ands_end_expr_inv_with_the_pair_condition) {
    HcpIdent reg = prelim(1);
    TriggerSig sig;
    sig.clk_sig_i = bit("clk");
    HcpIdent c = bit("c");
    sig.push_depend_node(bit("a"), c);
    build(reg, sig);
    const SyncReg& r = hcp<SyncReg>(arena, reg);
    const UeCond& set = ue<UeCond>(arena, r.get_update_pool()[1]);
    const Expression& both = hcp<Expression>(arena, arena.ident_of(*set.conds[0]));
    const Expression& act = hcp<Expression>(arena, both.a);
    EXPECT_EQ(act.op, LogicOp::BitwiseAnd);
    EXPECT_EQ(act.a, *r.end_expr_inv);
    EXPECT_EQ(*act.b, c);
}

TEST_F(SyncRegTest, pair_count_must_fill_every_slot) {
    HcpIdent reg = prelim(3);
    TriggerSig sig;
    sig.clk_sig_i = bit("clk");
    sig.push_depend_node(bit("a0"), std::nullopt);
    sig.push_depend_node(bit("a1"), std::nullopt);
    EXPECT_EQ(panic_message([&] { build(reg, sig); }), "SyncReg 'y': 2 of 3 bit slots filled");
}

TEST_F(SyncRegTest, events_before_support_signals_are_refused) {
    HcpIdent reg = arena.make_sync_reg("y", 1);
    EXPECT_EQ(panic_message([&] { build(reg, TriggerSig{}); }),
              "build_support_signal must be called first");
}

TEST_F(SyncRegTest, size_below_one_is_refused) {
    EXPECT_EQ(panic_message([&] { arena.make_sync_reg("y", 0); }), "SyncReg size must be positive");
}

}  // namespace
}  // namespace velmora::testing
