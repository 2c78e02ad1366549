// Node graphs of the loop and wait blocks: entries, exits, loop-backs, conditions, cycle counts.
#include "flow_fixture.h"
#include "model/flow_block/counter_loop.h"
#include "util/str_cat.h"

namespace velmora::testing {
namespace {

class LoopsTest : public FlowFixture {
protected:
    HcpIdent cond;
    HcpIdent r;

    void SetUp() override {
        FlowFixture::SetUp();
        cond = arena.make_wire(true, "go", 1);
        r = reg("r");
    }
    std::string name_of(const NcpIdent& n) { return std::string(n.ident_base.rel_view()); }
    std::vector<OptHcpIdent> conds_of(const NcpIdent& n) {
        std::vector<OptHcpIdent> out;
        arena.read_node(n, [&](const NcpNode& node) {
            for (const auto& [d, c] : node.get_node_triggers().depend_nodes)
                out.push_back(arena.ident_of(c));
        });
        return out;
    }
    /// A loop around a seq of `steps` assignments.
    template <class Make>
    FlowBlockIdent loop_around_seq(Make make, int steps) {
        FlowBlockIdent loop = make();
        arena.initialize_flow_block(loop);
        seq_of("body", r, steps);
        close(loop);
        return loop;
    }
    /// A loop around an inner cwhile (which may end in the cycle it starts).
    template <class Make>
    FlowBlockIdent loop_around_cwhile(Make make) {
        FlowBlockIdent loop = make();
        arena.initialize_flow_block(loop);
        FlowBlockIdent inner = arena.make_flow_block_cwhile("inner", cond, std::nullopt);
        arena.initialize_flow_block(inner);
        seq_of("inner_body", r, 1);
        close(inner);
        close(loop);
        return loop;
    }
    FlowBlockIdent body_of(const FlowBlockIdent& loop) {
        return arena.read_block(loop, [](const FlowBlock& b) { return b.get_base().sub_blocks_i; })
            .front();
    }
};

TEST_F(LoopsTest, CwhileTestsCombinationallyAndExitsOnTheNegatedCondition) {
    begin_flow();
    FlowBlockIdent w =
        loop_around_seq([&] { return arena.make_flow_block_cwhile("w", cond, std::nullopt); }, 2);
    end_flow_and_build();
    const uint64_t id = w.global_id();
    NodeWrap wrap = wrap_of(w);
    ASSERT_EQ(wrap.entry_nodes.size(), 1u);
    NcpIdent test = wrap.entry_nodes[0];
    EXPECT_EQ(test.node_type, NodeType::Pseudo);
    EXPECT_EQ(name_of(test), cat("cwhile_cond_", id));
    EXPECT_EQ(name_of(wrap.get_exit_node()), cat("cwhile_exit_", id));
    EXPECT_EQ(wrap.cycle, IN_CONSIST_CYCLE_USED);
    EXPECT_TRUE(wrap.may_finish_at_once);
    // The test fires on the parent's trigger and, with no loop-back state, on the body's end.
    NodeWrap body = wrap_of(body_of(w));
    std::vector<NcpIdent> test_deps = depends_of(test);
    EXPECT_NE(std::find(test_deps.begin(), test_deps.end(), body.get_exit_node()), test_deps.end());
    // The body starts on the test under the condition; the loop ends on it under its negation.
    EXPECT_EQ(depends_of(body.entry_nodes[0]), std::vector<NcpIdent>{test});
    EXPECT_EQ(conds_of(body.entry_nodes[0]), std::vector<OptHcpIdent>{cond});
    std::vector<OptHcpIdent> exit_conds = conds_of(wrap.get_exit_node());
    ASSERT_EQ(exit_conds.size(), 1u);
    EXPECT_EQ(exit_conds[0]->rel_name(), cat("cwhile_not_cond_", id));
}

TEST_F(LoopsTest, SwhileTestsInAStateOfItsOwn) {
    begin_flow();
    FlowBlockIdent w =
        loop_around_seq([&] { return arena.make_flow_block_swhile("w", cond, std::nullopt); }, 1);
    end_flow_and_build();
    NodeWrap wrap = wrap_of(w);
    EXPECT_EQ(wrap.entry_nodes[0].node_type, NodeType::State);
    EXPECT_EQ(name_of(wrap.entry_nodes[0]), cat("swhile_cond_", w.global_id()));
    EXPECT_FALSE(wrap.may_finish_at_once);
}

TEST_F(LoopsTest, DoWhileEntersThroughItsBodyAndLoopsBackUnderTheCondition) {
    begin_flow();
    FlowBlockIdent w =
        loop_around_seq([&] { return arena.make_flow_block_do_while("w", cond, std::nullopt); }, 2);
    end_flow_and_build();
    NodeWrap wrap = wrap_of(w);
    NodeWrap body = wrap_of(body_of(w));
    EXPECT_EQ(wrap.entry_nodes, body.entry_nodes);
    EXPECT_EQ(name_of(wrap.get_exit_node()), cat("dowhile_exit_", w.global_id()));
    EXPECT_FALSE(wrap.may_finish_at_once);
    // The first entry depends on the loop-back (under `cond`) and on the start pulse.
    std::vector<NcpIdent> deps = depends_of(body.entry_nodes[0]);
    EXPECT_NE(std::find(deps.begin(), deps.end(), body.get_exit_node()), deps.end());
}

TEST_F(LoopsTest, CounterLoopCountsPassesInItsCounterNode) {
    begin_flow();
    FlowBlockIdent c =
        loop_around_seq([&] { return arena.make_flow_block_counter_loop("c", 4); }, 3);
    end_flow_and_build();
    const uint64_t id = c.global_id();
    NodeWrap wrap = wrap_of(c);
    EXPECT_EQ(name_of(wrap.entry_nodes[0]), cat("cloop_loop_", id));
    EXPECT_EQ(name_of(wrap.get_exit_node()), cat("cloop_exit_", id));
    EXPECT_EQ(wrap.cycle, 12);  // 4 passes of 3 cycles
    std::vector<NcpIdent> created = created_of(c);
    ASSERT_FALSE(created.empty());
    EXPECT_EQ(name_of(created[0]), cat("cloop_cnt_", id));
    HcpIdent counter =
        *arena.read_block(c, [](const FlowBlock& b) { return b.get_loop_id_expr_i(); });
    EXPECT_EQ(counter.hw_type, HwComponentType::CntReg);
    EXPECT_EQ(counter.rel_name(), cat("cloop_cnt_", id, "_CNT"));
}

TEST_F(LoopsTest, CounterLoopBeforeItsBuildHasNoCounter) {
    FlowBlockIdent c = arena.make_flow_block_counter_loop("c", 2);
    EXPECT_THROW(arena.read_block(c, [](const FlowBlock& b) { return b.get_loop_id_expr_i(); }),
                 InternalError);
    EXPECT_THROW(arena.make_flow_block_counter_loop("bad", 0), InternalError);
}

struct RepeatCase {
    int32_t passes, body, gap, expected;
};
class RepeatedCyclesTest : public ::testing::TestWithParam<RepeatCase> {};
TEST_P(RepeatedCyclesTest, AreComputedWithoutOverflow) {
    const RepeatCase c = GetParam();
    EXPECT_EQ(repeated_cycles(c.passes, c.body, c.gap), c.expected);
}
INSTANTIATE_TEST_SUITE_P(
    Counts, RepeatedCyclesTest,
    ::testing::Values(RepeatCase{4, 3, 0, 12}, RepeatCase{1, 5, 1, 5}, RepeatCase{3, 2, 1, 8},
                      RepeatCase{2, IN_CONSIST_CYCLE_USED, 0, IN_CONSIST_CYCLE_USED},
                      RepeatCase{65536, 65536, 0, IN_CONSIST_CYCLE_USED},
                      RepeatCase{2147483647, 1, 0, 2147483647},
                      RepeatCase{2147483647, 1, 1, IN_CONSIST_CYCLE_USED}));

struct LoopBackCase {
    const char* prefix;
    FlowBlockIdent (*make)(ModelArena&, const HcpIdent&);
};
class LoopBackTest : public LoopsTest, public ::testing::WithParamInterface<LoopBackCase> {};

TEST_P(LoopBackTest, ABodyThatMayEndAtOnceReentersThroughAState) {
    begin_flow();
    FlowBlockIdent loop = loop_around_cwhile([&] { return GetParam().make(arena, cond); });
    end_flow_and_build();
    std::string back_name = cat(GetParam().prefix, "_back_", loop.global_id());
    std::vector<NcpIdent> created = created_of(loop);
    auto back = std::find_if(created.begin(), created.end(),
                             [&](const NcpIdent& n) { return name_of(n) == back_name; });
    ASSERT_NE(back, created.end());
    EXPECT_EQ(back->node_type, NodeType::State);
    // The state follows the body's end; nothing re-enters the body from the end directly.
    NodeWrap body = wrap_of(body_of(loop));
    EXPECT_EQ(depends_of(*back), std::vector<NcpIdent>{body.get_exit_node()});
    for (const NcpIdent& entry : body.entry_nodes) {
        std::vector<NcpIdent> deps = depends_of(entry);
        EXPECT_EQ(std::find(deps.begin(), deps.end(), body.get_exit_node()), deps.end());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, LoopBackTest,
    ::testing::Values(LoopBackCase{"cwhile",
                                   [](ModelArena& a, const HcpIdent& c) {
                                       return a.make_flow_block_cwhile("w", c, std::nullopt);
                                   }},
                      LoopBackCase{"dowhile",
                                   [](ModelArena& a, const HcpIdent& c) {
                                       return a.make_flow_block_do_while("w", c, std::nullopt);
                                   }},
                      LoopBackCase{"cloop", [](ModelArena& a, const HcpIdent&) {
                                       return a.make_flow_block_counter_loop("w", 3);
                                   }}));

TEST_F(LoopsTest, WaitsAreOneStateHoldingNode) {
    begin_flow();
    FlowBlockIdent s = open_seq("s");
    FlowBlockIdent cw = arena.make_flow_block_scwait("cw", cond, std::nullopt);
    arena.initialize_flow_block(cw);
    close(cw);
    FlowBlockIdent yw = arena.make_flow_block_sywait("yw", 3);
    arena.initialize_flow_block(yw);
    close(yw);
    close(s);
    end_flow_and_build();
    NodeWrap cwrap = wrap_of(cw);
    EXPECT_EQ(cwrap.entry_nodes[0].node_type, NodeType::WaitCond);
    EXPECT_EQ(name_of(cwrap.entry_nodes[0]), cat("scwait_", cw.global_id()));
    EXPECT_EQ(cwrap.get_exit_node(), cwrap.entry_nodes[0]);
    EXPECT_EQ(cwrap.cycle, IN_CONSIST_CYCLE_USED);
    NodeWrap ywrap = wrap_of(yw);
    EXPECT_EQ(ywrap.entry_nodes[0].node_type, NodeType::WaitCycle);
    EXPECT_EQ(name_of(ywrap.entry_nodes[0]), cat("sywait_", yw.global_id()));
    EXPECT_EQ(ywrap.cycle, 3);
    EXPECT_EQ(wrap_of(s).cycle, IN_CONSIST_CYCLE_USED);
}

}  // namespace
}  // namespace velmora::testing
