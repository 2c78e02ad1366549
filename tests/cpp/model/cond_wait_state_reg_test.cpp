#include "model/typed_access.h"
#include "model_test_support.h"

namespace velmora::testing {
namespace {

class CondWaitStateRegTest : public ModelTest {
protected:
    HcpIdent prelim(const HcpIdent& cond, Slice slice) {
        HcpIdent reg = arena.make_cond_wait_state_reg("w", cond, slice);
        build_support_of<CondWaitStateReg>(arena, reg);
        return reg;
    }
    void build(const HcpIdent& reg, const TriggerSig& sig) {
        build_events_of<CondWaitStateReg>(arena, reg, sig);
    }
};

TEST_F(CondWaitStateRegTest, support_signals_in_order) {
    HcpIdent go = bit("go");
    HcpIdent reg = prelim(go, Slice{0, 1});
    EXPECT_EQ(internal_names(arena, module, HwComponentType::Val),
              (std::vector<std::string>{"w_UP_STATE", "w_DOWN_STATE"}));
    EXPECT_EQ(internal_names(arena, module, HwComponentType::Expression),
              (std::vector<std::string>{"w_SELF_IS_UP", "w_END_EXPR"}));
    const Expression& end = hcp<Expression>(arena, *hcp<CondWaitStateReg>(arena, reg).end_expr);
    EXPECT_EQ(end.op, LogicOp::BitwiseAnd);
    EXPECT_EQ(end.a, reg);
    EXPECT_EQ(*end.b, go);
    EXPECT_EQ(end.b_slice, (Slice{0, 1}));
}

TEST_F(CondWaitStateRegTest, event_table_in_order) {
    HcpIdent reg = prelim(bit("go"), Slice{0, 1});
    TriggerSig sig;
    sig.hold_sig_i = bit("hold");
    sig.int_reset_sig_i = bit("rst");
    sig.int_start_sig_i = bit("start");
    sig.mrst_sig_i = bit("mrst");
    sig.clk_sig_i = bit("clk");
    sig.push_depend_node(bit("a0"), bit("c0"));
    sig.push_depend_node(bit("a1"), std::nullopt);
    build(reg, sig);
    const Slice b{0, 1};
    std::vector<EventRow> expected = {
        {50, {"go", "w_SELF_IS_UP"}, "w_DOWN_STATE", b, b},
        {51, {"hold"}, "w", b, b},
        {53, {"c0", "a0"}, "w_UP_STATE", b, b},
        {53, {"a1"}, "w_UP_STATE", b, b},
        {52, {"rst"}, "w_DOWN_STATE", b, b},
        {MAX_PRI, {"mrst"}, "w_DOWN_STATE", b, b},
    };
    EXPECT_EQ(pool_rows(arena, reg), expected);
}

TEST_F(CondWaitStateRegTest, condition_must_be_one_bit) {
    HcpIdent wide = arena.make_wire(false, "wide", 2);
    HcpIdent reg = prelim(wide, Slice{1, 2});
    TriggerSig sig;
    sig.clk_sig_i = bit("clk");
    EXPECT_EQ(panic_message([&] { build(reg, sig); }),
              cat("assertion `left == right` failed: 'w': signal '", wide.abs_name(),
                  "' must be 1-bit, got 2\n  left: 2\n right: 1"));
}

}  // namespace
}  // namespace velmora::testing
