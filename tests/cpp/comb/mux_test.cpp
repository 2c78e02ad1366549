#include "../flow/flow_fixture.h"
#include "comb_test_support.h"
#include "model/arena_impl_comb/comb_checks.h"
#include "model/controller/asm_priority.h"

namespace velmora::testing {
namespace {

class MuxTest : public ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        sel = bit("sel");
        a = arena.make_reg(true, "a", 4);
        b = arena.make_reg(true, "b", 4);
    }
    std::vector<UpdateEventIdent> pool_of(const HcpIdent& des) {
        return arena.read_hcp(des, [](const HcpBase& c) { return c.get_update_pool(); });
    }

    HcpIdent sel, a, b;
};

TEST_F(MuxTest, MuxIntoWirePoolsOneClockFreeTwoWaySelection) {
    HcpIdent w = arena.make_wire(true, "w", 4);
    arena.mux_into_wire(w, sel, HcpTerm{a, std::nullopt}, HcpTerm{b, std::nullopt}, 37);

    std::vector<UpdateEventIdent> pool = pool_of(w);
    ASSERT_EQ(pool.size(), 1u);
    ASSERT_EQ(pool[0].ue_type, UeType::Cond);
    const UeCond& c = ue<UeCond>(arena, pool[0]);
    EXPECT_EQ(c.common.clk_mode, ClockMode::ClkFree);
    EXPECT_FALSE(c.common.clk_src.has_value());
    EXPECT_EQ(c.common.priority, 37);
    ASSERT_EQ(c.conds.size(), 2u);
    EXPECT_EQ(c.conds[0], OptHcpIdent(sel));
    EXPECT_FALSE(c.conds[1].has_value());
    EXPECT_TRUE(c.is_last_occure);
    for (size_t i = 0; i < 2; ++i) {
        const UeBasic& branch = ue<UeBasic>(arena, c.ues[i]);
        EXPECT_EQ(branch.src, i == 0 ? a : b);
        EXPECT_EQ(branch.des_slice, (Slice{0, 4}));
        EXPECT_EQ(branch.src_slice, (Slice{0, 4}));
        EXPECT_EQ(branch.common.clk_mode, ClockMode::ClkFree);
        EXPECT_EQ(branch.common.priority, 37);
    }
}

TEST_F(MuxTest, MuxIntoWireFitsSourcesAsAnAssignmentDoes) {
    HcpIdent w = arena.make_wire(true, "w", 4);
    HcpIdent narrow = arena.make_reg(true, "narrow", 2);
    HcpIdent wide = arena.make_reg(true, "wide", 8);
    MuxFits fits =
        arena.mux_into_wire(w, sel, HcpTerm{narrow, std::nullopt}, HcpTerm{wide, Slice{2, 8}}, 10);
    EXPECT_EQ(fits.if_true.kind, 1);
    EXPECT_EQ(name_of(fits.if_true.src), "narrow_ext");
    EXPECT_EQ(fits.if_false.kind, 2);
    EXPECT_EQ(fits.if_false.src_slice, (Slice{2, 6}));  // the low 4 bits of the range
    const UeCond& c = ue<UeCond>(arena, pool_of(w).at(0));
    EXPECT_EQ(ue<UeBasic>(arena, c.ues[0]).src, fits.if_true.src);
    EXPECT_EQ(ue<UeBasic>(arena, c.ues[1]).src_slice, (Slice{2, 6}));
}

TEST_F(MuxTest, MuxIntoWireRefusesAnythingButAWireAndAOneBitCondition) {
    HcpTerm t{a, std::nullopt};
    EXPECT_EQ(panic_message([&] { arena.mux_into_wire(a, sel, t, t, 10); }),
              cat("mux_into_wire: '", a.abs_name(), "' is not a WIRE"));
    HcpIdent w = arena.make_wire(true, "w", 4);
    EXPECT_EQ(panic_message([&] { arena.mux_into_wire(w, a, t, t, 10); }),
              cat("mux_into_wire: cond '", a.abs_name(), "' must be 1-bit, got 4"));
    EXPECT_TRUE(pool_of(w).empty());
}

TEST_F(MuxTest, GenMuxMakesAUserWireAtTheCurrentPriority) {
    set_asm_pri_to_manual(70);
    MuxResult m = arena.gen_mux("m", sel, std::nullopt, HcpTerm{a, std::nullopt},
                                HcpTerm{b, std::nullopt}, 4);
    set_asm_pri_to_auto();
    EXPECT_EQ(name_of(m.wire), "m");
    EXPECT_EQ(m.wire.hw_type, HwComponentType::Wire);
    EXPECT_TRUE(m.wire.ident_base.is_user_com);
    EXPECT_EQ(arena.hcp_width(m.wire), 4);
    std::vector<UpdateEventIdent> pool = pool_of(m.wire);
    ASSERT_EQ(pool.size(), 1u);
    EXPECT_EQ(arena.get_ue_common(pool[0]).priority, 70);
}

