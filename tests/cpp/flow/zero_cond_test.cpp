#include "flow_fixture.h"
#include "util/str_cat.h"

namespace velmora::testing {
namespace {

using ZeroCondTest = FlowFixture;

/// The merged event a meta was built from (before the node's guard wrapped it).
const UeCond& merged_cond(const ModelArena& arena, const AssignMeta& meta) {
    EXPECT_EQ(meta.first_ue->ue_type, UeType::Cond);
    return arena.group<UeCond>().get(meta.first_ue->handle());
}

const AsmNode& asm_node(const ModelArena& arena, const NcpIdent& id) {
    return arena.group<AsmNode>().get(id.handle());
}

TEST_F(ZeroCondTest, ChainInASeqIsOneStepWithOneConditionalEventPerDestination) {
    HcpIdent r = reg("r");
    HcpIdent q = reg("q");
    HcpIdent c = bit("c");
    HcpIdent e = bit("e");
    begin_flow();
    FlowBlockIdent s = open_seq("s");
    assign(r, 1);
    FlowBlockIdent zif = open(arena.make_flow_block_zif("z", c, std::nullopt));
    assign(r, 2);
    assign(q, 5);
    close(zif);
    FlowBlockIdent zelif = open(arena.make_flow_block_zelif("ze", e, std::nullopt));
    assign(r, 3);
    close(zelif);
    FlowBlockIdent zelse = open(arena.make_flow_block_zelse("zz"));
    assign(r, 4);
    close(zelse);
    assign(r, 9);
    close(s);
    end_flow_and_build();
    const uint64_t id = zif.global_id();

    std::vector<NcpIdent> states = created_of(s);
    ASSERT_EQ(states.size(), 3u);  // the chain takes one step of its own
    NcpIdent result =
        arena.read_block(zif, [](const FlowBlock& b) { return b.summarize_as_node(); });
    EXPECT_EQ(result.ident_base.rel_view(), cat("zcif_result_", id));
    EXPECT_EQ(depends_of(result), std::vector<NcpIdent>{states[1]});
    EXPECT_EQ(depends_of(states[2]), std::vector<NcpIdent>{states[1]});
    EXPECT_EQ(wrap_of(s).cycle, 3);

    const AsmNode& n = asm_node(arena, result);
    ASSERT_EQ(n.asm_metas.size(), 2u);
    EXPECT_EQ(n.asm_metas[0].des, r);
    EXPECT_EQ(n.asm_metas[1].des, q);
    const UeCond& on_r = merged_cond(arena, n.asm_metas[0]);
    std::vector<std::string> conds;
    for (const auto& k : on_r.conds) conds.push_back(k ? cond_text(arena.ident_of(*k)) : "else");
    EXPECT_EQ(conds, (std::vector<std::string>{"c", "(~c & e)", "(~c & ~e)"}));
    const UeCond& on_q = merged_cond(arena, n.asm_metas[1]);
    ASSERT_EQ(on_q.conds.size(), 1u);
    EXPECT_EQ(cond_text(arena.ident_of(*on_q.conds[0])), "c");
    std::vector<std::string> names = internal_exprs();
    EXPECT_NE(std::find(names.begin(), names.end(), cat("zcif_not_cond_", id)), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), cat("zcif_not_elif_", id, "_0")), names.end());
}

TEST_F(ZeroCondTest, ChainWithoutElseBuildsNoUnusedNegation) {
    HcpIdent r = reg("r");
    HcpIdent c = bit("c");
    begin_flow();
    FlowBlockIdent zif = open(arena.make_flow_block_zif("z", c, std::nullopt));
    assign(r, 2);
    close(zif);
    end_flow_and_build();
    std::vector<std::string> names = internal_exprs();
    EXPECT_EQ(std::find(names.begin(), names.end(), cat("zcif_not_cond_", zif.global_id())),
              names.end());
}

TEST_F(ZeroCondTest, AtModuleLevelTheChainIsAlwaysOnLogic) {
    HcpIdent w = arena.make_wire(true, "w", 4);
    HcpIdent c = bit("c");
    begin_flow();
    FlowBlockIdent zif = open(arena.make_flow_block_zif("z", c, std::nullopt));
    assign(w, 2);
    close(zif);
    FlowBlockIdent zelse = open(arena.make_flow_block_zelse("zz"));
    assign(w, 3);
    close(zelse);
    end_flow_and_build();
    NcpIdent result =
        arena.read_block(zif, [](const FlowBlock& b) { return b.summarize_as_node(); });
    EXPECT_TRUE(depends_of(result).empty());
    // The wire's pool: the chain's event itself, unguarded, then the wire's default.
    std::vector<UpdateEventIdent> pool =
        arena.read_hcp(w, [](const HcpBase& h) { return h.get_update_pool(); });
    ASSERT_EQ(pool.size(), 2u);
    EXPECT_EQ(pool[0], *asm_node(arena, result).asm_metas[0].first_ue);
    EXPECT_EQ(arena.get_ue_common(pool[0]).clk_mode, ClockMode::ClkFree);
}

// A zero-cycle block in a held sequence must not write while the sequence is held: its node is
// guarded by the block's hold and reset like a plain assignment (and takes no internal start).
TEST_F(ZeroCondTest, ZeroCycleResultNodeIsHeldAndResetWithItsBlock) {
    HcpIdent r = reg("r");
    HcpIdent c = bit("c");
    HcpIdent hold = bit("hold");
    HcpIdent rst = bit("rst");
    HcpIdent go = bit("go");
    HcpIdent sel = arena.make_wire(true, "sel", 2);
    begin_flow();
    FlowBlockIdent s = open_seq("s");
    FlowBlockIdent zif = open(arena.make_flow_block_zif("z", c, std::nullopt));
    assign(r, 2);
    close(zif);
    FlowBlockIdent zst = open(arena.make_flow_block_zstate("st", sel));
    FlowBlockIdent zc = open(arena.make_flow_block_zcase("k", 1));
    assign(r, 3);
    close(zc);
    close(zst);
    close(s);
    arena.with_block(s, [&](FlowBlock& b) {
        b.get_base_mut().hold_signals.push_back(hold);
        b.get_base_mut().reset_signals.push_back(rst);
        b.get_base_mut().start_signals.push_back(go);
    });
    end_flow_and_build();

    std::vector<NcpIdent> states = created_of(s);
    ASSERT_EQ(states.size(), 2u);
    for (const FlowBlockIdent& b : {zif, zst}) {
        NcpIdent result =
            arena.read_block(b, [](const FlowBlock& f) { return f.summarize_as_node(); });
        NodeTriggers own =
            arena.read_block(b, [](const FlowBlock& f) { return f.get_base().triggers; });
        const AsmNode& n = asm_node(arena, result);
        ASSERT_TRUE(n.get_hold_node().has_value());
        EXPECT_EQ(n.get_hold_node(), own.hold_node);
        EXPECT_EQ(n.get_int_reset_node(), own.int_reset_node);
        EXPECT_FALSE(n.get_int_start_node().has_value());
        // The pooled event is guarded: not held, not reset, in its state.
        const UeCond& guard = arena.group<UeCond>().get(n.asm_metas[0].cur_ue->handle());
        std::string state = cat(states[b == zif ? 0 : 1].ident_base.rel_view(), "_ST");
        EXPECT_EQ(cond_text(arena.ident_of(*guard.conds.at(0))),
                  cat("((~hold & ~rst) & ", state, ")"));
    }
}

}  // namespace
}  // namespace velmora::testing
