#include "model/typed_access.h"
#include "model_test_support.h"

namespace velmora::testing {
namespace {

class AsmNodeTest : public ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        reg = arena.make_reg(false, "r", 4);
        wire = arena.make_wire(false, "w", 4);
        src = arena.make_val(false, "v", 4, 5);
        clk = bit("clk");
    }
    AssignMeta meta_of(const HcpIdent& des) {
        return arena.with_hcp(
            des, [&](HcpBase& d) { return d.gen_asm_meta(arena, src, std::nullopt, 0, 4); });
    }
    /// A state node after its prelim, as the parent of an assignment.
    NcpIdent parent() {
        NcpIdent s = arena.make_state_node("st");
        arena.assign_ncp_node(s, true, false);
        return s;
    }
    NcpIdent opr(std::string_view name) { return arena.make_opr_node(name, bit(name)); }
    std::vector<UpdateEventIdent> pool_of(const HcpIdent& des) {
        return arena.read_hcp(des, [](const HcpBase& c) { return c.get_update_pool(); });
    }

    HcpIdent reg, wire, src, clk;
};

TEST_F(AsmNodeTest, factories_hold_their_metas) {
    AssignMeta m = meta_of(reg);
    NcpIdent a = arena.make_asm_node(true, "r_asm", m);
    EXPECT_EQ(a.node_type, NodeType::Asm);
    EXPECT_TRUE(a.ident_base.is_user_com);
    EXPECT_EQ(node<AsmNode>(arena, a).asm_metas.size(), 1u);
    NcpIdent many = arena.make_asm_node_many("many", {meta_of(reg), meta_of(wire)});
    EXPECT_FALSE(many.ident_base.is_user_com);
    EXPECT_EQ(node<AsmNode>(arena, many).asm_metas.size(), 2u);
    EXPECT_EQ(panic_message([&] { arena.make_asm_node_many("none", {}); }),
              "assertion failed: !metas.is_empty()");
}

TEST_F(AsmNodeTest, refused_operations) {
    NcpIdent a = arena.make_asm_node(false, "a", meta_of(reg));
    EXPECT_EQ(panic_message([&] { arena.assign_ncp_node(a, true, false); }),
              "AsmNode::assign_prelim(): is not support in AsmNode");
    EXPECT_EQ(panic_message([&] { arena.assign_ncp_node(a, false, true); }),
              "AsmNode::assign_final(): use assign_from_state_node or dry_assign");
    const AsmNode& n = node<AsmNode>(arena, a);
    EXPECT_EQ(panic_message([&] { n.get_exit_opr(); }), "get_exit_opr: not implemented");
    EXPECT_EQ(panic_message([&] { n.get_state_operating(); }),
              "get_state_operating: not implemented");
    EXPECT_EQ(n.get_cycle_used(), 1);
    EXPECT_TRUE(n.is_state_full_node());
    NcpIdent s = arena.make_state_node("s");
    EXPECT_EQ(panic_message([&] { arena.dry_assign_asm_node(s); }),
              "assertion failed: node.node_type == NodeType::Asm");
}

TEST_F(AsmNodeTest, clock_mode_is_that_of_the_first_meta) {
    AssignMeta neg;
    neg.des = reg;
    neg.first_ue = neg.cur_ue =
        arena.make_ue_basic(src, {0, 4}, {0, 4}, 10, ClockMode::NegEdge, false, clk);
    NcpIdent a = arena.make_asm_node_many("a", {neg, meta_of(reg)});
    EXPECT_EQ(node<AsmNode>(arena, a).get_clock_mode(arena), ClockMode::NegEdge);
    NcpIdent w = arena.make_asm_node_many("w", {meta_of(wire), meta_of(reg)});
    EXPECT_EQ(node<AsmNode>(arena, w).get_clock_mode(arena), ClockMode::ClkFree);
    AsmNode empty;
    EXPECT_EQ(empty.get_clock_mode(arena), ClockMode::ClkUnused);
}

