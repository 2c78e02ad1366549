#include "flow_fixture.h"
#include "util/str_cat.h"

namespace velmora::testing {
namespace {

struct PickCase {
    std::vector<int> pif_steps;
    int default_steps;  // 0: no pidef
    int32_t cycle;
};

class PickTest : public FlowFixture, public ::testing::WithParamInterface<PickCase> {
protected:
    FlowBlockIdent branch(const FlowBlockIdent& b, const HcpIdent& r, int steps,
                          std::vector<FlowBlockIdent>& bodies) {
        open(b);
        bodies.push_back(seq_of("body", r, steps));
        close(b);
        return b;
    }
};

TEST_P(PickTest, EveryMatchingBranchStartsFromTheEntryAndDrivesTheExit) {
    const PickCase k = GetParam();
    HcpIdent r = reg("r");
    std::vector<HcpIdent> conds;
    begin_flow();
    FlowBlockIdent pick = open(arena.make_flow_block_pick("p"));
    std::vector<FlowBlockIdent> bodies;
    for (size_t i = 0; i < k.pif_steps.size(); ++i) {
        conds.push_back(bit(cat("c", i)));
        branch(arena.make_flow_block_pif("pif", conds.back(), std::nullopt), r, k.pif_steps[i],
               bodies);
    }
    if (k.default_steps > 0) branch(arena.make_flow_block_pidef("def"), r, k.default_steps, bodies);
    close(pick);
    ::testing::internal::CaptureStderr();
    end_flow_and_build();
    std::string warned = ::testing::internal::GetCapturedStderr();
    const uint64_t id = pick.global_id();

    EXPECT_EQ(warned,
              "[velmora][warn] pick block 'p': exit is NOT auto-synchronized; the "
              "matching branch drives the exit signal\n");
    std::vector<NcpIdent> created = created_of(pick);
    ASSERT_EQ(created.size(), 2u);
    const NcpIdent entry = created[0];
    const NcpIdent exit = created[1];
    EXPECT_EQ(entry.ident_base.rel_view(), cat("pick_entry_", id));
    EXPECT_EQ(exit.ident_base.rel_view(), cat("pick_exit_", id));
    EXPECT_EQ(depends_of(entry), std::vector<NcpIdent>{start_node()});

    std::string none;
    std::vector<NcpIdent> exit_deps;
    for (size_t i = 0; i < k.pif_steps.size(); ++i) {
        NcpIdent first = created_of(bodies[i]).front();
        EXPECT_EQ(depends_of(first), std::vector<NcpIdent>{entry});
        EXPECT_EQ(cond_text(*depend_conds_of(first).at(0)), cat("c", i));
        none = none.empty() ? cat("~c", i) : cat("(", none, " & ~c", i, ")");
        exit_deps.push_back(wrap_of(bodies[i]).get_exit_node());
    }
    if (k.default_steps > 0) {
        NcpIdent first = created_of(bodies.back()).front();
        EXPECT_EQ(depends_of(first), std::vector<NcpIdent>{entry});
        EXPECT_EQ(cond_text(*depend_conds_of(first).at(0)), none);
        exit_deps.push_back(wrap_of(bodies.back()).get_exit_node());
    } else {
        // No pidef: the pick ends at once from its entry when no pif matches.
        exit_deps.push_back(entry);
        EXPECT_EQ(cond_text(*depend_conds_of(exit).back()), none);
    }
    EXPECT_EQ(depends_of(exit), exit_deps);
    std::vector<std::string> names = internal_exprs();
    for (size_t i = 0; i < k.pif_steps.size(); ++i) {
        EXPECT_NE(std::find(names.begin(), names.end(), cat("pick_not_", id, "_", i)), names.end());
    }

    NodeWrap w = wrap_of(pick);
    EXPECT_EQ(w.entry_nodes, std::vector<NcpIdent>{entry});
    EXPECT_EQ(w.get_exit_node(), exit);
    EXPECT_EQ(w.cycle, k.cycle);
}

INSTANTIATE_TEST_SUITE_P(Picks, PickTest,
                         ::testing::Values(PickCase{{2, 2}, 2, 2},
                                           PickCase{{2, 3}, 2, IN_CONSIST_CYCLE_USED},
                                           PickCase{{2, 2}, 0, IN_CONSIST_CYCLE_USED},
                                           PickCase{{1}, 0, IN_CONSIST_CYCLE_USED},
                                           PickCase{{3, 3, 3}, 3, 3}));

TEST_F(PickTest, OnlyADefaultBranchStartsUnconditionally) {
    HcpIdent r = reg("r");
    begin_flow();
    FlowBlockIdent pick = open(arena.make_flow_block_pick("p"));
    std::vector<FlowBlockIdent> bodies;
    branch(arena.make_flow_block_pidef("def"), r, 2, bodies);
    close(pick);
    ::testing::internal::CaptureStderr();
    end_flow_and_build();
    ::testing::internal::GetCapturedStderr();
    NcpIdent first = created_of(bodies[0]).front();
    EXPECT_EQ(depend_conds_of(first), std::vector<OptHcpIdent>{std::nullopt});
    EXPECT_EQ(wrap_of(pick).cycle, 2);
}

TEST_F(PickTest, SummariesBeforeTheBuildAreInternalErrors) {
    FlowBlockIdent pick = arena.make_flow_block_pick("p");
    FlowBlockIdent def = arena.make_flow_block_pidef("d");
    for (auto [b, text] : {std::pair{pick, "pick block has not been built"},
                           std::pair{def, "pick branch has not been built"}}) {
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
