#include "model/typed_access.h"
#include "model_test_support.h"

namespace velmora::testing {
namespace {

enum class Kind { State, Syn, WaitCond, WaitCycle, Counter };
enum class Trigger { None, Hold, IntReset, IntStart };

class StateNodesBase : public ModelTest {
protected:
    NcpIdent make(Kind k) {
        switch (k) {
            case Kind::State:
                return arena.make_state_node("n");
            case Kind::Syn:
                return arena.make_syn_node("n", 2);
            case Kind::WaitCond:
                return arena.make_wait_cond_node("n", bit("go"), Slice{0, 1});
            case Kind::WaitCycle:
                return arena.make_wait_cycle_node("n", 3);
            case Kind::Counter:
                return arena.make_counter_node("n", 4);
        }
        return {};
    }
    NcpIdent opr(std::string_view name) { return arena.make_opr_node(name, bit(name)); }
    void set_trigger(const NcpIdent& n, Trigger t) {
        if (t == Trigger::None) return;
        NcpIdent o = opr("t");
        arena.with_node(n, [&](NcpNode& x) {
            if (t == Trigger::Hold) x.set_hold_node(o);
            if (t == Trigger::IntReset) x.set_int_reset_node(o);
            if (t == Trigger::IntStart) x.set_int_start_node(o);
        });
    }
    int32_t cycles(const NcpIdent& n) {
        return arena.read_node(n, [](const NcpNode& x) { return x.get_cycle_used(); });
    }
};

struct CycleCase {
    Kind kind;
    Trigger trigger;
    int32_t cycles;
};

class StateNodeCycles : public StateNodesBase, public ::testing::WithParamInterface<CycleCase> {};

TEST_P(StateNodeCycles, cycle_count_is_fixed_only_without_control_triggers) {
    NcpIdent n = make(GetParam().kind);
    set_trigger(n, GetParam().trigger);
    EXPECT_EQ(cycles(n), GetParam().cycles);
}

INSTANTIATE_TEST_SUITE_P(Kinds, StateNodeCycles,
                         ::testing::Values(CycleCase{Kind::State, Trigger::None, 1},
                                           CycleCase{Kind::State, Trigger::Hold, -1},
                                           CycleCase{Kind::State, Trigger::IntReset, -1},
                                           CycleCase{Kind::State, Trigger::IntStart, -1},
                                           CycleCase{Kind::Syn, Trigger::None, 0},
                                           CycleCase{Kind::Syn, Trigger::Hold, 0},
                                           CycleCase{Kind::WaitCond, Trigger::None, -1},
                                           CycleCase{Kind::WaitCycle, Trigger::None, 3},
                                           CycleCase{Kind::WaitCycle, Trigger::Hold, -1},
                                           CycleCase{Kind::WaitCycle, Trigger::IntStart, -1},
                                           CycleCase{Kind::Counter, Trigger::None, 5},
                                           CycleCase{Kind::Counter, Trigger::IntReset, -1},
                                           CycleCase{Kind::Counter, Trigger::IntStart, -1}));

struct KindCase {
    Kind kind;
    NodeType type;
    const char* reg_name;
    bool state_full;
    const char* exit_message;
};

class StateNodeKind : public StateNodesBase, public ::testing::WithParamInterface<KindCase> {};

TEST_P(StateNodeKind, identity_register_and_exit_before_prelim) {
    const KindCase& c = GetParam();
    NcpIdent n = make(c.kind);
    EXPECT_EQ(n.node_type, c.type);
    EXPECT_FALSE(n.ident_base.is_user_com);
    arena.read_node(n, [&](const NcpNode& x) {
        EXPECT_EQ(x.is_state_full_node(), c.state_full);
        EXPECT_EQ(x.get_clock_mode(arena), ClockMode::PosEdge);
        EXPECT_EQ(panic_message([&] { x.get_exit_opr(); }), c.exit_message);
    });
    EXPECT_EQ(panic_message([&] { arena.with_node(n, [&](NcpNode& x) { x.dry_assign(arena); }); }),
              "dry_assign: not implemented");
    std::vector<std::string> regs;
    for (HwComponentType t :
         {HwComponentType::StateReg, HwComponentType::SyncReg, HwComponentType::CondWaitStateReg,
          HwComponentType::CycleWaitStateReg, HwComponentType::CntReg}) {
        for (const auto& name : internal_names(arena, module, t)) regs.push_back(name);
    }
    EXPECT_EQ(regs, (std::vector<std::string>{c.reg_name}));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, StateNodeKind,
    ::testing::Values(
        KindCase{Kind::State, NodeType::State, "n_ST", true, "exit opr is not set yet"},
        KindCase{Kind::Syn, NodeType::Syn, "n_SY", false,
                 "SynNode::get_exit_opr: bound_exit_i not set — call assign_prelim before "
                 "reading exit_opr"},
        KindCase{Kind::WaitCond, NodeType::WaitCond, "n_CW", true,
                 "WaitCondNode::get_exit_opr: bound_exit_i not set — call assign_prelim first"},
        KindCase{Kind::WaitCycle, NodeType::WaitCycle, "n_CY", true,
                 "WaitCycleNode::get_exit_opr: bound_exit_i not set — call assign_prelim first"},
        KindCase{Kind::Counter, NodeType::Counter, "n_CNT", true,
                 "CounterNode::get_exit_opr: end_expr_i not set — call assign_prelim first"}));

class StateNodesTest : public StateNodesBase {
protected:
    HcpIdent exit_of(const NcpIdent& n) { return *node_exit_of(arena, n); }
};

TEST_F(StateNodesTest, state_operating_answers_and_messages) {
    NcpIdent s = make(Kind::State);
    NcpIdent w = make(Kind::WaitCond);
    EXPECT_EQ(panic_message([&] { node<StateNode>(arena, s).get_state_operating(); }),
              "state operating is not set yet");
    EXPECT_EQ(panic_message([&] { node<WaitCondNode>(arena, w).get_state_operating(); }),
              "WaitCondNode::get_state_operating: raw_state_op_i not set — call assign_prelim "
              "first");
    arena.assign_ncp_node(s, true, false);
    arena.assign_ncp_node(w, true, false);
    EXPECT_EQ(node<StateNode>(arena, s).get_state_operating(),
              node<StateNode>(arena, s).state_reg_i);
    EXPECT_EQ(name_of(*node<WaitCondNode>(arena, w).get_state_operating()), "n_CW_END_EXPR");
    for (Kind k : {Kind::Syn, Kind::WaitCycle, Kind::Counter}) {
        NcpIdent n = make(k);
        EXPECT_EQ(panic_message([&] {
                      arena.read_node(n, [](const NcpNode& x) { x.get_state_operating(); });
                  }),
                  "get_state_operating: not implemented");
    }
}

TEST_F(StateNodesTest, ungated_state_exit_is_the_register) {
    NcpIdent s = make(Kind::State);
    arena.assign_ncp_node(s, true, false);
    EXPECT_EQ(exit_of(s), node<StateNode>(arena, s).state_reg_i);
}

TEST_F(StateNodesTest, held_state_exit_is_gated_by_the_inverted_hold) {
    NcpIdent s = make(Kind::State);
    NcpIdent h = opr("h");
    arena.with_node(s, [&](NcpNode& x) { x.set_hold_node(h); });
    arena.assign_ncp_node(s, true, false);
    HcpIdent exit = exit_of(s);
    EXPECT_EQ(name_of(exit), "node_bind_hold");
    const Expression& bind = hcp<Expression>(arena, exit);
    EXPECT_EQ(bind.op, LogicOp::BitwiseAnd);
    EXPECT_EQ(bind.a, node<StateNode>(arena, s).state_reg_i);
    EXPECT_EQ(name_of(*bind.b), "node_hold_inv");
    const Expression& inv = hcp<Expression>(arena, *bind.b);
    EXPECT_EQ(inv.op, LogicOp::BitwiseInvr);
    EXPECT_EQ(name_of(inv.a), "h");
    EXPECT_EQ(cycles(s), -1);
}

TEST_F(StateNodesTest, reset_gate_comes_before_the_hold_gate) {
    NcpIdent w = make(Kind::WaitCycle);
    NcpIdent h = opr("h");
    NcpIdent r = opr("r");
    arena.with_node(w, [&](NcpNode& x) {
        x.set_hold_node(h);
        x.set_int_reset_node(r);
    });
    arena.assign_ncp_node(w, true, false);
    const Expression& hold = hcp<Expression>(arena, exit_of(w));
    EXPECT_EQ(name_of(exit_of(w)), "node_bind_hold");
    EXPECT_EQ(name_of(hold.a), "node_bind_rst");
    const Expression& rst = hcp<Expression>(arena, hold.a);
    EXPECT_EQ(name_of(rst.a), "n_CY_IS_END");
    EXPECT_EQ(name_of(*rst.b), "node_int_inv");
    EXPECT_EQ(name_of(hcp<Expression>(arena, *rst.b).a), "r");
    EXPECT_EQ(name_of(*node<WaitCycleNode>(arena, w).end_expr_i), "n_CY_IS_END");
}

TEST_F(StateNodesTest, syn_exit_is_the_end_expression_and_wait_cond_keeps_it_raw) {
    NcpIdent y = make(Kind::Syn);
    arena.assign_ncp_node(y, true, false);
    EXPECT_EQ(name_of(exit_of(y)), "n_SY_END_EXPR");
    EXPECT_EQ(node<SynNode>(arena, y).end_expr_i, exit_of(y));

    NcpIdent w = make(Kind::WaitCond);
    arena.with_node(w, [&](NcpNode& x) { x.set_int_reset_node(opr("r")); });
    arena.assign_ncp_node(w, true, false);
    EXPECT_EQ(name_of(exit_of(w)), "node_bind_rst");
    EXPECT_EQ(name_of(*node<WaitCondNode>(arena, w).raw_state_op_i), "n_CW_END_EXPR");
}

TEST_F(StateNodesTest, counter_exit_is_at_last_and_never_gated) {
    NcpIdent c = make(Kind::Counter);
    arena.with_node(c, [&](NcpNode& x) { x.set_hold_node(opr("h")); });
    arena.assign_ncp_node(c, true, false);
    EXPECT_EQ(name_of(exit_of(c)), "n_CNT_AT_LAST");
    const CntReg& reg = hcp<CntReg>(arena, node<CounterNode>(arena, c).cnt_reg_i);
    EXPECT_EQ(reg.inc_val, 1);
    EXPECT_EQ(reg.max_cycle, 4);
}

TEST_F(StateNodesTest, state_node_final_builds_the_register_events_from_its_triggers) {
    NcpIdent s = make(Kind::State);
    NcpIdent d = opr("d");
    NcpIdent c = opr("clk");
    arena.with_node(s, [&](NcpNode& x) {
        x.add_depend_node(d, std::nullopt);
        x.set_clk_node(c);
    });
    arena.assign_ncp_node(s, true, true);
    const Slice b{0, 1};
    EXPECT_EQ(pool_rows(arena, node<StateNode>(arena, s).state_reg_i),
              (std::vector<EventRow>{{50, {}, "n_ST_UNSET", b, b}, {53, {"d"}, "n_ST_SET", b, b}}));
}

TEST_F(StateNodesTest, syn_node_final_fills_its_slots) {
    NcpIdent y = make(Kind::Syn);
    arena.with_node(y, [&](NcpNode& x) {
        x.add_depend_node(opr("d0"), std::nullopt);
        x.add_depend_node(opr("d1"), std::nullopt);
        x.set_clk_node(opr("clk"));
    });
    arena.assign_ncp_node(y, true, true);
    EXPECT_EQ(pool_rows(arena, node<SynNode>(arena, y).sync_reg_i).size(), 3u);
}

TEST_F(StateNodesTest, wait_cond_final_needs_a_depend) {
    NcpIdent w = make(Kind::WaitCond);
    arena.assign_ncp_node(w, true, false);
    EXPECT_EQ(panic_message([&] { arena.assign_ncp_node(w, false, true); }),
              "WaitCondNode requires at least one depend node");
}

TEST_F(StateNodesTest, counter_without_control_signals_makes_its_pair_events_per_depend) {
    NcpIdent c = make(Kind::Counter);
    arena.with_node(c, [&](NcpNode& x) {
        x.add_depend_node(opr("d0"), std::nullopt);
        x.add_depend_node(opr("d1"), std::nullopt);
        x.set_clk_node(opr("clk"));
    });
    arena.assign_ncp_node(c, true, true);
    const CntReg& reg = hcp<CntReg>(arena, node<CounterNode>(arena, c).cnt_reg_i);
    const Slice w{0, 2};
    // Per depend: the increment and the wrap to zero on the last pass.
    EXPECT_EQ(describe_pool(arena, reg.built_events),
              (std::vector<EventRow>{{51, {"d0"}, "n_CNT_INC", w, w},
                                     {51, {"d0", "n_CNT_AT_LAST"}, "n_CNT_ZERO", w, w},
                                     {51, {"d1"}, "n_CNT_INC", w, w},
                                     {51, {"d1", "n_CNT_AT_LAST"}, "n_CNT_ZERO", w, w}}));
    EXPECT_EQ(reg.built_events, reg.get_update_pool());
}

TEST_F(StateNodesTest, counter_final_checks_trigger_widths) {
    NcpIdent c = make(Kind::Counter);
    HcpIdent wide = arena.make_wire(false, "wide", 2);
    NcpIdent d = arena.make_opr_node("d", wide);
    arena.with_node(c, [&](NcpNode& x) { x.add_depend_node(d, std::nullopt); });
    arena.assign_ncp_node(c, true, false);
    EXPECT_EQ(panic_message([&] { arena.assign_ncp_node(c, false, true); }),
              cat("assertion `left == right` failed: 'n_CNT': signal '", wide.abs_name(),
                  "' must be 1-bit, got 2\n  left: 2\n right: 1"));
}

TEST_F(StateNodesTest, constructor_assertions) {
    EXPECT_EQ(panic_message([&] { arena.make_syn_node("n", 0); }),
              "assertion failed: syn_size > 0");
    EXPECT_EQ(panic_message([&] { arena.make_wait_cycle_node("n", 0); }),
              "assertion failed: cycle > 0");
    EXPECT_EQ(panic_message([&] { arena.make_counter_node("n", 0); }),
              "assertion failed: last_loop_cnt > 0");
}

}  // namespace
}  // namespace velmora::testing