TEST_F(AsmNodeTest, plain_assignment_in_a_state_is_guarded_by_the_state_only) {
    NcpIdent st = parent();
    NcpIdent a = arena.make_asm_node(false, "a", meta_of(reg));
    arena.with_node(a, [&](NcpNode& n) { n.add_depend_node(st, std::nullopt); });
    arena.set_asm_node_clk_src_direct(a, clk);
    arena.assign_asm_from_state_node(a);
    std::vector<EventRow> rows = pool_rows(arena, reg);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].conds, (std::vector<std::string>{"st_ST"}));
    EXPECT_EQ(rows[0].src, "v");
    EXPECT_EQ(pool_of(reg)[0], node<AsmNode>(arena, a).asm_metas[0].cur_ue);
}

TEST_F(AsmNodeTest, guard_is_condition_and_hold_and_reset_and_state) {
    NcpIdent st = parent();
    HcpIdent cond = bit("cond");
    NcpIdent a = arena.make_asm_node(false, "a", meta_of(reg));
    arena.with_node(a, [&](NcpNode& n) {
        n.add_depend_node(st, cond);
        n.set_hold_node(opr("h"));
        n.set_int_reset_node(opr("rst"));
    });
    arena.set_asm_node_clk_src_direct(a, clk);
    arena.assign_asm_from_state_node(a);
    const UeCond& guarded = ue<UeCond>(arena, pool_of(reg)[0]);
    // ((cond AND asm_hold_inv) AND asm_rst_inv) AND state
    const Expression& top = hcp<Expression>(arena, arena.ident_of(*guarded.conds[0]));
    EXPECT_EQ(name_of(arena.ident_of(*guarded.conds[0])), "node_logic_expr");
    EXPECT_EQ(name_of(*top.b), "st_ST");
    const Expression& mid = hcp<Expression>(arena, top.a);
    EXPECT_EQ(name_of(*mid.b), "asm_rst_inv");
    EXPECT_EQ(name_of(hcp<Expression>(arena, *mid.b).a), "rst");
    const Expression& low = hcp<Expression>(arena, mid.a);
    EXPECT_EQ(low.a, cond);
    EXPECT_EQ(name_of(*low.b), "asm_hold_inv");
    const Expression& hold_inv = hcp<Expression>(arena, *low.b);
    EXPECT_EQ(hold_inv.op, LogicOp::BitwiseInvr);
    EXPECT_EQ(name_of(hold_inv.a), "h");
    EXPECT_EQ(top.op, LogicOp::BitwiseAnd);
}

TEST_F(AsmNodeTest, assign_from_state_needs_exactly_one_parent) {
    NcpIdent a = arena.make_asm_node(false, "a", meta_of(reg));
    EXPECT_EQ(panic_message([&] { arena.assign_asm_from_state_node(a); }),
              "AsmNode must have exactly one parent depend");
    NcpIdent st = parent();
    NcpIdent empty = arena.make_asm_node(false, "e", meta_of(reg));
    arena.with_node(empty, [&](NcpNode& n) { n.add_depend_node(st, std::nullopt); });
    with_node_as<AsmNode>(arena, empty, [](AsmNode& n) { n.asm_metas.clear(); });
    EXPECT_EQ(panic_message([&] { arena.assign_asm_from_state_node(empty); }),
              "assertion failed: !self.asm_metas.is_empty()");
}

TEST_F(AsmNodeTest, dry_assign_pools_the_events_unguarded) {
    NcpIdent a = arena.make_asm_node_many("a", {meta_of(wire), meta_of(reg)});
    arena.dry_assign_asm_node(a);
    EXPECT_EQ(pool_of(wire).size(), 1u);
    EXPECT_EQ(pool_of(reg).size(), 1u);
    EXPECT_EQ(pool_of(reg)[0].ue_type, UeType::Basic);
}