TEST_F(MuxTest, GenMuxSlicesItsConditionDownToOneBit) {
    HcpIdent flags = arena.make_reg(true, "flags", 8);
    MuxResult m = arena.gen_mux("m", flags, Slice{3, 4}, HcpTerm{a, std::nullopt},
                                HcpTerm{b, std::nullopt}, 4);
    const UeCond& c = ue<UeCond>(arena, pool_of(m.wire).at(0));
    const HcpIdent& cond = arena.ident_of(*c.conds.at(0));
    EXPECT_EQ(name_of(cond), "m_CONDSLICE");
    const Expression& e = expr(arena, cond);
    EXPECT_EQ(e.op, LogicOp::SliceBit);
    EXPECT_EQ(e.a, flags);
    EXPECT_EQ(e.a_slice, std::optional<Slice>(Slice{3, 4}));
}

TEST_F(MuxTest, GenMuxRefusesBeforeCreatingAnything) {
    HcpIdent flags = arena.make_reg(true, "flags", 8);
    HcpTerm t{a, std::nullopt};
    struct Case {
        HcpIdent cond;
        OptSlice slice;
        int32_t width;
        std::string message;
    };
    std::vector<Case> cases = {
        {flags, std::nullopt, 4,
         "cond must be 1-bit, got 8 (slice the cond variable down to one bit)"},
        {flags, Slice{2, 4}, 4,
         "cond must be 1-bit, got 2 (slice the cond variable down to one bit)"},
        {flags, Slice{8, 9}, 4,
         "cond slice Slice { start: 8, stop: 9 } does not fit cond variable of width 8"},
        {sel, std::nullopt, 0, "mux needs a width >= 1, got 0"},
        {sel, std::nullopt, -3, "mux needs a width >= 1, got -3"},
        {sel, std::nullopt, kMaxBitWidth + 1,
         cat("mux needs a width <= ", kMaxBitWidth, ", got ", kMaxBitWidth + 1,
             " (no signal is wider); pass a narrower width")},
    };
    for (const Case& c : cases) {
        size_t wires = count_of(arena, module, HwComponentType::Wire);
        size_t exprs = count_of(arena, module, HwComponentType::Expression);
        EXPECT_EQ(user_message([&] { arena.gen_mux("m", c.cond, c.slice, t, t, c.width); }),
                  c.message);
        EXPECT_EQ(count_of(arena, module, HwComponentType::Wire), wires);
        EXPECT_EQ(count_of(arena, module, HwComponentType::Expression), exprs);
    }
}

TEST_F(MuxTest, GenMuxWhileComplexComponentsBuildWaitsForItsModuleLikeOtherBuiltParts) {
    arena.push_module(module, ModuleInitStage::FlowBlockBuild);
    MuxResult m = arena.gen_mux("m", sel, std::nullopt, HcpTerm{a, std::nullopt},
                                HcpTerm{b, std::nullopt}, 4);
    arena.pop_module();
    ASSERT_EQ(arena.pending_hcps().size(), 1u);
    EXPECT_EQ(arena.pending_hcps()[0].component, HcpRef(m.wire));
    EXPECT_EQ(pool_of(m.wire).size(), 1u);
}

using MuxFlowTest = FlowFixture;

std::vector<std::pair<uint64_t, bool>> stack_of(const ModelArena& arena) {
    std::vector<std::pair<uint64_t, bool>> out;
    for (const FlowStackEntry& e : arena.flow_block_stack()) {
        out.emplace_back(e.block.global_id(), e.lazy_closed);
    }
    return out;
}

TEST_F(MuxFlowTest, GenMuxLeavesTheFlowBlockStackAndTheModuleFlowAlone) {
    HcpIdent r = reg("r", 4);
    HcpIdent sel = arena.make_wire(true, "sel", 1);
    HcpTerm t{r, std::nullopt};
    arena.gen_mux("at_com_init", sel, std::nullopt, t, t, 4);
    begin_flow();
    arena.gen_mux("outside_blocks", sel, std::nullopt, t, t, 4);
    EXPECT_TRUE(arena.flow_block_stack().empty());
    FlowBlockIdent s = open_seq("s");
    arena.gen_basic_assign(r, val(4, 1), std::nullopt, std::nullopt);
    auto before = stack_of(arena);
    arena.gen_mux("inside_seq", sel, std::nullopt, t, t, 4);
    EXPECT_EQ(stack_of(arena), before);
    arena.gen_basic_assign(r, val(4, 2), std::nullopt, std::nullopt);
    close(s);
    end_flow_and_build();

    const Module& m = arena.get_module(top);
    EXPECT_EQ(m.flow_blocks, std::vector<FlowBlockIdent>{s});
    EXPECT_TRUE(m.basic_nodes_i.empty());
    EXPECT_EQ(created_of(s).size(), 2u);  // one state per assignment, none for the mux
    EXPECT_EQ(wrap_of(s).cycle, 2);
}

}  // namespace
}  // namespace velmora::testing
