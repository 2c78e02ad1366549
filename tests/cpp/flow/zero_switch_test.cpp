#include "flow_fixture.h"
#include "util/str_cat.h"

namespace velmora::testing {
namespace {

using ZeroSwitchTest = FlowFixture;

const AsmNode& result_node(const ModelArena& arena, const FlowBlockIdent& b) {
    NcpIdent n = arena.read_block(b, [](const FlowBlock& f) { return f.summarize_as_node(); });
    return arena.group<AsmNode>().get(n.handle());
}

const UeSwitch& merged_switch(const ModelArena& arena, const AssignMeta& meta) {
    EXPECT_EQ(meta.first_ue->ue_type, UeType::Switch);
    return arena.group<UeSwitch>().get(meta.first_ue->handle());
}

TEST_F(ZeroSwitchTest, CasesMergeIntoOneSwitchPerDestination) {
    HcpIdent r = reg("r");
    HcpIdent q = reg("q");
    HcpIdent sel = arena.make_wire(true, "sel", 2);
    begin_flow();
    FlowBlockIdent s = open_seq("s");
    FlowBlockIdent zst = open(arena.make_flow_block_zstate("st", sel));
    for (int32_t v : {0, 2, 3}) {
        FlowBlockIdent zc = open(arena.make_flow_block_zcase("k", v));
        if (v != 3) assign(r, v + 1);
        if (v == 2) assign(q, 7);
        close(zc);
    }
    close(zst);
    close(s);
    end_flow_and_build();

    const AsmNode& n = result_node(arena, zst);
    EXPECT_EQ(n.ident.ident_base.rel_view(), cat("zsw_result_", zst.global_id()));
    EXPECT_EQ(depends_of(n.ident), std::vector<NcpIdent>{created_of(s)[0]});
    ASSERT_EQ(n.asm_metas.size(), 2u);
    const UeSwitch& on_r = merged_switch(arena, n.asm_metas[0]);
    EXPECT_EQ(on_r.selector, sel);
    EXPECT_EQ(on_r.match_vals, (std::vector<int32_t>{0, 2}));
    const UeSwitch& on_q = merged_switch(arena, n.asm_metas[1]);
    EXPECT_EQ(on_q.match_vals, std::vector<int32_t>{2});
}

TEST_F(ZeroSwitchTest, CaseWithAZifKeepsItsAssignmentsInSourceOrder) {
    HcpIdent r = reg("r");
    HcpIdent q = reg("q");
    HcpIdent c = bit("c");
    HcpIdent sel = arena.make_wire(true, "sel", 1);
    begin_flow();
    FlowBlockIdent s = open_seq("s");
    FlowBlockIdent zst = open(arena.make_flow_block_zstate("st", sel));
    FlowBlockIdent zc = open(arena.make_flow_block_zcase("k", 1));
    assign(r, 1);
    FlowBlockIdent zif = open(arena.make_flow_block_zif("z", c, std::nullopt));
    assign(r, 2);
    close(zif);
    assign(q, 3);
    close(zc);
    close(zst);
    close(s);
    end_flow_and_build();

    const AsmNode& n = result_node(arena, zst);
    ASSERT_EQ(n.asm_metas.size(), 2u);
    const UeSwitch& on_r = merged_switch(arena, n.asm_metas[0]);
    ASSERT_EQ(on_r.ues.size(), 1u);
    ASSERT_EQ(on_r.ues[0].ue_type, UeType::Grp);
    const UeGrp& grp = arena.group<UeGrp>().get(on_r.ues[0].handle());
    ASSERT_EQ(grp.ues.size(), 2u);
    EXPECT_EQ(grp.ues[0].ue_type, UeType::Basic);  // r = 1, then the zif's r = 2 (if c)
    EXPECT_EQ(grp.ues[1].ue_type, UeType::Cond);
    EXPECT_EQ(n.asm_metas[1].des, q);
}

}  // namespace
}  // namespace velmora::testing
