// A closed if chain waits on the flow block stack for its elif and else blocks and is attached to
// its parent by whatever comes next. Each way it can be attached, for both kinds of chain.
#include "flow_fixture.h"
#include "util/str_cat.h"

namespace velmora::testing {
namespace {

enum class Master { Cif, Zif };
enum class Next { Block, Assignment, ParentClose, ParentPrefinalize, SecondClose, ProcedureEnd };

struct LazyCase {
    Master master;
    Next next;
};

std::string case_name(const ::testing::TestParamInfo<LazyCase>& info) {
    static const char* next[] = {"NextBlock",         "NextAssignment", "ParentClose",
                                 "ParentPrefinalize", "SecondClose",    "ProcedureEnd"};
    return cat(info.param.master == Master::Cif ? "Cif" : "Zif",
               next[static_cast<int>(info.param.next)]);
}

class LazyChainTest : public FlowFixture, public ::testing::WithParamInterface<LazyCase> {
protected:
    /// The body of one branch: a seq for the cif chain, a plain assignment for the zif chain.
    void branch_body(Master m, const HcpIdent& r, uint64_t v) {
        if (m == Master::Cif) {
            seq_of("body", r, 1);
        } else {
            assign(r, v);
        }
    }
    /// if (c) {..} elif (e) {..} else {..}; returns (master, elif, else).
    std::vector<FlowBlockIdent> chain(Master m, const HcpIdent& r) {
        HcpIdent c = bit("c");
        HcpIdent e = bit("e");
        bool cif = m == Master::Cif;
        std::vector<FlowBlockIdent> blocks = {
            cif ? arena.make_flow_block_cif("i", c, std::nullopt)
                : arena.make_flow_block_zif("i", c, std::nullopt),
            cif ? arena.make_flow_block_cselif("ei", e, std::nullopt)
                : arena.make_flow_block_zelif("ei", e, std::nullopt),
            cif ? arena.make_flow_block_cselse("el") : arena.make_flow_block_zelse("el")};
        for (size_t i = 0; i < blocks.size(); ++i) {
            open(blocks[i]);
            branch_body(m, r, i + 1);
            close(blocks[i]);
            // The master stays on the stack, closed, until something else comes.
            EXPECT_EQ(arena.flow_block_stack().back().block, blocks[0]);
            EXPECT_TRUE(arena.flow_block_stack().back().lazy_closed);
        }
        return blocks;
    }
    const FlowBlockBase& base_of(const FlowBlockIdent& b) {
        return *arena.read_block(b, [](const FlowBlock& f) { return &f.get_base(); });
    }
};

TEST_P(LazyChainTest, ChainIsAttachedWholeToItsParentInOrder) {
    const LazyCase k = GetParam();
    HcpIdent r = reg("r");
    begin_flow();
    std::optional<FlowBlockIdent> parent;
    if (k.next != Next::ProcedureEnd) {
        parent = open_seq("parent");
        assign(r, 7);
    }
    std::vector<FlowBlockIdent> chain_blocks = chain(k.master, r);
    const FlowBlockIdent master = chain_blocks[0];

    std::optional<FlowBlockIdent> after;
    switch (k.next) {
        case Next::Block:
            after = seq_of("after", r, 1);
            break;
        case Next::Assignment:
            assign(r, 8);
            break;
        case Next::ParentPrefinalize:
            EXPECT_EQ(arena.check_flow_block_prefinalize(*parent), std::nullopt);
            EXPECT_EQ(arena.flow_block_stack().back().block, *parent);
            break;
        case Next::SecondClose:
            close(master);
            EXPECT_EQ(arena.flow_block_stack().back().block, *parent);
            break;
        case Next::ParentClose:
        case Next::ProcedureEnd:
            break;
    }
    if (parent) close(*parent);
    end_flow_and_build();

    // The elif and else continue the master, in order; none became a block of its own.
    EXPECT_EQ(base_of(master).con_blocks_i,
              (std::vector<FlowBlockIdent>{chain_blocks[1], chain_blocks[2]}));
    if (!parent) {
        EXPECT_EQ(arena.get_module(top).flow_blocks, std::vector<FlowBlockIdent>{master});
        return;
    }
    EXPECT_EQ(arena.get_module(top).flow_blocks, std::vector<FlowBlockIdent>{*parent});
    const FlowBlockBase& p = base_of(*parent);
    std::vector<FlowBlockIdent> subs = {master};
    if (after) subs.push_back(*after);
    EXPECT_EQ(p.sub_blocks_i, subs);
    // The chain stands after the first assignment and before what came next.
    EXPECT_GT(p.sub_block_order[0], p.basic_node_order[0]);
    if (k.next == Next::Assignment) {
        ASSERT_EQ(p.basic_node_order.size(), 2u);
        EXPECT_LT(p.sub_block_order[0], p.basic_node_order[1]);
    }
    // One cycle for the first assignment, one for the chain (each branch takes one), one for
    // what came next.
    bool one_more = k.next == Next::Block || k.next == Next::Assignment;
    EXPECT_EQ(wrap_of(*parent).cycle, one_more ? 3 : 2);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, LazyChainTest,
    ::testing::Values(
        LazyCase{Master::Cif, Next::Block}, LazyCase{Master::Cif, Next::Assignment},
        LazyCase{Master::Cif, Next::ParentClose}, LazyCase{Master::Cif, Next::ParentPrefinalize},
        LazyCase{Master::Cif, Next::SecondClose}, LazyCase{Master::Cif, Next::ProcedureEnd},
        LazyCase{Master::Zif, Next::Block}, LazyCase{Master::Zif, Next::Assignment},
        LazyCase{Master::Zif, Next::ParentClose}, LazyCase{Master::Zif, Next::ParentPrefinalize},
        LazyCase{Master::Zif, Next::SecondClose}, LazyCase{Master::Zif, Next::ProcedureEnd}),
    case_name);

}  // namespace
}  // namespace velmora::testing
