#include "../model/module_lists.h"
#include "flow_fixture.h"
#include "util/str_cat.h"

namespace velmora::testing {
namespace {

using SeqTest = FlowFixture;

TEST_F(SeqTest, ThreeAssignmentsMakeThreeChainedStatesOfOneCycleEach) {
    HcpIdent r = reg("r");
    begin_flow();
    FlowBlockIdent s = seq_of("s", r, 3);
    end_flow_and_build();

    std::vector<NcpIdent> states = created_of(s);
    ASSERT_EQ(states.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(states[i].node_type, NodeType::State);
        EXPECT_EQ(states[i].ident_base.rel_view(), cat("seq_state_", s.global_id(), "_", i));
    }
    EXPECT_EQ(depends_of(states[0]), std::vector<NcpIdent>{start_node()});
    EXPECT_EQ(depends_of(states[1]), std::vector<NcpIdent>{states[0]});
    EXPECT_EQ(depends_of(states[2]), std::vector<NcpIdent>{states[1]});
    NodeWrap w = wrap_of(s);
    EXPECT_EQ(w.cycle, 3);
    EXPECT_EQ(w.entry_nodes, std::vector<NcpIdent>{states[0]});
    EXPECT_EQ(w.get_exit_node(), states[2]);
}

TEST_F(SeqTest, InternalStartMakesTheCycleCountUnfixed) {
    HcpIdent r = reg("r");
    HcpIdent go = arena.make_wire(true, "go", 1);
    begin_flow();
    FlowBlockIdent s = seq_of("s", r, 2);
    arena.with_block(s, [&](FlowBlock& b) { b.get_base_mut().start_signals.push_back(go); });
    end_flow_and_build();

    EXPECT_EQ(wrap_of(s).cycle, IN_CONSIST_CYCLE_USED);
    std::vector<NcpIdent> states = created_of(s);
    std::vector<NcpIdent> deps = depends_of(states[0]);
    ASSERT_EQ(deps.size(), 2u);  // the internal start, then the design's start pulse
    EXPECT_EQ(deps[0].node_type, NodeType::Opr);
    EXPECT_EQ(deps[0].ident_base.rel_view(), cat("flow_start_", s.global_id()));
    EXPECT_EQ(deps[1], start_node());
}

TEST_F(SeqTest, NestedSeqIsOneElementChainedBetweenSteps) {
    HcpIdent r = reg("r");
    begin_flow();
    FlowBlockIdent outer = open_seq("outer");
    arena.gen_basic_assign(r, val(8, 1), std::nullopt, std::nullopt);
    FlowBlockIdent inner = seq_of("inner", r, 2);
    arena.gen_basic_assign(r, val(8, 9), std::nullopt, std::nullopt);
    close(outer);
    end_flow_and_build();

    std::vector<NcpIdent> outer_states = created_of(outer);
    std::vector<NcpIdent> inner_states = created_of(inner);
    ASSERT_EQ(outer_states.size(), 2u);
    ASSERT_EQ(inner_states.size(), 2u);
    EXPECT_EQ(depends_of(inner_states[0]), std::vector<NcpIdent>{outer_states[0]});
    EXPECT_EQ(depends_of(outer_states[1]), std::vector<NcpIdent>{inner_states[1]});
    EXPECT_EQ(wrap_of(outer).cycle, 4);
}

TEST_F(SeqTest, TwoTopLevelSequencesStartOnTheSamePulse) {
    HcpIdent r = reg("r");
    HcpIdent q = reg("q");
    begin_flow();
    FlowBlockIdent a = seq_of("a", r, 1);
    FlowBlockIdent b = seq_of("b", q, 2);
    end_flow_and_build();

    EXPECT_EQ(depends_of(created_of(a)[0]), std::vector<NcpIdent>{start_node()});
    EXPECT_EQ(depends_of(created_of(b)[0]), std::vector<NcpIdent>{start_node()});
}

TEST_F(SeqTest, ComponentsMadeDuringTheBuildLandInTheModuleThatBuildsThem) {
    ModuleIdent sub = arena.mk_module("sub");
    arena.track_module_at_com_init(sub);
    HcpIdent r = reg("r");
    arena.untrack_module_at_com_init(sub);
    arena.untrack_module_at_com_init(top);
    arena.track_module_at_flow_init(sub);
    seq_of("s", r, 2);
    arena.finalize_flow_procedure();
    arena.untrack_module_at_flow_init(sub);
    arena.set_top_module(top);
    arena.build_flow();

    const Module& sub_m = arena.get_module(sub);
    const Module& top_m = arena.get_module(top);
    EXPECT_EQ(sub_m.hcp_list(HwComponentType::StateReg, false).size(), 2u);
    // The top module holds only the start register.
    EXPECT_EQ(top_m.hcp_list(HwComponentType::StateReg, false).size(), 1u);
    for (const HcpIdent& sr : testing::hcp_idents(arena, sub_m, HwComponentType::StateReg, false)) {
        EXPECT_EQ(sr.parent_module, sub_m.ident);
    }
    EXPECT_TRUE(arena.pending_hcps().empty());
}

TEST_F(SeqTest, FinalizingABlockThatIsNotOpenIsAnInternalError) {
    HcpIdent r = reg("r");
    begin_flow();
    FlowBlockIdent open = open_seq("open");
    arena.gen_basic_assign(r, val(8, 1), std::nullopt, std::nullopt);
    FlowBlockIdent stray = arena.make_flow_block_seq("stray");
    try {
        arena.finalize_flow_block(stray);
        FAIL();
    } catch (const InternalError& e) {
        EXPECT_STREQ(e.what(), "finalize_flow_block: ident mismatch — wrong block finalized");
    }
    (void)open;
}

TEST_F(SeqTest, BuildFlowTwiceFails) {
    begin_flow();
    end_flow_and_build();
    try {
        arena.build_flow();
        FAIL();
    } catch (const InternalError& e) {
        EXPECT_STREQ(e.what(), "top module start node must not be set before build_flow");
    }
}

TEST_F(SeqTest, EmptyDesignStillGetsClockResetAndStartPulse) {
    begin_flow();
    end_flow_and_build();
    const Module& m = arena.get_module(top);
    ASSERT_TRUE(m.start_node.has_value());
    const auto wires = testing::hcp_idents(arena, m, HwComponentType::Wire, false);
    ASSERT_EQ(wires.size(), 2u);
    EXPECT_EQ(wires[0].rel_name(), "clk");
    EXPECT_EQ(wires[1].rel_name(), "mrst");
    EXPECT_TRUE(arena.read_hcp(wires[0], [](const HcpBase& c) { return c.is_marked_as_io(); }));
    const auto srs = testing::hcp_idents(arena, m, HwComponentType::StateReg, false);
    ASSERT_EQ(srs.size(), 1u);
    EXPECT_EQ(srs[0].rel_name(), "start_ST");
}

}  // namespace
}  // namespace velmora::testing
