#include "flow_fixture.h"
#include "util/str_cat.h"

namespace velmora::testing {
namespace {

struct CondCase {
    bool sif;
    std::vector<int> branch_steps;  // body, then each con block's body
    bool with_else;                 // the last con block is a cselse
    int32_t cycle;
};

void PrintTo(const CondCase& c, std::ostream* os) {
    *os << (c.sif ? "sif" : "cif") << " branches=" << c.branch_steps.size()
        << " else=" << c.with_else;
}

class CondTest : public FlowFixture, public ::testing::WithParamInterface<CondCase> {
protected:
    /// if (c) / elif (e0) / ... / else, each branch a seq of r assignments.
    FlowBlockIdent chain_of(const CondCase& k, const HcpIdent& c, const std::vector<HcpIdent>& ek,
                            const HcpIdent& r, std::vector<FlowBlockIdent>& bodies) {
        FlowBlockIdent cond = open(k.sif ? arena.make_flow_block_sif("i", c, std::nullopt)
                                         : arena.make_flow_block_cif("i", c, std::nullopt));
        bodies.push_back(seq_of("b0", r, k.branch_steps[0]));
        close(cond);
        for (size_t i = 1; i < k.branch_steps.size(); ++i) {
            bool is_else = k.with_else && i + 1 == k.branch_steps.size();
            FlowBlockIdent con =
                open(is_else ? arena.make_flow_block_cselse("e")
                             : arena.make_flow_block_cselif("e", ek[i - 1], std::nullopt));
            bodies.push_back(seq_of(cat("b", i), r, k.branch_steps[i]));
            close(con);
        }
        return cond;
    }
};

TEST_P(CondTest, BranchesStartFromTheEntryUnderTheChainAndEndInTheExit) {
    const CondCase k = GetParam();
    HcpIdent r = reg("r");
    HcpIdent c = bit("c");
    std::vector<HcpIdent> ek = {bit("e0"), bit("e1")};
    begin_flow();
    std::vector<FlowBlockIdent> bodies;
    FlowBlockIdent cond = chain_of(k, c, ek, r, bodies);
    end_flow_and_build();
    const uint64_t id = cond.global_id();

    std::vector<NcpIdent> created = created_of(cond);
    ASSERT_EQ(created.size(), 2u);
    const NcpIdent entry = created[0];
    const NcpIdent exit = created[1];
    EXPECT_EQ(entry.node_type, k.sif ? NodeType::State : NodeType::Pseudo);
    EXPECT_EQ(entry.ident_base.rel_view(), cat(k.sif ? "sif_cond_" : "cif_cond_", id));
    EXPECT_EQ(exit.node_type, NodeType::Pseudo);
    EXPECT_EQ(exit.ident_base.rel_view(), cat("cif_exit_", id));
    EXPECT_EQ(depends_of(entry), std::vector<NcpIdent>{start_node()});

    // Branch i starts from the entry when c and the elif conditions before it are false.
    std::vector<std::string> expected_conds = {"c"};
    std::string none = "~c";
    for (size_t i = 1; i < bodies.size(); ++i) {
        bool is_else = k.with_else && i + 1 == bodies.size();
        expected_conds.push_back(is_else ? none : "(" + none + " & e" + cat(i - 1) + ")");
        none = "(" + none + " & ~e" + cat(i - 1) + ")";
    }
    std::vector<NcpIdent> exit_deps;
    for (size_t i = 0; i < bodies.size(); ++i) {
        NcpIdent first = created_of(bodies[i]).front();
        EXPECT_EQ(depends_of(first), std::vector<NcpIdent>{entry}) << "branch " << i;
        OptHcpIdent cond_i = depend_conds_of(first).at(0);
        ASSERT_TRUE(cond_i.has_value());
        EXPECT_EQ(cond_text(*cond_i), expected_conds[i]) << "branch " << i;
        exit_deps.push_back(wrap_of(bodies[i]).get_exit_node());
    }
    // Without an else, the exit also fires from the entry when no branch is taken.
    if (!k.with_else) exit_deps.push_back(entry);
    EXPECT_EQ(depends_of(exit), exit_deps);
    if (!k.with_else) {
        OptHcpIdent none_cond = depend_conds_of(exit).back();
        ASSERT_TRUE(none_cond.has_value());
        EXPECT_EQ(cond_text(*none_cond), none);
    }

    NodeWrap w = wrap_of(cond);
    EXPECT_EQ(w.entry_nodes, std::vector<NcpIdent>{entry});
    EXPECT_EQ(w.get_exit_node(), exit);
    EXPECT_EQ(w.cycle, k.cycle);
}

// Cycle counts: every path must take the same number of cycles to report one; sif's entry state
// is one more cycle on every path.
INSTANTIATE_TEST_SUITE_P(Chains, CondTest,
                         ::testing::Values(CondCase{false, {2}, false, IN_CONSIST_CYCLE_USED},
                                           CondCase{true, {2}, false, IN_CONSIST_CYCLE_USED},
                                           CondCase{false, {2, 2}, true, 2},
                                           CondCase{true, {2, 2}, true, 3},
                                           CondCase{false, {2, 2, 2}, true, 2},
                                           CondCase{true, {2, 2, 2}, true, 3},
                                           CondCase{false, {2, 3, 1}, true, IN_CONSIST_CYCLE_USED},
                                           CondCase{true, {2, 3}, true, IN_CONSIST_CYCLE_USED},
                                           CondCase{false, {1, 1, 1}, false, IN_CONSIST_CYCLE_USED},
                                           CondCase{true, {1, 1}, false, IN_CONSIST_CYCLE_USED}));

TEST_F(CondTest, ChainNamesItsNegations) {
    HcpIdent r = reg("r");
    HcpIdent c = bit("c");
    std::vector<HcpIdent> ek = {bit("e0"), bit("e1")};
    begin_flow();
    std::vector<FlowBlockIdent> bodies;
    FlowBlockIdent cond = chain_of(CondCase{false, {1, 1, 1}, true, 1}, c, ek, r, bodies);
    end_flow_and_build();
    const uint64_t id = cond.global_id();
    std::vector<std::string> names = internal_exprs();
    EXPECT_NE(std::find(names.begin(), names.end(), cat("cif_not_cond_", id)), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), cat("cif_not_elif_", id, "_0")), names.end());
    // The else takes what is left; nothing negates it.
    EXPECT_EQ(std::find(names.begin(), names.end(), cat("cif_not_elif_", id, "_1")), names.end());
}

