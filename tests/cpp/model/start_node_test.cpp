#include "model/typed_access.h"
#include "model_test_support.h"

namespace velmora::testing {
namespace {

class StartNodeTest : public ModelTest {};

TEST_F(StartNodeTest, makes_register_constant_and_start_expression) {
    HcpIdent mrst = bit("mrst");
    NcpIdent s = arena.make_start_node("start", mrst);
    EXPECT_EQ(s.node_type, NodeType::Start);
    const StartNode& n = node<StartNode>(arena, s);
    EXPECT_EQ(name_of(n.state_reg_i), "start_ST");
    EXPECT_EQ(n.state_reg_i.hw_type, HwComponentType::StateReg);
    EXPECT_EQ(n.mrst_i, mrst);
    const Expression& e = hcp<Expression>(arena, *n.start_expr_i);
    EXPECT_EQ(name_of(*n.start_expr_i), "startExpr");
    EXPECT_EQ(e.op, LogicOp::RelationEq);
    EXPECT_EQ(e.a, n.state_reg_i);
    EXPECT_EQ(name_of(*e.b), "upState");
    EXPECT_EQ(hcp<Val>(arena, *e.b).bit_width, 1);
    EXPECT_EQ(val_of(arena, *e.b), 1u);
    EXPECT_EQ(n.get_exit_opr(), n.start_expr_i);
    EXPECT_EQ(n.get_cycle_used(), 1);
    EXPECT_TRUE(n.is_state_full_node());
    EXPECT_EQ(n.get_clock_mode(arena), ClockMode::PosEdge);
    EXPECT_EQ(panic_message([&] { n.get_state_operating(); }),
              "get_state_operating: not implemented");
}

TEST_F(StartNodeTest, master_reset_sets_the_start_register) {
    NcpIdent s = arena.make_start_node("start", bit("mrst"));
    NcpIdent clk = arena.make_opr_node("clk", bit("clk"));
    arena.with_node(s, [&](NcpNode& n) { n.set_clk_node(clk); });
    arena.assign_ncp_node(s, true, true);
    const Slice b{0, 1};
    HcpIdent reg = node<StartNode>(arena, s).state_reg_i;
    EXPECT_EQ(pool_rows(arena, reg), (std::vector<EventRow>{{50, {}, "start_ST_UNSET", b, b},
                                                            {53, {"mrst"}, "start_ST_SET", b, b}}));
    EXPECT_EQ(hcp<StateReg>(arena, reg).trigger_sig.depend_sigs_i.size(), 1u);
}

TEST_F(StartNodeTest, without_a_clock_the_register_refuses_to_build) {
    NcpIdent s = arena.make_start_node("start", bit("mrst"));
    EXPECT_EQ(panic_message([&] { arena.assign_ncp_node(s, false, true); }),
              "StateReg::build_update_event: clk_sig_i not assigned");
}

}  // namespace
}  // namespace velmora::testing
