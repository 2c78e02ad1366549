// Node graph of the zync block: the waiting state, the requests it drives, the grant it folds, the
// assignments it guards and the one-cycle exit; the turns of Any-mode binds.
#include "model/flow_block/zync.h"

#include <algorithm>

#include "flow_fixture.h"
#include "model/complex_hardware/arb.h"
#include "model/typed_access.h"
#include "util/str_cat.h"

namespace velmora::testing {
namespace {

class ZyncTest : public FlowFixture {
protected:
    CcpIdent a, b;
    HcpIdent r;
    HcpIdent c;

    void SetUp() override {
        FlowFixture::SetUp();
        a = arena.make_arb("a", ArbSamePriPolicy::AckOne);
        b = arena.make_arb("b", ArbSamePriPolicy::AckOne);
        r = reg("r");
        c = bit("c");
    }
    std::string name_of(const NcpIdent& n) { return std::string(n.ident_base.rel_view()); }
    /// seq [zync { r <= 7 }; r <= 1] at the top of the module.
    FlowBlockIdent zync_in_seq(const std::vector<ZyncBindRequest>& binds, bool match_all) {
        FlowBlockIdent s = open_seq("s");
        FlowBlockIdent z = arena.make_flow_block_zync_multi("z", binds, match_all);
        arena.initialize_flow_block(z);
        assign(r, 7);
        close(z);
        assign(r, 1);
        close(s);
        return z;
    }
    NcpIdent created(const FlowBlockIdent& blk, const std::string& name) {
        std::vector<NcpIdent> nodes = created_of(blk);
        auto it = std::find_if(nodes.begin(), nodes.end(),
                               [&](const NcpIdent& n) { return name_of(n) == name; });
        if (it != nodes.end()) return *it;
        ADD_FAILURE() << "no node " << name;
        return NcpIdent{};
    }
    HcpIdent exit_of(const NcpIdent& n) {
        return *arena.read_node(n, [](const NcpNode& node) { return node.get_exit_opr(); });
    }
    ArbLeaf leaf(const CcpIdent& arb, size_t i) {
        return read_ccp_as<Arb>(arena, arb, [&](const Arb& x) { return x.leaves.at(i); });
    }
    /// What drives a leaf's request: the source of its one event besides the wire's default.
    std::string request_source(const CcpIdent& arb, size_t i) {
        HcpIdent req = leaf(arb, i).req;
        std::vector<UpdateEventIdent> pool =
            arena.read_hcp(req, [&](const HcpBase& w) { return w.get_update_pool(); });
        std::vector<std::string> sources;
        for (const UpdateEventIdent& ue : pool) {
            HcpIdent src = ue_source(ue);
            if (!src.rel_name().ends_with("_DEFAULT_ZERO")) sources.push_back(cond_text(src));
        }
        EXPECT_EQ(sources.size(), 1u);
        return sources.empty() ? "" : sources.front();
    }
    HcpIdent ue_source(const UpdateEventIdent& ue) {
        return arena.read_ue(ue, [this](const auto& e) -> HcpIdent {
            if constexpr (requires { e.src; }) {
                return arena.ident_of(e.src);
            } else {
                ADD_FAILURE() << "not a basic event";
                return HcpIdent{};
            }
        });
    }
    /// The AsmNode named `name`.
    const AsmNode& asm_node(const std::string& name) {
        const auto& asms = arena.group<AsmNode>();
        for (uint64_t i = 0; i < asms.size(); ++i) {
            const AsmNode& n = asms.get(ArenaHandle{i, 0});
            if (n.ident.ident_base.rel_view() == name) return n;
        }
        ADD_FAILURE() << "no AsmNode " << name;
        return asms.get(ArenaHandle{0, 0});
    }
};

TEST_F(ZyncTest, OneBindRequestsFromItsStateAndExitsOnStateAndGrant) {
    begin_flow();
    FlowBlockIdent z = zync_in_seq({ZyncBindRequest{a, 10, false, {}}}, false);
    end_flow_and_build();
    const uint64_t id = z.global_id();
    NodeWrap wrap = wrap_of(z);
    ASSERT_EQ(wrap.entry_nodes.size(), 1u);
    NcpIdent state = wrap.entry_nodes[0];
    EXPECT_EQ(state.node_type, NodeType::State);
    EXPECT_EQ(name_of(state), cat("zync_state_", id));
    EXPECT_EQ(wrap.cycle, IN_CONSIST_CYCLE_USED);
    EXPECT_FALSE(wrap.may_finish_at_once);

    // The state asks, the leaf's acknowledge grants; the state holds until then.
    const std::string waiting = cat("zync_state_", id, "_ST");
    EXPECT_EQ(request_source(a, 0), waiting);
    std::vector<NcpIdent> deps = depends_of(state);
    ASSERT_GE(deps.size(), 1u);
    EXPECT_EQ(deps[0], state);
    HcpIdent no_grant = *depend_conds_of(state)[0];
    EXPECT_EQ(no_grant.rel_name(), cat("zync_no_grant_", id));
    EXPECT_EQ(cond_text(no_grant), "~a_ACK0");

    // The exit: one pulse in the grant cycle.
    NcpIdent exit = wrap.get_exit_node();
    EXPECT_EQ(exit.node_type, NodeType::Opr);
    EXPECT_EQ(name_of(exit), cat("zync_exit_", id));
    EXPECT_EQ(exit_of(exit).rel_name(), cat("zync_exit_", id));
    EXPECT_EQ(cond_text(exit_of(exit)), "(" + waiting + " & a_ACK0)");
    std::vector<NcpIdent> nodes = created_of(z);
    EXPECT_NE(std::find(nodes.begin(), nodes.end(), exit), nodes.end());

    // The step after the zync starts on that pulse, not on the waiting state.
    std::vector<std::string> exprs = internal_exprs();
    EXPECT_EQ(std::count(exprs.begin(), exprs.end(), cat("zync_req_", id, "_0")), 0);
    EXPECT_EQ(std::count(exprs.begin(), exprs.end(), cat("zync_grant_term_", id, "_0")), 0);
}

TEST_F(ZyncTest, AssignmentsTakeEffectInTheGrantCycle) {
    begin_flow();
    FlowBlockIdent z = zync_in_seq({ZyncBindRequest{a, 10, false, c}}, false);
    end_flow_and_build();
    const uint64_t id = z.global_id();
    // The merged assignments hang on the state under the grant.
    const AsmNode& n = asm_node(cat("zync_asm_", id));
    ASSERT_EQ(n.get_node_triggers().depend_nodes.size(), 1u);
    const auto& [parent, grant] = n.get_node_triggers().depend_nodes[0];
    EXPECT_EQ(name_of(arena.ident_of(parent)), cat("zync_state_", id));
    EXPECT_EQ(arena.ident_of(*grant).rel_name(), cat("zync_grant_term_", id, "_0"));
    EXPECT_EQ(cond_text(arena.ident_of(*grant)), "(a_ACK0 & c)");
    EXPECT_EQ(n.asm_metas.size(), 1u);
    EXPECT_EQ(request_source(a, 0), cat("(zync_state_", id, "_ST & c)"));
}

TEST_F(ZyncTest, AnyModeBindsTakeTurnsSoThatOneArbiterGrants) {
    begin_flow();
    FlowBlockIdent z =
        zync_in_seq({ZyncBindRequest{a, 10, false, {}}, ZyncBindRequest{b, 10, true, c}}, false);
    end_flow_and_build();
    const uint64_t id = z.global_id();
    NcpIdent state = created(z, cat("zync_state_", id));
    NcpIdent t0 = created(z, cat("zync_turn_", id, "_0"));
    NcpIdent t1 = created(z, cat("zync_turn_", id, "_1"));
    // Both the waiting state and the first turn are entries.
    EXPECT_EQ(wrap_of(z).entry_nodes, (std::vector<NcpIdent>{state, t0}));
    // Without a grant the turn passes on, round the ring.
    EXPECT_EQ(depends_of(t1), std::vector<NcpIdent>{t0});
    std::vector<NcpIdent> t0_deps = depends_of(t0);
    EXPECT_EQ(t0_deps.front(), t1);
    HcpIdent no_grant = *depend_conds_of(t1)[0];
    EXPECT_EQ(no_grant.rel_name(), cat("zync_no_grant_", id));
    // Only the bind on turn requests, and it counts as granted only on its turn (the Ack-locked
    // leaf's acknowledge is the constant 1).
    const std::string t0s = cat("zync_turn_", id, "_0_ST"), t1s = cat("zync_turn_", id, "_1_ST");
    EXPECT_EQ(request_source(a, 0), t0s);
    EXPECT_EQ(request_source(b, 0), "(" + t1s + " & c)");
    EXPECT_EQ(cond_text(no_grant), "~((a_ACK0 & " + t0s + ") | (b_ACK0 & (" + t1s + " & c)))");
}

TEST_F(ZyncTest, AllModeNeedsEveryGrantInOneCycle) {
    begin_flow();
    FlowBlockIdent z =
        zync_in_seq({ZyncBindRequest{a, 10, false, c}, ZyncBindRequest{b, 10, false, {}}}, true);
    ::testing::internal::CaptureStderr();
    end_flow_and_build();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "[velmora][warn] zync block 'z': All-mode grant is AND over (ack & cond); the target "
              "may activate when not all conditions are satisfied\n");
    const uint64_t id = z.global_id();
    const std::string waiting = cat("zync_state_", id, "_ST");
    EXPECT_EQ(request_source(a, 0), "(" + waiting + " & c)");
    EXPECT_EQ(request_source(b, 0), waiting);
    HcpIdent no_grant = *depend_conds_of(created(z, cat("zync_state_", id)))[0];
    EXPECT_EQ(cond_text(no_grant), "~((a_ACK0 & c) & b_ACK0)");
    std::vector<NcpIdent> nodes = created_of(z);
    EXPECT_EQ(std::count_if(nodes.begin(), nodes.end(),
                            [](const NcpIdent& n) { return n.node_type == NodeType::State; }),
              1);
}

TEST_F(ZyncTest, FactoryTakesOneLeafPerBindAndRefusesBadBinds) {
    arena.make_flow_block_zync_multi(
        "z", {ZyncBindRequest{b, 4, true, {}}, ZyncBindRequest{a, 6, false, c}}, false);
    EXPECT_EQ(leaf(b, 0).priority, 4);
    EXPECT_EQ(leaf(b, 0).ack.hw_type, HwComponentType::Val);  // auto_ack: Ack-locked
    EXPECT_EQ(leaf(a, 0).priority, 6);
    EXPECT_EQ(leaf(a, 0).ack.hw_type, HwComponentType::Wire);

    auto message_of = [&](auto&& call) -> std::string {
        try {
            call();
        } catch (const InternalError& e) {
            return e.what();
        }
        return "(no error)";
    };
    EXPECT_EQ(message_of([&] { arena.make_flow_block_zync_multi("z", {}, false); }),
              "make_flow_block_zync_multi: at least one arb required");
    CcpIdent counter = CcpIdent::make(CcpType::DynCounter, true, "cnt");
    EXPECT_EQ(message_of([&] { arena.make_flow_block_zync("z", counter, 10, false); }),
              "ZyncArbBind::new: ccp must be an Arb");
    EXPECT_EQ(message_of([&] {
                  arena.make_flow_block_zync_multi(
                      "z", {ZyncBindRequest{a, 1, false, {}}, ZyncBindRequest{a, 2, false, {}}},
                      false);
              }),
              cat("bind 1 contends on ", a.ident_base.abs_text(),
                  " again (bind 0 already does); a zync takes one leaf on each of its arbiters"));
    EXPECT_EQ(message_of([&] { FlowBlockZync::make("z", {}, false); }),
              "ZyncSchematic::new: at least one arb bind required");
    // Refused before any leaf was taken.
    EXPECT_EQ(arena.arb_leaf_count(a), 1u);
    EXPECT_EQ(arena.arb_leaf_count(b), 1u);
}

TEST_F(ZyncTest, StructuralRulesOfTheBlock) {
    begin_flow();
    FlowBlockIdent z = arena.make_flow_block_zync("z", a, 10, false);
    FlowBlockIdent s = arena.make_flow_block_seq("s");
    arena.read_block(z, [&](const FlowBlock& blk) {
        EXPECT_EQ(blk.check_prefinalize(),
                  "zync block must hold at least one basic node or basic-flow sub-block");
        EXPECT_EQ(blk.check_basic_node(), std::nullopt);
        arena.read_block(s, [&](const FlowBlock& seq) {
            EXPECT_TRUE(blk.check_sub_block(arena, seq).has_value());
        });
        try {
            blk.summarize_as_block();
            ADD_FAILURE() << "summarised before the build";
        } catch (const InternalError& e) {
            EXPECT_STREQ(e.what(), "zync block has not been built");
        }
    });
    EXPECT_THROW(arena.with_block(z, [&](FlowBlock& blk) { blk.add_sub_flow_block(arena, s); }),
                 InternalError);
}

}  // namespace
}  // namespace velmora::testing
