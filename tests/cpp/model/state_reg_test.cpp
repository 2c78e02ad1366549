#include "model/typed_access.h"
#include "model_test_support.h"

namespace velmora::testing {
namespace {

class StateRegTest : public ModelTest {
protected:
    HcpIdent build(const TriggerSig& sig) {
        HcpIdent reg = arena.make_state_reg("s");
        build_events_of<StateReg>(arena, reg, sig);
        return reg;
    }
};

TEST_F(StateRegTest, factory_makes_set_and_unset_before_the_register) {
    HcpIdent reg = arena.make_state_reg("s");
    EXPECT_EQ(internal_names(arena, module, HwComponentType::Val),
              (std::vector<std::string>{"s_SET", "s_UNSET"}));
    const StateReg& r = hcp<StateReg>(arena, reg);
    EXPECT_EQ(r.bit_width, 1);
    EXPECT_EQ(val_of(arena, arena.ident_of(*r.set_sig)), 1u);
    EXPECT_EQ(val_of(arena, arena.ident_of(*r.unset_sig)), 0u);
    EXPECT_LT(arena.ident_of(*r.set_sig).global_id(), reg.global_id());
    EXPECT_EQ(reg.parent_module, module);
}

TEST_F(StateRegTest, event_table_in_order_with_hold_keeping_the_register_itself) {
    TriggerSig sig;
    sig.hold_sig_i = bit("hold");
    sig.int_reset_sig_i = bit("rst");
    sig.int_start_sig_i = bit("start");
    sig.mrst_sig_i = bit("mrst");
    sig.clk_sig_i = bit("clk");
    sig.push_depend_node(bit("a0"), bit("c0"));
    sig.push_depend_node(bit("a1"), std::nullopt);
    HcpIdent reg = build(sig);

    const Slice b{0, 1};
    std::vector<EventRow> expected = {
        {50, {}, "s_UNSET", b, b},
        {51, {"hold"}, "s", b, b},
        {53, {"a0", "c0"}, "s_SET", b, b},
        {53, {"a1"}, "s_SET", b, b},
        {52, {"rst"}, "s_UNSET", b, b},
        {54, {"start"}, "s_SET", b, b},
        {MAX_PRI, {"mrst"}, "s_UNSET", b, b},
    };
    EXPECT_EQ(pool_rows(arena, reg), expected);
    for (const auto& [mode, clk] : pool_clocks(arena, reg)) {
        EXPECT_EQ(mode, ClockMode::PosEdge);
        EXPECT_EQ(clk, "clk");
    }
}

TEST_F(StateRegTest, hold_source_is_the_register_not_set) {
    TriggerSig sig;
    sig.hold_sig_i = bit("hold");
    sig.clk_sig_i = bit("clk");
    HcpIdent reg = build(sig);
    const auto& pool = hcp<StateReg>(arena, reg).get_update_pool();
    ASSERT_EQ(pool.size(), 2u);
    const UeCond& hold = ue<UeCond>(arena, pool[1]);
    EXPECT_EQ(ue<UeBasic>(arena, hold.ues[0]).src, reg);
}

TEST_F(StateRegTest, clock_and_one_depend_give_exactly_clear_and_set) {
    TriggerSig sig;
    sig.clk_sig_i = bit("clk");
    sig.push_depend_node(bit("go"), std::nullopt);
    HcpIdent reg = build(sig);
    const Slice b{0, 1};
    EXPECT_EQ(pool_rows(arena, reg),
              (std::vector<EventRow>{{50, {}, "s_UNSET", b, b}, {53, {"go"}, "s_SET", b, b}}));
}

TEST_F(StateRegTest, two_conditions_are_anded_through_cond_dis_expr) {
    TriggerSig sig;
    sig.clk_sig_i = bit("clk");
    HcpIdent a = bit("a");
    HcpIdent c = bit("c");
    sig.push_depend_node(a, c);
    HcpIdent reg = build(sig);
    const UeCond& set = ue<UeCond>(arena, hcp<StateReg>(arena, reg).get_update_pool()[1]);
    const Expression& e = hcp<Expression>(arena, arena.ident_of(*set.conds[0]));
    EXPECT_EQ(name_of(arena.ident_of(*set.conds[0])), "cond_dis_expr");
    EXPECT_EQ(e.op, LogicOp::BitwiseAnd);
    EXPECT_EQ(e.a, a);
    EXPECT_EQ(*e.b, c);
}

TEST_F(StateRegTest, missing_clock_is_refused) {
    TriggerSig sig;
    sig.push_depend_node(bit("go"), std::nullopt);
    EXPECT_EQ(panic_message([&] { build(sig); }),
              "StateReg::build_update_event: clk_sig_i not assigned");
}

TEST_F(StateRegTest, missing_support_signals_are_refused) {
    HcpIdent reg = arena.make_state_reg("s");
    TriggerSig sig;
    sig.clk_sig_i = bit("clk");
    EXPECT_EQ(panic_message([&] {
                  with_hcp_as<StateReg>(arena, reg, [&](StateReg& r) {
                      r.set_sig.reset();
                      r.trigger_sig = sig;
                      r.build_update_event(arena);
                  });
              }),
              "build_support_signal must be called first");
}

}  // namespace
}  // namespace velmora::testing
