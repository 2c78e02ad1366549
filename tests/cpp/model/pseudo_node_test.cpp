#include "model/typed_access.h"
#include "model_test_support.h"

namespace velmora::testing {
namespace {

class PseudoNodeTest : public ModelTest {
protected:
    NcpIdent opr(std::string_view name) { return arena.make_opr_node(name, bit(name)); }
    const Expression& join_of(const NcpIdent& p) {
        return hcp<Expression>(arena, node<PseudoNode>(arena, p).exit_opr);
    }
};

TEST_F(PseudoNodeTest, made_with_an_empty_expression_of_its_width) {
    NcpIdent p = arena.make_pseudo_node("p", 1, LogicOp::BitwiseAnd);
    const PseudoNode& n = node<PseudoNode>(arena, p);
    EXPECT_EQ(p.node_type, NodeType::Pseudo);
    EXPECT_EQ(name_of(n.exit_opr), "pseudo_init_expr");
    EXPECT_FALSE(join_of(p).operator_form);
    EXPECT_EQ(join_of(p).bit_width, 1);
    EXPECT_EQ(n.get_exit_opr(), n.exit_opr);
    EXPECT_EQ(n.get_cycle_used(), 0);
    EXPECT_FALSE(n.is_state_full_node());
    EXPECT_EQ(n.get_clock_mode(arena), ClockMode::ClkFree);
}

TEST_F(PseudoNodeTest, other_join_operators_are_refused) {
    EXPECT_EQ(panic_message([&] { arena.make_pseudo_node("p", 1, LogicOp::BitwiseXor); }),
              "assertion failed: matches!(join_op, LogicOp::BitwiseAnd | LogicOp::BitwiseOr)");
}

TEST_F(PseudoNodeTest, joins_depend_exits_with_its_operator_and_conditions) {
    NcpIdent p = arena.make_pseudo_node("p", 1, LogicOp::BitwiseOr);
    HcpIdent cond = bit("cond");
    arena.with_node(p, [&](NcpNode& n) {
        n.add_depend_node(opr("x"), std::nullopt);
        n.add_depend_node(opr("y"), cond);
    });
    arena.assign_ncp_node(p, true, true);
    const Expression& join = join_of(p);
    EXPECT_TRUE(join.operator_form);
    EXPECT_EQ(join.op, LogicOp::Assign);
    const Expression& result = hcp<Expression>(arena, join.a);
    EXPECT_EQ(name_of(join.a), "node_logic_expr");
    EXPECT_EQ(result.op, LogicOp::BitwiseOr);
    EXPECT_EQ(name_of(result.a), "x");
    const Expression& term = hcp<Expression>(arena, *result.b);
    EXPECT_EQ(term.op, LogicOp::BitwiseAnd);
    EXPECT_EQ(name_of(term.a), "y");
    EXPECT_EQ(*term.b, cond);
}

TEST_F(PseudoNodeTest, only_depend_on_itself_is_a_feedback_loop) {
    NcpIdent p = arena.make_pseudo_node("p", 1, LogicOp::BitwiseOr);
    arena.with_node(p, [&](NcpNode& n) { n.add_depend_node(p, std::nullopt); });
    arena.assign_ncp_node(p, false, true);
    const PseudoNode& n = node<PseudoNode>(arena, p);
    EXPECT_EQ(join_of(p).a, n.exit_opr);
}

TEST_F(PseudoNodeTest, self_feedback_joins_with_the_other_depends) {
    NcpIdent p = arena.make_pseudo_node("p", 1, LogicOp::BitwiseAnd);
    arena.with_node(p, [&](NcpNode& n) {
        n.add_depend_node(opr("entry"), std::nullopt);
        n.add_depend_node(p, std::nullopt);
    });
    arena.assign_ncp_node(p, false, true);
    const Expression& result = hcp<Expression>(arena, join_of(p).a);
    EXPECT_EQ(result.op, LogicOp::BitwiseAnd);
    EXPECT_EQ(name_of(result.a), "entry");
    EXPECT_EQ(*result.b, node<PseudoNode>(arena, p).exit_opr);
}

TEST_F(PseudoNodeTest, needs_a_depend) {
    NcpIdent p = arena.make_pseudo_node("p", 1, LogicOp::BitwiseAnd);
    EXPECT_EQ(panic_message([&] { arena.assign_ncp_node(p, true, true); }),
              "PseudoNode requires at least one depend node");
}

TEST_F(PseudoNodeTest, second_join_is_refused) {
    NcpIdent p = arena.make_pseudo_node("p", 1, LogicOp::BitwiseAnd);
    arena.with_node(p, [&](NcpNode& n) { n.add_depend_node(opr("x"), std::nullopt); });
    arena.assign_ncp_node(p, false, true);
    EXPECT_EQ(panic_message([&] { arena.assign_ncp_node(p, false, true); }),
              "multiple expression assign detected");
}

}  // namespace
}  // namespace velmora::testing
