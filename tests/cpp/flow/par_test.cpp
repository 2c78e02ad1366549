#include "flow_fixture.h"
#include "util/str_cat.h"

namespace velmora::testing {
namespace {

using ParTest = FlowFixture;

TEST_F(ParTest, DirectAssignmentsShareOneStateAndNoSyncNode) {
    HcpIdent r = reg("r");
    HcpIdent q = reg("q");
    begin_flow();
    FlowBlockIdent p = open_par("p");
    arena.gen_basic_assign(r, val(8, 1), std::nullopt, std::nullopt);
    arena.gen_basic_assign(q, val(8, 2), std::nullopt, std::nullopt);
    close(p);
    end_flow_and_build();

    std::vector<NcpIdent> created = created_of(p);
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0].ident_base.rel_view(), cat("par_state_", p.global_id()));
    NodeWrap w = wrap_of(p);
    EXPECT_EQ(w.get_exit_node(), created[0]);
    EXPECT_EQ(w.cycle, 1);
}

struct BranchCase {
    bool no_sync;
    bool unfixed_second;
    const char* join_node;  // expected join node name prefix, or "" for none
    int exit_branch;        // which branch's exit is the block's exit (-1 = the join node)
};

class ParExitTest : public FlowFixture, public ::testing::WithParamInterface<BranchCase> {};

TEST_P(ParExitTest, ChoosesTheExitOfTheBranches) {
    const BranchCase c = GetParam();
    HcpIdent r = reg("r");
    HcpIdent q = reg("q");
    HcpIdent go = arena.make_wire(true, "go", 1);
    begin_flow();
    FlowBlockIdent p = open_par("p", c.no_sync);
    FlowBlockIdent two = seq_of("two", r, 2);
    FlowBlockIdent five = seq_of("five", q, 5);
    close(p);
    if (c.unfixed_second) {
        arena.with_block(five, [&](FlowBlock& b) { b.get_base_mut().start_signals.push_back(go); });
    }
    end_flow_and_build();

    NodeWrap w = wrap_of(p);
    std::vector<NcpIdent> created = created_of(p);
    if (c.exit_branch >= 0) {
        FlowBlockIdent expected = c.exit_branch == 0 ? two : five;
        EXPECT_EQ(w.get_exit_node(), wrap_of(expected).get_exit_node());
        EXPECT_TRUE(created.empty());
        EXPECT_EQ(w.cycle, 5);
    } else {
        ASSERT_EQ(created.size(), 1u);
        EXPECT_EQ(w.get_exit_node(), created[0]);
        std::string prefix = c.join_node;
        EXPECT_EQ(created[0].ident_base.rel_view().substr(0, prefix.size()), prefix);
        EXPECT_EQ(w.cycle, IN_CONSIST_CYCLE_USED);
        EXPECT_EQ(depends_of(created[0]), (std::vector<NcpIdent>{wrap_of(two).get_exit_node(),
                                                                 wrap_of(five).get_exit_node()}));
    }
    std::vector<NcpIdent> entries = w.entry_nodes;
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0], created_of(two)[0]);
    EXPECT_EQ(entries[1], created_of(five)[0]);
}

INSTANTIATE_TEST_SUITE_P(Exits, ParExitTest,
                         ::testing::Values(BranchCase{false, false, "", 1},
                                           BranchCase{false, true, "par_syn_", -1},
                                           BranchCase{true, false, "", 1},
                                           BranchCase{true, true, "par_no_sync_exit", -1}));

TEST_F(ParTest, PrefinalizeTextsOfEmptyBlocks) {
    FlowBlockIdent s = arena.make_flow_block_seq("s");
    FlowBlockIdent p = arena.make_flow_block_par("p", false);
    EXPECT_EQ(arena.check_flow_block_prefinalize(s), "seq flow block has no element");
    EXPECT_EQ(arena.check_flow_block_prefinalize(p), "parallel flow block has no element");
}

}  // namespace
}  // namespace velmora::testing
