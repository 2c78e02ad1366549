// The dynamic counter: its chain of sums and step wires, the commit, and its refusals.
#include <string>
#include <vector>

#include "../model/model_test_support.h"
#include "common/user_error.h"

namespace velmora::testing {
namespace {

class DynCounterTest : public ModelTest {
protected:
    const DynCounter& counter(const CcpIdent& id) {
        return arena.group<DynCounter>().get(id.handle());
    }
    /// "ADD(a, b)" of an expression's operands, by name.
    std::string operands(const HcpIdent& id) {
        const Expression& e = hcp<Expression>(arena, id);
        return cat(name_of(e.a), " + ", name_of(*e.b));
    }
    HcpIdent constant(std::string_view name, uint64_t v) {
        return arena.make_val(true, name, 8, v);
    }
};

TEST_F(DynCounterTest, MakesItsRegisterFirst) {
    CcpIdent c = arena.make_dyn_counter("c", 8);
    HcpIdent reg = arena.dyn_counter_get_reg(c);
    EXPECT_EQ(name_of(reg), "c_CNT");
    EXPECT_EQ(reg.hw_type, HwComponentType::Reg);
    EXPECT_EQ(arena.hcp_width(reg), 8);
    EXPECT_LT(reg.global_id(), c.global_id());
    EXPECT_EQ(arena.dyn_counter_get_now(c), reg);
    EXPECT_EQ(arena.get_module(module).ccps, std::vector<CcpIdent>{c});
}

TEST_F(DynCounterTest, AddsChainOntoThePreviousSum) {
    CcpIdent c = arena.make_dyn_counter("c", 8);
    HcpIdent s0 =
        arena.dyn_counter_add(c, constant("one", 1), std::nullopt, std::nullopt, std::nullopt);
    HcpIdent s1 =
        arena.dyn_counter_add(c, constant("two", 2), std::nullopt, std::nullopt, std::nullopt);
    HcpIdent s2 =
        arena.dyn_counter_add(c, constant("four", 4), std::nullopt, std::nullopt, std::nullopt);
    EXPECT_EQ(name_of(s0), "c_ADD0");
    EXPECT_EQ(operands(s0), "c_CNT + one");
    EXPECT_EQ(operands(s1), "c_ADD0 + two");
    EXPECT_EQ(operands(s2), "c_ADD1 + four");
    EXPECT_EQ(hcp<Expression>(arena, s2).op, LogicOp::ArithPlus);
    EXPECT_EQ(arena.hcp_width(s2), 8);
    EXPECT_EQ(arena.dyn_counter_get_now(c), s2);
    EXPECT_EQ(counter(c).add_count, 3u);
}

TEST_F(DynCounterTest, EnabledAddSelectsTheSumOrTheRunningValueIntoAStepWire) {
    CcpIdent c = arena.make_dyn_counter("c", 8);
    HcpIdent en = bit("en");
    arena.dyn_counter_add(c, constant("one", 1), std::nullopt, std::nullopt, std::nullopt);
    HcpIdent st = arena.dyn_counter_add(c, constant("two", 2), std::nullopt, en, std::nullopt);
    HcpIdent after =
        arena.dyn_counter_add(c, constant("four", 4), std::nullopt, std::nullopt, std::nullopt);
    EXPECT_EQ(name_of(st), "c_ST1");
    EXPECT_EQ(st.hw_type, HwComponentType::Wire);
    EXPECT_EQ(arena.hcp_width(st), 8);
    EXPECT_EQ(operands(after), "c_ST1 + four");

    std::vector<UpdateEventIdent> pool =
        arena.read_hcp(st, [](const HcpBase& h) { return h.get_update_pool(); });
    ASSERT_EQ(pool.size(), 1u);
    const UeCond& sel = ue<UeCond>(arena, pool[0]);
    UeCommon common = arena.get_ue_common(pool[0]);
    EXPECT_EQ(common.clk_mode, ClockMode::ClkFree);
    EXPECT_EQ(common.priority, DEFAULT_UE_PRI_INTERNAL_MIN);
    ASSERT_EQ(sel.conds.size(), 2u);
    EXPECT_EQ(arena.ident_of(*sel.conds[0]), en);
    EXPECT_FALSE(sel.conds[1].has_value());
    EXPECT_EQ(name_of(arena.ident_of(ue<UeBasic>(arena, sel.ues[0]).src)), "c_ADD1");
    EXPECT_EQ(name_of(arena.ident_of(ue<UeBasic>(arena, sel.ues[1]).src)), "c_ADD0");
}

TEST_F(DynCounterTest, SlicedAddendAndEnableBecomeSliceExpressions) {
    CcpIdent c = arena.make_dyn_counter("c", 4);
    HcpIdent bus = arena.make_wire(true, "bus", 8);
    HcpIdent st = arena.dyn_counter_add(c, bus, Slice{4, 8}, bus, Slice{0, 1});
    EXPECT_EQ(name_of(st), "c_ST0");
    std::vector<std::string> exprs = internal_names(arena, module, HwComponentType::Expression);
    EXPECT_EQ(exprs, (std::vector<std::string>{"c_addend_CONDSLICE", "c_en_CONDSLICE", "c_ADD0"}));
}

TEST_F(DynCounterTest, AddendsOfAnotherWidthAreFittedToTheCounter) {
    CcpIdent c = arena.make_dyn_counter("c", 8);
    HcpIdent one_bit = bit("inc");
    HcpIdent wide = arena.make_wire(true, "wide", 12);
    HcpIdent s0 = arena.dyn_counter_add(c, one_bit, std::nullopt, std::nullopt, std::nullopt);
    HcpIdent s1 = arena.dyn_counter_add(c, wide, std::nullopt, std::nullopt, std::nullopt);
    const Expression& e0 = hcp<Expression>(arena, s0);
    EXPECT_EQ(name_of(*e0.b), "inc_ext");
    EXPECT_EQ(arena.hcp_width(*e0.b), 8);
    const Expression& e1 = hcp<Expression>(arena, s1);
    EXPECT_EQ(name_of(*e1.b), "wide");
    EXPECT_EQ(e1.b_slice, (Slice{0, 8}));
}

TEST_F(DynCounterTest, UpdateCommitsTheChainAsOneAssignmentAndStartsOver) {
    CcpIdent c = arena.make_dyn_counter("c", 8);
    HcpIdent reg = arena.dyn_counter_get_reg(c);
    for (int i = 0; i < 3; ++i) {
        arena.dyn_counter_add(c, constant("k", 1), std::nullopt, std::nullopt, std::nullopt);
    }
    arena.untrack_module_at_com_init(module);
    arena.track_module_at_flow_init(module);
    arena.dyn_counter_update(c);
    EXPECT_EQ(arena.dyn_counter_get_now(c), reg);

    // Outside any block the assignment lands in the module, as a user assignment would.
    const std::vector<NcpIdent>& nodes = arena.get_module(module).basic_nodes_i;
    ASSERT_EQ(nodes.size(), 1u);
    const AsmNode& n = node<AsmNode>(arena, nodes[0]);
    ASSERT_EQ(n.asm_metas.size(), 1u);
    EXPECT_EQ(n.asm_metas[0].des, reg);
    const UeBasic& e = ue<UeBasic>(arena, *n.asm_metas[0].cur_ue);
    EXPECT_EQ(name_of(arena.ident_of(e.src)), "c_ADD2");
    EXPECT_EQ(e.src_slice, (Slice{0, 8}));

    HcpIdent next =
        arena.dyn_counter_add(c, constant("k", 1), std::nullopt, std::nullopt, std::nullopt);
    EXPECT_EQ(name_of(next), "c_ADD3");
    EXPECT_EQ(name_of(hcp<Expression>(arena, next).a), "c_CNT");
}

TEST_F(DynCounterTest, UpdateWithNothingPendingIsRefused) {
    CcpIdent c = arena.make_dyn_counter("c", 8);
    try {
        arena.dyn_counter_update(c);
        FAIL() << "no refusal";
    } catch (const UserError& e) {
        EXPECT_STREQ(e.what(), "DynCounter update: nothing to commit — call add() first");
    }
}

TEST_F(DynCounterTest, WideEnableIsRefusedAfterTheSumIsMade) {
    CcpIdent c = arena.make_dyn_counter("c", 8);
    HcpIdent wide = arena.make_wire(true, "wide", 2);
    try {
        arena.dyn_counter_add(c, constant("k", 1), std::nullopt, wide, std::nullopt);
        FAIL() << "no refusal";
    } catch (const UserError& e) {
        EXPECT_STREQ(e.what(), "DynCounter add: enable must be 1-bit, got 2");
    }
    EXPECT_EQ(counter(c).add_count, 1u);
    EXPECT_EQ(arena.dyn_counter_get_now(c), arena.dyn_counter_get_reg(c));
    // The counter is back in its slot.
    EXPECT_NE(arena.find_ccp(c), nullptr);
}

TEST_F(DynCounterTest, WidthBelowOneIsAnInternalError) {
    EXPECT_EQ(panic_message([&] { arena.make_dyn_counter("c", 0); }),
              "DynCounter::new: width must be >= 1, got 0");
}

}  // namespace
}  // namespace velmora::testing