TEST_F(AsmNodeTest, dry_assign_messages) {
    NcpIdent a = arena.make_asm_node(false, "a", meta_of(reg));
    arena.with_node(a, [&](NcpNode& n) { n.add_depend_node(parent(), std::nullopt); });
    EXPECT_EQ(panic_message([&] { arena.dry_assign_asm_node(a); }),
              "dry assign must have no depend nodes");
    NcpIdent e = arena.make_asm_node(false, "e", meta_of(reg));
    with_node_as<AsmNode>(arena, e, [](AsmNode& n) { n.asm_metas.clear(); });
    EXPECT_EQ(panic_message([&] { arena.dry_assign_asm_node(e); }),
              "assertion failed: !self.asm_metas.is_empty()");
}

TEST_F(AsmNodeTest, clock_source_goes_only_to_edge_clocked_events) {
    NcpIdent a = arena.make_asm_node_many("a", {meta_of(reg), meta_of(wire)});
    arena.with_node(a, [&](NcpNode& n) { n.set_clk_node(arena.make_opr_node("clk", clk)); });
    arena.init_asm_node_clk_src(a);
    const AsmNode& n = node<AsmNode>(arena, a);
    EXPECT_EQ(arena.get_ue_common(*n.asm_metas[0].cur_ue).clk_src, clk);
    EXPECT_FALSE(arena.get_ue_common(*n.asm_metas[1].cur_ue).clk_src.has_value());
}

TEST_F(AsmNodeTest, guarded_wire_assignment_in_a_step_builds) {
    NcpIdent st = parent();
    NcpIdent a = arena.make_asm_node_many("a", {meta_of(wire), meta_of(reg)});
    arena.with_node(a, [&](NcpNode& n) {
        n.add_depend_node(st, std::nullopt);
        n.set_clk_node(arena.make_opr_node("clk", clk));
    });
    arena.init_asm_node_clk_src(a);
    EXPECT_NO_THROW(arena.assign_asm_from_state_node(a));
    EXPECT_EQ(pool_clocks(arena, wire),
              (std::vector<std::pair<ClockMode, std::string>>{{ClockMode::ClkFree, ""}}));
    EXPECT_EQ(pool_clocks(arena, reg),
              (std::vector<std::pair<ClockMode, std::string>>{{ClockMode::PosEdge, "clk"}}));
}

TEST_F(AsmNodeTest, direct_clock_source_reaches_wrapped_events) {
    AssignMeta m = meta_of(reg);
    UpdateEventIdent inner = *m.cur_ue;
    m.cur_ue = arena.make_ue_add_dis(bit("c"), std::nullopt, inner);
    NcpIdent a = arena.make_asm_node_many("a", {m});
    arena.set_asm_node_clk_src_direct(a, clk);
    EXPECT_EQ(arena.get_ue_common(*m.cur_ue).clk_src, clk);
    EXPECT_EQ(arena.get_ue_common(inner).clk_src, clk);
}

TEST_F(AsmNodeTest, without_a_clock_node_no_clock_is_set) {
    NcpIdent a = arena.make_asm_node(false, "a", meta_of(reg));
    arena.init_asm_node_clk_src(a);
    EXPECT_FALSE(
        arena.get_ue_common(*node<AsmNode>(arena, a).asm_metas[0].cur_ue).clk_src.has_value());
}

TEST_F(AsmNodeTest, pending_pre_condition_is_applied_once) {
    AssignMeta m = meta_of(reg);
    HcpIdent c = bit("c");
    m.pending_pre_cond = c;
    NcpIdent a = arena.make_asm_node(false, "a", m);
    arena.set_asm_node_clk_src_direct(a, clk);
    arena.apply_asm_node_pending_pre_cond(a);
    const AssignMeta& applied = node<AsmNode>(arena, a).asm_metas[0];
    EXPECT_FALSE(applied.pending_pre_cond.has_value());
    ASSERT_EQ(applied.cur_ue->ue_type, UeType::Cond);
    EXPECT_EQ(ue<UeCond>(arena, *applied.cur_ue).conds[0], c);
    EXPECT_EQ(applied.first_ue, m.cur_ue);
}

}  // namespace
}  // namespace velmora::testing