TEST_F(CondTest, InternalStartLaunchesTheEntryAndUnfixesTheCount) {
    HcpIdent r = reg("r");
    HcpIdent c = bit("c");
    HcpIdent go = bit("go");
    begin_flow();
    std::vector<FlowBlockIdent> bodies;
    FlowBlockIdent cond = chain_of(CondCase{true, {1, 1}, true, 2}, c, {}, r, bodies);
    arena.with_block(cond, [&](FlowBlock& b) { b.get_base_mut().start_signals.push_back(go); });
    end_flow_and_build();
    NcpIdent entry = created_of(cond).front();
    std::vector<NcpIdent> deps = depends_of(entry);
    ASSERT_EQ(deps.size(), 2u);
    EXPECT_EQ(deps[0].ident_base.rel_view(), cat("flow_start_", cond.global_id()));
    EXPECT_EQ(deps[1], start_node());
    EXPECT_EQ(wrap_of(cond).cycle, IN_CONSIST_CYCLE_USED);
}

TEST_F(CondTest, SummaryBeforeTheBuildIsAnInternalError) {
    HcpIdent c = bit("c");
    FlowBlockIdent cond = arena.make_flow_block_cif("i", c, std::nullopt);
    FlowBlockIdent e = arena.make_flow_block_cselse("e");
    for (auto [b, text] : {std::pair{cond, "cond block has not been built"},
                           std::pair{e, "cond elif/else block has not been built"}}) {
        try {
            wrap_of(b);
            FAIL() << text;
        } catch (const InternalError& err) {
            EXPECT_STREQ(err.what(), text);
        }
    }
}

}  // namespace
}  // namespace velmora::testing
