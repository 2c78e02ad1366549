#include <sstream>

#include "model/typed_access.h"
#include "model_test_support.h"

namespace velmora::testing {
namespace {

class NodeTriggersTest : public ModelTest {
protected:
    NcpIdent opr(std::string_view name) { return arena.make_opr_node(name, bit(name)); }
};

TEST_F(NodeTriggersTest, fill_ext_node_copies_external_triggers_but_not_depends) {
    NodeTriggers from;
    from.hold_node = opr("h");
    from.int_reset_node = opr("r");
    from.int_start_node = opr("s");
    from.mrst_node = opr("m");
    from.clk_node = opr("c");
    from.depend_nodes.emplace_back(opr("d"), std::nullopt);
    NcpIdent n = arena.make_state_node("n");
    NcpIdent own_start = opr("own_start");
    with_node_as<StateNode>(arena, n, [&](StateNode& s) {
        s.set_int_start_node(own_start);
        s.fill_ext_node(from, false);
        EXPECT_EQ(s.get_hold_node(), from.hold_node);
        EXPECT_EQ(s.get_int_reset_node(), from.int_reset_node);
        EXPECT_EQ(s.get_mrst_node(), from.mrst_node);
        EXPECT_EQ(s.get_clk_node(), from.clk_node);
        EXPECT_EQ(s.get_int_start_node(), own_start);  // flag clear: left unchanged
        EXPECT_TRUE(s.get_node_triggers().depend_nodes.empty());
        s.fill_ext_node(from, true);
        EXPECT_EQ(s.get_int_start_node(), from.int_start_node);
    });
}

TEST_F(NodeTriggersTest, to_trigger_sig_maps_every_trigger_node_to_its_exit) {
    HcpIdent cond = bit("cond");
    NcpIdent n = arena.make_state_node("n");
    NcpIdent h = opr("h"), r = opr("r"), s = opr("s"), m = opr("m"), c = opr("c");
    NcpIdent d0 = opr("d0"), d1 = opr("d1");
    with_node_as<StateNode>(arena, n, [&](StateNode& node) {
        node.set_hold_node(h);
        node.set_int_reset_node(r);
        node.set_int_start_node(s);
        node.set_mrst_node(m);
        node.set_clk_node(c);
        node.add_depend_node(d0, cond);
        node.add_depend_node(d1, std::nullopt);
        TriggerSig sig = node.to_trigger_sig(arena);
        EXPECT_EQ(name_of(arena.ident_of(*sig.hold_sig_i)), "h");
        EXPECT_EQ(name_of(arena.ident_of(*sig.int_reset_sig_i)), "r");
        EXPECT_EQ(name_of(arena.ident_of(*sig.int_start_sig_i)), "s");
        EXPECT_EQ(name_of(arena.ident_of(*sig.mrst_sig_i)), "m");
        EXPECT_EQ(name_of(arena.ident_of(*sig.clk_sig_i)), "c");
        ASSERT_EQ(sig.depend_sigs_i.size(), 2u);
        EXPECT_EQ(name_of(arena.ident_of(sig.depend_sigs_i[0].first)), "d0");
        EXPECT_EQ(sig.depend_sigs_i[0].second, cond);
        EXPECT_EQ(name_of(arena.ident_of(sig.depend_sigs_i[1].first)), "d1");
        EXPECT_FALSE(sig.depend_sigs_i[1].second.has_value());

        TriggerSig ctrl;
        node.init_ctrl_sigs(arena, ctrl);
        EXPECT_FALSE(ctrl.int_start_sig_i.has_value());  // int start has its own step
        node.init_int_start_sig(arena, ctrl);
        EXPECT_EQ(name_of(arena.ident_of(*ctrl.int_start_sig_i)), "s");
    });
}

TEST_F(NodeTriggersTest, own_exit_is_answered_by_the_node_while_it_is_taken_out) {
    NcpIdent n = arena.make_state_node("n");
    NcpIdent other = opr("other");
    arena.assign_ncp_node(n, true, false);
    HcpIdent exit = *node<StateNode>(arena, n).get_exit_opr();
    with_node_as<StateNode>(arena, n, [&](StateNode& s) {
        EXPECT_EQ(s.resolve_node_exit_opr(arena, n), exit);
        // The node is out of its slot: asking the arena for it is an internal error.
        EXPECT_EQ(panic_message([&] {
                      node_exit_of(arena, n);
                  }).rfind("ArenaHandle names a slot whose object is taken out", 0),
                  0u);
        EXPECT_EQ(name_of(*s.resolve_node_exit_opr(arena, other)), "other");
    });
}

TEST_F(NodeTriggersTest, same_base_with_another_node_type_is_not_self) {
    NcpIdent n = arena.make_state_node("n");
    NcpIdent o = opr("o");
    NcpIdent fake = o;
    fake.ident_base = n.ident_base;  // same base, but an Opr identity: read from the arena
    fake.ident_base.arena_handle = o.handle();
    arena.assign_ncp_node(n, true, false);
    with_node_as<StateNode>(arena, n, [&](StateNode& s) {
        EXPECT_EQ(name_of(*s.resolve_node_exit_opr(arena, fake)), "o");
    });
}

TEST_F(NodeTriggersTest, opr_node_has_no_triggers) {
    NcpIdent o = opr("o");
    with_node_as<OprNode>(arena, o, [&](OprNode& n) {
        const std::string msg = "OprNode has no triggers";
        EXPECT_EQ(panic_message([&] { n.get_node_triggers(); }), msg);
        EXPECT_EQ(panic_message([&] { n.set_hold_node(std::nullopt); }), msg);
        EXPECT_EQ(panic_message([&] { n.add_depend_node(o, std::nullopt); }), msg);
        EXPECT_EQ(panic_message([&] { n.fill_ext_node(NodeTriggers{}, true); }), msg);
        EXPECT_EQ(panic_message([&] { n.to_trigger_sig(arena); }), msg);
        TriggerSig sig;
        EXPECT_EQ(panic_message([&] { n.init_ctrl_sigs(arena, sig); }), msg);
    });
}

TEST_F(NodeTriggersTest, opr_node_answers) {
    HcpIdent sig = bit("x");
    NcpIdent o = arena.make_opr_node("o", sig);
    EXPECT_EQ(o.node_type, NodeType::Opr);
    const OprNode& n = node<OprNode>(arena, o);
    EXPECT_EQ(n.get_exit_opr(), sig);
    EXPECT_EQ(n.get_cycle_used(), 0);
    EXPECT_FALSE(n.is_state_full_node());
    EXPECT_EQ(n.get_clock_mode(arena), ClockMode::ClkFree);
    EXPECT_EQ(panic_message([&] { n.get_state_operating(); }),
              "get_state_operating: not implemented");
    EXPECT_EQ(panic_message([&] { arena.assign_ncp_node(o, false, true); }),
              "OprNode: assign() is not implemented");
    EXPECT_NO_THROW(arena.assign_ncp_node(o, true, false));
    EXPECT_EQ(panic_message([&] {
                  with_node_as<OprNode>(arena, o, [&](OprNode& x) { x.dry_assign(arena); });
              }),
              "dry_assign: not implemented");
}

TEST_F(NodeTriggersTest, md_ident_names_the_node_type_and_address) {
    const StateNode& n = node<StateNode>(arena, arena.make_state_node("n"));
    std::ostringstream addr;
    addr << static_cast<const void*>(&n);
    EXPECT_EQ(n.get_md_ident_val(), "STATE_NODE @ " + addr.str());
}

TEST_F(NodeTriggersTest, combining_optional_conditions) {
    HcpIdent a = bit("a");
    HcpIdent b = bit("b");
    EXPECT_FALSE(combine_optional_conds(arena, std::nullopt, std::nullopt, LogicOp::BitwiseAnd));
    EXPECT_EQ(combine_optional_conds(arena, a, std::nullopt, LogicOp::BitwiseAnd), a);
    EXPECT_EQ(combine_optional_conds(arena, std::nullopt, b, LogicOp::BitwiseOr), b);
    HcpIdent both = *combine_optional_conds(arena, a, b, LogicOp::BitwiseOr);
    EXPECT_EQ(name_of(both), "node_logic_expr");
    const Expression& e = hcp<Expression>(arena, both);
    EXPECT_EQ(e.op, LogicOp::BitwiseOr);
    EXPECT_EQ(e.a, a);
    EXPECT_EQ(*e.b, b);
    EXPECT_FALSE(e.ident.ident_base.is_user_com);
    EXPECT_EQ(panic_message([&] { combine_optional_conds(arena, a, b, LogicOp::BitwiseXor); }),
              "assertion failed: op == LogicOp::BitwiseAnd || op == LogicOp::BitwiseOr");
}

}  // namespace
}  // namespace velmora::testing
