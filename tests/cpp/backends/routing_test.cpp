// Routing signals across module boundaries through IoWire ports.
#include "backends/common/dfs_module_iter.h"
#include "backends/common/io_wire_route.h"
#include "backends/common/module_path.h"
#include "routing_fixture.h"

namespace velmora::testing {
namespace {

class RoutingTest : public RoutingFixture {};

TEST_F(RoutingTest, WalkIsPreOrderWithSubModulesInOrder) {
    ModuleIdent t = open("t");
    ModuleIdent a = open("a");
    ModuleIdent a1 = open("a1");
    close(a1);
    ModuleIdent a2 = open("a2");
    close(a2);
    close(a);
    ModuleIdent b = open("b");
    close(b);
    close(t);
    std::vector<uint64_t> order;
    for (const ModuleIdent& m : collect_modules_dfs(arena, t)) order.push_back(m.global_id());
    EXPECT_EQ(order, (std::vector<uint64_t>{t.global_id(), a.global_id(), a1.global_id(),
                                            a2.global_id(), b.global_id()}));
}

TEST_F(RoutingTest, PathsToTopAndToTheCommonAncestor) {
    ModuleIdent t = open("t");
    ModuleIdent a = open("a");
    ModuleIdent a1 = open("a1");
    HcpIdent x = arena.make_reg(true, "x", 1);
    close(a1);
    close(a);
    ModuleIdent b = open("b");
    close(b);
    close(t);
    auto ids = [](const ModulePath& p) {
        std::vector<uint64_t> out;
        for (const ModuleIdent& m : p) out.push_back(m.global_id());
        return out;
    };
    EXPECT_EQ(ids(find_module_path_to_top_from_hcp(arena, x)),
              (std::vector<uint64_t>{a1.global_id(), a.global_id(), t.global_id()}));
    auto [up, down] = find_common_ancestor_module_paths(arena, a1, b);
    EXPECT_EQ(ids(up), (std::vector<uint64_t>{a1.global_id(), a.global_id(), t.global_id()}));
    EXPECT_EQ(ids(down), (std::vector<uint64_t>{b.global_id(), t.global_id()}));
    auto [same_up, same_down] = find_common_ancestor_module_paths(arena, a, a);
    EXPECT_EQ(same_up.size(), 1u);
    EXPECT_EQ(same_down.size(), 1u);
}

TEST_F(RoutingTest, TreeErrorsNameTheModules) {
    ModuleIdent t1 = open("t1");
    close(t1);
    ModuleIdent t2 = open("t2");
    close(t2);
    EXPECT_EQ(panic_message([&] { find_common_ancestor_module_paths(arena, t1, t2); }),
              "find_common_ancestor_module_paths: modules \"" + N(t1) + "\" (id " +
                  std::to_string(t1.global_id()) + ") and \"" + N(t2) + "\" (id " +
                  std::to_string(t2.global_id()) +
                  ") share no common ancestor — they are in different module trees");
    EXPECT_EQ(panic_message([&] { arena.get_parent_module_ident(t1); }),
              "get_parent_module_ident: module \"" + N(t1) + "\" (id " +
                  std::to_string(t1.global_id()) +
                  ") is a top module and has no parent — module tree / depth_level is "
                  "inconsistent");
    EXPECT_EQ(panic_message([&] { route_and_remap_io_model(arena); }),
              "route_and_remap_io_model: no top module set");
    EXPECT_EQ(panic_message([&] { route_glob_io_model(arena); }),
              "route_glob_io_model: no top module set");
}

TEST_F(RoutingTest, SiblingReadMakesOneOutputAndOneInputPort) {
    ModuleIdent t = open("t");
    ModuleIdent a = open("a");
    HcpIdent x = arena.make_reg(true, "x", 8);
    close(a);
    ModuleIdent b = open("b");
    HcpIdent y = arena.make_wire(true, "y", 8);
    close(b);
    close(t);
    assign(y, x, ClockMode::ClkFree);
    arena.set_top_module(t);
    route_and_remap_io_model(arena);

    EXPECT_TRUE(io_wires(t).empty());
    ASSERT_EQ(io_wires(a).size(), 1u);
    ASSERT_EQ(io_wires(b).size(), 1u);
    const IoWire& out = io(io_wires(a)[0]);
    const IoWire& in = io(io_wires(b)[0]);
    EXPECT_EQ(out.get_rel_name(), "IO_OUT_x");
    EXPECT_FALSE(out.is_input);
    EXPECT_EQ(gid(out.actual_src_signal_i), gid(x));
    EXPECT_EQ(gid(out.agent_src_signal_i), gid(x));
    EXPECT_EQ(gid(only_src(out.ident)), gid(x));
    EXPECT_EQ(in.get_rel_name(), "IO_IN_x");
    EXPECT_TRUE(in.is_input);
    EXPECT_EQ(gid(in.actual_src_signal_i), gid(x));
    EXPECT_EQ(gid(in.agent_src_signal_i), gid(out.ident));
    EXPECT_EQ(in.bit_width, 8);
    EXPECT_EQ(gid(only_src(y)), gid(in.ident));
}

TEST_F(RoutingTest, ReadTwoLevelsDownChainsInputPortsByAgent) {
    ModuleIdent t = open("t");
    ModuleIdent a = open("a");
    HcpIdent x = arena.make_reg(true, "x", 4);
    close(a);
    ModuleIdent b = open("b");
    ModuleIdent b1 = open("b1");
    HcpIdent y = arena.make_wire(true, "y", 4);
    close(b1);
    close(b);
    close(t);
    assign(y, x, ClockMode::ClkFree);
    arena.set_top_module(t);
    route_and_remap_io_model(arena);

    ASSERT_EQ(io_wires(a).size(), 1u);
    ASSERT_EQ(io_wires(b).size(), 1u);
    ASSERT_EQ(io_wires(b1).size(), 1u);
    EXPECT_TRUE(io_wires(t).empty());
    const IoWire& in_b = io(io_wires(b)[0]);
    const IoWire& in_b1 = io(io_wires(b1)[0]);
    EXPECT_EQ(gid(in_b.agent_src_signal_i), gid(io_wires(a)[0]));
    EXPECT_EQ(gid(in_b1.agent_src_signal_i), gid(in_b.ident));
    EXPECT_EQ(gid(in_b1.actual_src_signal_i), gid(x));
    EXPECT_EQ(gid(only_src(y)), gid(in_b1.ident));
}

TEST_F(RoutingTest, ReadersInOneSubtreeShareThePortsAndASecondPassAddsNone) {
    ModuleIdent t = open("t");
    ModuleIdent a = open("a");
    HcpIdent x = arena.make_reg(true, "x", 2);
    close(a);
    ModuleIdent b = open("b");
    ModuleIdent b1 = open("b1");
    HcpIdent y1 = arena.make_wire(true, "y1", 2);
    close(b1);
    ModuleIdent b2 = open("b2");
    HcpIdent y2 = arena.make_wire(true, "y2", 2);
    close(b2);
    close(b);
    close(t);
    assign(y1, x, ClockMode::ClkFree);
    assign(y2, x, ClockMode::ClkFree);
    arena.set_top_module(t);
    route_and_remap_io_model(arena);

    EXPECT_EQ(io_wires(a).size(), 1u);
    ASSERT_EQ(io_wires(b).size(), 1u);
    EXPECT_EQ(io_wires(b1).size(), 1u);
    EXPECT_EQ(io_wires(b2).size(), 1u);
    EXPECT_EQ(gid(io(io_wires(b1)[0]).agent_src_signal_i), gid(io_wires(b)[0]));
    EXPECT_EQ(gid(io(io_wires(b2)[0]).agent_src_signal_i), gid(io_wires(b)[0]));
    EXPECT_EQ(find_reusable_io_wire(arena, b, x, true)->global_id(), io_wires(b)[0].global_id());
    EXPECT_FALSE(find_reusable_io_wire(arena, b, x, false).has_value());

    size_t before = arena.group<IoWire>().size();
    route_and_remap_io_model(arena);
    EXPECT_EQ(arena.group<IoWire>().size(), before);
    EXPECT_EQ(gid(only_src(y1)), gid(io_wires(b1)[0]));
    EXPECT_EQ(gid(only_src(y2)), gid(io_wires(b2)[0]));
}

TEST_F(RoutingTest, ParentSignalReadByChildNeedsOnlyAnInputPort) {
    ModuleIdent t = open("t");
    HcpIdent p = arena.make_reg(true, "p", 3);
    ModuleIdent c = open("c");
    HcpIdent q = arena.make_wire(true, "q", 3);
    close(c);
    close(t);
    assign(q, p, ClockMode::ClkFree);
    arena.set_top_module(t);
    route_and_remap_io_model(arena);

    EXPECT_TRUE(io_wires(t).empty());
    ASSERT_EQ(io_wires(c).size(), 1u);
    const IoWire& in = io(io_wires(c)[0]);
    EXPECT_TRUE(in.is_input);
    EXPECT_EQ(gid(in.agent_src_signal_i), gid(p));
    EXPECT_EQ(gid(only_src(q)), gid(in.ident));
}

// An output port one level above the signal's module reads its agent (the port net of the module
// below), not the routed signal, which is not visible there; reuse still matches the routed one.
TEST_F(RoutingTest, OutputPortReadsItsAgentSource) {
    ModuleIdent t = open("t");
    HcpIdent r = arena.make_wire(true, "r", 8);
    ModuleIdent a = open("a");
    ModuleIdent a1 = open("a1");
    HcpIdent x = arena.make_reg(true, "x", 8);
    close(a1);
    close(a);
    close(t);
    assign(r, x, ClockMode::ClkFree);
    arena.set_top_module(t);
    route_and_remap_io_model(arena);

    ASSERT_EQ(io_wires(a1).size(), 1u);
    ASSERT_EQ(io_wires(a).size(), 1u);
    EXPECT_TRUE(io_wires(t).empty());
    const IoWire& w0 = io(io_wires(a1)[0]);
    const IoWire& w1 = io(io_wires(a)[0]);
    EXPECT_EQ(gid(only_src(w0.ident)), gid(x));
    EXPECT_EQ(gid(w1.agent_src_signal_i), gid(w0.ident));
    EXPECT_EQ(gid(w1.actual_src_signal_i), gid(x));
    EXPECT_EQ(gid(only_src(w1.ident)), gid(w0.ident));
    EXPECT_EQ(find_reusable_io_wire(arena, a, x, false)->global_id(), w1.ident.global_id());
    EXPECT_EQ(gid(only_src(r)), gid(w1.ident));
}

// The reader's branch is walked before the signal's branch: the ports made for it must not be
// routed again when their own modules are reached.
TEST_F(RoutingTest, PortsMadeForAnEarlierReaderAreNotRoutedAgain) {
    ModuleIdent t = open("t");
    ModuleIdent b = open("b");
    HcpIdent y = arena.make_wire(true, "y", 8);
    close(b);
    ModuleIdent a = open("a");
    ModuleIdent a1 = open("a1");
    HcpIdent x = arena.make_reg(true, "x", 8);
    close(a1);
    close(a);
    close(t);
    assign(y, x, ClockMode::ClkFree);
    arena.set_top_module(t);
    route_and_remap_io_model(arena);
    route_and_remap_io_model(arena);
    EXPECT_EQ(io_wires(a1).size(), 1u);
    EXPECT_EQ(io_wires(a).size(), 1u);
    EXPECT_EQ(io_wires(b).size(), 1u);
    EXPECT_TRUE(io_wires(t).empty());
    EXPECT_EQ(arena.group<IoWire>().size(), 3u);
}

TEST_F(RoutingTest, ClockSourcesAreRoutedAndRemappedInsideWrappingEvents) {
    ModuleIdent t = open("t");
    HcpIdent clk = arena.make_wire(true, "clk", 1);
    HcpIdent en = arena.make_wire(true, "en", 1);
    ModuleIdent c = open("c");
    HcpIdent v = arena.make_val(true, "v", 4, 3);
    HcpIdent r = arena.make_reg(true, "r", 4);
    close(c);
    close(t);
    UpdateEventIdent inner = basic(r, v, ClockMode::PosEdge, clk);
    UpdateEventIdent wrap = cond_event({{en, inner}}, ClockMode::PosEdge, clk);
    push_pool(r, wrap);
    arena.set_top_module(t);
    route_and_remap_io_model(arena);

    ASSERT_EQ(io_wires(c).size(), 2u);
    HcpIdent clk_in = io_wires(c)[0];
    HcpIdent en_in = io_wires(c)[1];
    EXPECT_EQ(io(clk_in).get_rel_name(), "IO_IN_clk");
    EXPECT_EQ(io(en_in).get_rel_name(), "IO_IN_en");
    EXPECT_EQ(gid(clk_of(wrap)), gid(clk_in));
    EXPECT_EQ(gid(clk_of(inner)), gid(clk_in));
    EXPECT_EQ(gid(arena.ident_of(arena.group<UeCond>().get(wrap.handle()).conds[0])), gid(en_in));
}

TEST_F(RoutingTest, InputMarkThreeLevelsDownMakesThreeAnonymousInputs) {
    ModuleIdent t = open("t");
    ModuleIdent l1 = open("l1");
    ModuleIdent l2 = open("l2");
    HcpIdent x = arena.make_wire(true, "x", 6);
    close(l2);
    close(l1);
    close(t);
    arena.mark_as_io(x, true, "din");
    arena.set_top_module(t);
    route_glob_io_model(arena);

    ASSERT_EQ(io_wires(t).size(), 1u);
    ASSERT_EQ(io_wires(l1).size(), 1u);
    ASSERT_EQ(io_wires(l2).size(), 1u);
    const IoWire& w_t = io(io_wires(t)[0]);
    const IoWire& w_1 = io(io_wires(l1)[0]);
    const IoWire& w_2 = io(io_wires(l2)[0]);
    for (const IoWire* w : {&w_t, &w_1, &w_2}) {
        EXPECT_EQ(w->get_rel_name(), "IO_IN_anon");
        EXPECT_TRUE(w->is_input);
        EXPECT_EQ(w->bit_width, 6);
        EXPECT_FALSE(w->actual_src_signal_i.has_value());
    }
    EXPECT_EQ(w_t.port_name, std::optional<std::string>("din"));
    EXPECT_FALSE(w_1.port_name.has_value());
    EXPECT_FALSE(w_t.agent_src_signal_i.has_value());
    EXPECT_EQ(gid(w_1.agent_src_signal_i), gid(w_t.ident));
    EXPECT_EQ(gid(w_2.agent_src_signal_i), gid(w_1.ident));
    // The marked component takes its value from the port in its own module.
    ASSERT_EQ(pool(x).size(), 1u);
    const UeBasic& bound = arena.group<UeBasic>().get(pool(x)[0].handle());
    EXPECT_EQ(gid(arena.ident_of(bound.src)), gid(w_2.ident));
    EXPECT_EQ(bound.des_slice, (Slice{0, 6}));
    EXPECT_EQ(bound.common.clk_mode, ClockMode::ClkFree);
}

TEST_F(RoutingTest, OutputMarkChainsOutputsUpToTheTopPort) {
    ModuleIdent t = open("t");
    ModuleIdent l1 = open("l1");
    ModuleIdent l2 = open("l2");
    HcpIdent x = arena.make_reg(true, "x", 5);
    close(l2);
    close(l1);
    HcpIdent top_bit = arena.make_reg(true, "done", 1);
    close(t);
    arena.mark_as_io(x, false, "q");
    arena.mark_as_io(top_bit, false, "done");
    arena.set_top_module(t);
    route_glob_io_model(arena);

    ASSERT_EQ(io_wires(l2).size(), 1u);
    ASSERT_EQ(io_wires(l1).size(), 1u);
    ASSERT_EQ(io_wires(t).size(), 2u);
    const IoWire& w_2 = io(io_wires(l2)[0]);
    const IoWire& w_1 = io(io_wires(l1)[0]);
    // Marked components are collected in walk order: the top module's first.
    const IoWire& done = io(io_wires(t)[0]);
    const IoWire& w_t = io(io_wires(t)[1]);
    for (const IoWire* w : {&w_2, &w_1, &w_t}) {
        EXPECT_EQ(w->get_rel_name(), "IO_OUT_x");
        EXPECT_FALSE(w->is_input);
        EXPECT_EQ(gid(w->actual_src_signal_i), gid(x));
        EXPECT_EQ(w->bit_width, 5);
    }
    EXPECT_EQ(gid(w_2.agent_src_signal_i), gid(x));
    EXPECT_EQ(gid(w_1.agent_src_signal_i), gid(w_2.ident));
    EXPECT_EQ(gid(w_t.agent_src_signal_i), gid(w_1.ident));
    EXPECT_EQ(gid(only_src(w_2.ident)), gid(x));
    EXPECT_EQ(gid(only_src(w_1.ident)), gid(w_2.ident));
    EXPECT_EQ(gid(only_src(w_t.ident)), gid(w_1.ident));
    EXPECT_EQ(w_t.port_name, std::optional<std::string>("q"));
    EXPECT_FALSE(w_1.port_name.has_value());
    EXPECT_EQ(done.port_name, std::optional<std::string>("done"));
    EXPECT_EQ(gid(only_src(done.ident)), gid(top_bit));
}

TEST_F(RoutingTest, RoutingRefusals) {
    ModuleIdent t = open("t");
    HcpIdent plain = arena.make_reg(true, "plain", 1);
    HcpIdent bare = arena.make_io_wire(false, "bare", false, 1, std::nullopt, std::nullopt);
    close(t);
    EXPECT_EQ(panic_message([&] { route_glob_io_hw_comp(arena, plain); }),
              "route_glob_io_hw_comp: expected an IO-marked component");
    EXPECT_EQ(panic_message([&] { find_reusable_io_wire(arena, t, plain, false); }),
              "IoWire: actual_src_signal_i is None");
    EXPECT_FALSE(find_reusable_io_wire(arena, t, plain, true).has_value());
    EXPECT_TRUE(arena.module_trace_stack().empty());
    (void)bare;
}

TEST_F(RoutingTest, NewPortsAreAttachedToTheirModuleAtOnce) {
    ModuleIdent t = open("t");
    HcpIdent s = arena.make_reg(true, "s", 1);
    ModuleIdent c = open("c");
    close(c);
    close(t);
    HcpIdent w = make_routed_io_wire(arena, c, "IO_IN_s", true, 1, s, s);
    EXPECT_EQ(w.parent_module.handle(), c.handle());
    ASSERT_EQ(io_wires(c).size(), 1u);
    EXPECT_EQ(io_wires(c)[0].global_id(), w.global_id());
    EXPECT_TRUE(arena.module_trace_stack().empty());
}

}  // namespace
}  // namespace velmora::testing
