// Node graph of the pipeline block: its entrance, wait state, never-firing exit and loop-back, the
// grant it starts on, the master ack it gives its arbiter, and what it takes from the arbiter.
#include "model/flow_block/pipeline.h"

#include <algorithm>

#include "flow_fixture.h"
#include "model/complex_hardware/arb.h"
#include "model/typed_access.h"
#include "util/str_cat.h"

namespace velmora::testing {
namespace {

class PipelineTest : public FlowFixture {
protected:
    CcpIdent arb;
    HcpIdent r;
    HcpIdent go;

    void SetUp() override {
        FlowFixture::SetUp();
        arb = arena.make_arb("a", ArbSamePriPolicy::AckOne);
        arena.arb_add_leaf(arb, 5);
        r = reg("r");
        go = bit("go");
    }
    std::string name_of(const NcpIdent& n) { return std::string(n.ident_base.rel_view()); }
    /// pip { seq of `steps` } at the top of the module.
    FlowBlockIdent pipeline(int steps, bool auto_req = false, bool auto_restart = false) {
        FlowBlockIdent p = arena.make_flow_block_pip("p", arb, 10, auto_req, auto_restart);
        arena.initialize_flow_block(p);
        seq_of("body", r, steps);
        close(p);
        return p;
    }
    NcpIdent created(const FlowBlockIdent& b, const std::string& name) {
        std::vector<NcpIdent> nodes = created_of(b);
        auto it = std::find_if(nodes.begin(), nodes.end(),
                               [&](const NcpIdent& n) { return name_of(n) == name; });
        if (it != nodes.end()) return *it;
        ADD_FAILURE() << "no node " << name;
        return NcpIdent{};
    }
    FlowBlockIdent body_of(const FlowBlockIdent& b) {
        return arena.read_block(b, [](const FlowBlock& f) { return f.get_base().sub_blocks_i; })
            .front();
    }
    const FlowBlockBase& base_of(const FlowBlockIdent& b) {
        return arena.read_block(
            b, [](const FlowBlock& f) -> const FlowBlockBase& { return f.get_base(); });
    }
    NodeTriggers triggers_of(const NcpIdent& n) {
        return arena.read_node(n, [](const NcpNode& node) { return node.get_node_triggers(); });
    }
    HcpIdent exit_of(const NcpIdent& n) {
        return *arena.read_node(n, [](const NcpNode& node) { return node.get_exit_opr(); });
    }
};

TEST_F(PipelineTest, EntranceStartsTheBodyOnAGrantAndWaitsOneCycleWithout) {
    begin_flow();
    FlowBlockIdent p = pipeline(3);
    end_flow_and_build();
    const uint64_t id = p.global_id();
    NodeWrap wrap = wrap_of(p);
    ASSERT_EQ(wrap.entry_nodes.size(), 1u);
    NcpIdent entrance = wrap.entry_nodes[0];
    EXPECT_EQ(entrance.node_type, NodeType::Pseudo);
    EXPECT_EQ(name_of(entrance), cat("pip_entrance_", id));
    EXPECT_EQ(wrap.cycle, IN_CONSIST_CYCLE_USED);
    EXPECT_FALSE(wrap.may_finish_at_once);

    // The body starts when some leaf is granted: its request and its acknowledge both high.
    NodeWrap body = wrap_of(body_of(p));
    EXPECT_EQ(depends_of(body.entry_nodes[0]), std::vector<NcpIdent>{entrance});
    HcpIdent granted = *depend_conds_of(body.entry_nodes[0])[0];
    EXPECT_EQ(granted.rel_name(), cat("pip_grant_", id));
    EXPECT_EQ(cond_text(granted), "((a_REQ0 & a_ACK0) | (a_REQ1 & a_ACK1))");

    // Otherwise the wait state takes one cycle and fires the entrance again.
    NcpIdent wait = created(p, cat("pip_wait4syn_", id));
    EXPECT_EQ(wait.node_type, NodeType::State);
    EXPECT_EQ(depends_of(wait), std::vector<NcpIdent>{entrance});
    HcpIdent no_grant = *depend_conds_of(wait)[0];
    EXPECT_EQ(no_grant.rel_name(), cat("pip_no_mreq_", id));
    EXPECT_EQ(cond_text(no_grant), "~" + cond_text(granted));

    // The entrance follows the body's end and the wait state, then the design's start pulse.
    EXPECT_EQ(depends_of(entrance),
              (std::vector<NcpIdent>{body.get_exit_node(), wait, start_node()}));

    // The arbiter grants only when the entrance fires.
    OptHcpIdent mack = read_ccp_as<Arb>(arena, arb, [](const Arb& a) { return a.master_ack; });
    EXPECT_EQ(mack, exit_of(entrance));
}

TEST_F(PipelineTest, NeverEnds) {
    begin_flow();
    FlowBlockIdent p = pipeline(1);
    end_flow_and_build();
    NcpIdent exit = wrap_of(p).get_exit_node();
    EXPECT_EQ(exit.node_type, NodeType::Opr);
    EXPECT_EQ(name_of(exit), cat("pip_dummy_exit_", p.global_id()));
    HcpIdent zero = exit_of(exit);
    EXPECT_EQ(zero.hw_type, HwComponentType::Val);
    EXPECT_EQ(zero.rel_name(), cat("pip_zero_", p.global_id()));
    EXPECT_EQ(arena.hcp_width(zero), 1);
    std::vector<NcpIdent> nodes = created_of(p);
    EXPECT_NE(std::find(nodes.begin(), nodes.end(), exit), nodes.end());
}

TEST_F(PipelineTest, BodyThatMayEndAtOnceReentersThroughAState) {
    begin_flow();
    FlowBlockIdent p = arena.make_flow_block_pip("p", arb, 10, false, false);
    arena.initialize_flow_block(p);
    FlowBlockIdent loop = arena.make_flow_block_cwhile("loop", go, std::nullopt);
    arena.initialize_flow_block(loop);
    seq_of("inner", r, 1);
    close(loop);
    close(p);
    end_flow_and_build();
    NcpIdent back = created(p, cat("pip_back_", p.global_id()));
    EXPECT_EQ(back.node_type, NodeType::State);
    NodeWrap body = wrap_of(loop);
    ASSERT_TRUE(body.may_finish_at_once);
    EXPECT_EQ(depends_of(back), std::vector<NcpIdent>{body.get_exit_node()});
    std::vector<NcpIdent> entrance_deps = depends_of(wrap_of(p).entry_nodes[0]);
    EXPECT_EQ(entrance_deps.front(), back);
    EXPECT_EQ(std::find(entrance_deps.begin(), entrance_deps.end(), body.get_exit_node()),
              entrance_deps.end());
}

struct InheritCase {
    bool hold, reset, auto_restart;
};
class PipelineInheritTest : public PipelineTest,
                            public ::testing::WithParamInterface<InheritCase> {};

TEST_P(PipelineInheritTest, TakesTheArbitersHoldAndResetAndRestartsOnResetWhenAsked) {
    const InheritCase c = GetParam();
    HcpIdent hold = bit("hold");
    HcpIdent rst = bit("rst");
    if (c.hold) arena.arb_set_hold(arb, hold, std::nullopt);
    if (c.reset) arena.arb_set_reset(arb, rst, std::nullopt);
    begin_flow();
    FlowBlockIdent p = pipeline(2, false, c.auto_restart);
    end_flow_and_build();
    const FlowBlockBase& base = base_of(p);
    auto holds = [&](const std::vector<HcpIdent>& sigs, const HcpIdent& s) {
        return std::find(sigs.begin(), sigs.end(), s) != sigs.end();
    };
    EXPECT_EQ(holds(base.hold_signals, hold), c.hold);
    EXPECT_EQ(holds(base.reset_signals, rst), c.reset);
    EXPECT_EQ(holds(base.start_signals, rst), c.reset && c.auto_restart);
    // The body inherits the hold and the reset, not the start.
    const FlowBlockBase& body = base_of(body_of(p));
    EXPECT_EQ(holds(body.hold_signals, hold), c.hold);
    EXPECT_EQ(holds(body.reset_signals, rst), c.reset);
    EXPECT_TRUE(body.start_signals.empty());

    NcpIdent entrance = wrap_of(p).entry_nodes[0];
    NcpIdent wait = created(p, cat("pip_wait4syn_", p.global_id()));
    EXPECT_EQ(triggers_of(entrance).hold_node.has_value(), c.hold);
    EXPECT_FALSE(triggers_of(wait).hold_node.has_value());  // an idle pipeline keeps offering
    EXPECT_EQ(triggers_of(wait).int_reset_node.has_value(), c.reset);
    std::vector<NcpIdent> deps = depends_of(entrance);
    bool restarts =
        base.triggers.int_start_node &&
        std::find(deps.begin(), deps.end(), *base.triggers.int_start_node) != deps.end();
    EXPECT_EQ(restarts, c.reset && c.auto_restart);
}

INSTANTIATE_TEST_SUITE_P(Settings, PipelineInheritTest,
                         ::testing::Values(InheritCase{false, false, true},
                                           InheritCase{true, false, false},
                                           InheritCase{false, true, false},
                                           InheritCase{true, true, true}),
                         [](const ::testing::TestParamInfo<InheritCase>& info) {
                             const InheritCase& c = info.param;
                             return cat(c.hold ? "Hold" : "NoHold", c.reset ? "Reset" : "NoReset",
                                        c.auto_restart ? "AutoRestart" : "");
                         });

TEST_F(PipelineTest, FactoryTakesALeafAndReservesTheMasterAck) {
    FlowBlockIdent p = arena.make_flow_block_pip("p", arb, 3, true, false);
    read_ccp_as<Arb>(arena, arb, [&](const Arb& a) {
        ASSERT_EQ(a.leaves.size(), 2u);
        EXPECT_EQ(a.leaves[1].priority, 3);
        EXPECT_EQ(a.leaves[1].req.hw_type, HwComponentType::Val);  // auto_req: Req-locked
        EXPECT_EQ(a.pipeline, p);
        EXPECT_TRUE(a.reserved_master_ack().has_value());
        EXPECT_FALSE(a.master_ack.has_value());  // set by the pipeline's build
    });
    // A second pipeline, or a master ack from the user, would fight the first one's.
    EXPECT_THROW(arena.make_flow_block_pip("q", arb, 10, false, false), InternalError);
    EXPECT_THROW(arena.arb_set_master_ack(arb, go, std::nullopt), InternalError);
    EXPECT_THROW(arena.arb_lock_master_ack(arb), InternalError);
    EXPECT_EQ(arena.arb_leaf_count(arb), 2u);
}

TEST_F(PipelineTest, FactoryRefusesAnArbiterWithAMasterAckAndAComponentThatIsNoArbiter) {
    arena.arb_lock_master_ack(arb);
    EXPECT_THROW(arena.make_flow_block_pip("p", arb, 10, false, false), InternalError);
    CcpIdent counter = CcpIdent::make(CcpType::DynCounter, true, "cnt");
    try {
        arena.make_flow_block_pip("p", counter, 10, false, false);
        FAIL() << "a pipeline on a dynamic counter was made";
    } catch (const InternalError& e) {
        EXPECT_STREQ(e.what(), "PipSchematic::new: ccp must be an Arb");
    }
    EXPECT_EQ(arena.arb_leaf_count(arb), 1u);
}

TEST_F(PipelineTest, StructuralRulesOfTheBlock) {
    FlowBlockIdent p = arena.make_flow_block_pip("p", arb, 10, false, false);
    arena.read_block(p, [](const FlowBlock& b) {
        EXPECT_EQ(b.check_prefinalize(), "pipeline block must have exactly one body sub-block");
        EXPECT_EQ(b.check_basic_node(), cat(block_label(b),
                                            " cannot take an assignment: pipeline block does not "
                                            "accept direct asm nodes; use a sub-block"));
        try {
            b.summarize_as_block();
            ADD_FAILURE() << "summarised before the build";
        } catch (const InternalError& e) {
            EXPECT_STREQ(e.what(), "pipeline block has not been built");
        }
    });
}

}  // namespace
}  // namespace velmora::testing
