// Karray writes: the decoders of dynamic indexes, the enables of custom indexes and their ANDs
// across dimensions, the one assignment node per write, source fitting, and the refusals.
#include <string>
#include <vector>

#include "karray_support.h"

namespace velmora::testing {
namespace {

class KarrayWriteTest : public KarrayTest {
protected:
    std::vector<KarrayFit> write(const CcpIdent& k, std::vector<Kidx> sel,
                                 std::vector<KarraySource> sources, bool clocked = true) {
        return arena.karray_assign_hcps(k, sel, sources, clocked);
    }
};

TEST_F(KarrayWriteTest, StaticWriteIsOneUnguardedAssignmentOfTheElement) {
    CcpIdent k = make({2, 3}, {{"a", 8}, {"b", 1}});
    HcpIdent d = wire("d", 8);
    write(k, {Kidx::fixed(1), Kidx::fixed(2)}, {{"a", d}});
    NcpIdent n = last_node();
    EXPECT_EQ(n.ident_base.rel_view(), "elem_asm_k");
    EXPECT_EQ(guarded_writes(n), (std::vector<std::string>{" -> k_E5_a"}));
    const AssignMeta& m = node<AsmNode>(arena, n).asm_metas.at(0);
    EXPECT_EQ(arena.get_ue_common(*m.cur_ue).clk_mode, ClockMode::PosEdge);
    EXPECT_EQ(name_of(arena.ident_of(ue<UeBasic>(arena, *m.cur_ue).src)), "d");
}

TEST_F(KarrayWriteTest, DynamicIndexDecodesIntoOneComparatorPerIndex) {
    CcpIdent k = make({3}, {{"v", 8}});
    HcpIdent i = wire("i", 2);
    HcpIdent d = wire("d", 8);
    write(k, {Kidx::dyn(i)}, {{"v", d}});
    NcpIdent n = last_node();
    EXPECT_EQ(n.ident_base.rel_view(), "karr_asm_k");
    EXPECT_EQ(guarded_writes(n),
              (std::vector<std::string>{"k_D0_EQ0 -> k_E0_v", "k_D0_EQ1 -> k_E1_v",
                                        "k_D0_EQ2 -> k_E2_v"}));
    for (uint64_t v = 0; v < 3; ++v) {
        HcpIdent eq = arena.ident_of(*node<AsmNode>(arena, n).asm_metas[v].pending_pre_cond);
        const Expression& e = hcp<Expression>(arena, eq);
        EXPECT_EQ(e.op, LogicOp::RelationEq);
        EXPECT_EQ(e.a, i);
        EXPECT_EQ(name_of(*e.b), cat("k_D0_EQ", v, "_C"));
        EXPECT_EQ(val_of(arena, *e.b), v);
        EXPECT_EQ(arena.hcp_width(*e.b), 2);  // as wide as the index
    }
}

TEST_F(KarrayWriteTest, EnablesAndAcrossDimensionsAndComparatorsAreShared) {
    CcpIdent k = make({2, 3}, {{"v", 8}});
    HcpIdent e0 = bit("e0");
    HcpIdent e1 = bit("e1");
    HcpIdent j = wire("j", 2);
    HcpIdent d = wire("d", 8);
    write(k, {Kidx::custom({e0, e1}), Kidx::dyn(j)}, {{"v", d}});
    EXPECT_EQ(guarded_writes(last_node()),
              (std::vector<std::string>{"(e0 & k_D1_EQ0) -> k_E0_v", "(e0 & k_D1_EQ1) -> k_E1_v",
                                        "(e0 & k_D1_EQ2) -> k_E2_v", "(e1 & k_D1_EQ0) -> k_E3_v",
                                        "(e1 & k_D1_EQ1) -> k_E4_v", "(e1 & k_D1_EQ2) -> k_E5_v"}));
    std::vector<std::string> exprs = internal_names(arena, module, HwComponentType::Expression);
    EXPECT_EQ(std::count(exprs.begin(), exprs.end(), "k_D1_EQ0"), 1);
    EXPECT_EQ(std::count_if(exprs.begin(), exprs.end(),
                            [](const std::string& s) { return s.ends_with("_WE"); }),
              6);
}

TEST_F(KarrayWriteTest, EveryMatchedFieldOfEveryReachedElementIsWritten) {
    CcpIdent k = make({2}, {{"a", 8}, {"b", 1}, {"c", 4}});
    HcpIdent e0 = bit("e0");
    HcpIdent e1 = bit("e1");
    write(k, {Kidx::custom({e0, e1})}, {{"c", wire("dc", 4)}, {"a", wire("da", 8)}});
    EXPECT_EQ(
        guarded_writes(last_node()),
        (std::vector<std::string>{"e0 -> k_E0_c", "e0 -> k_E0_a", "e1 -> k_E1_c", "e1 -> k_E1_a"}));
}

TEST_F(KarrayWriteTest, SourcesAreFittedOncePerFieldAsAssignmentsAre) {
    CcpIdent k = make({3}, {{"a", 8}, {"b", 2}});
    HcpIdent i = wire("i", 2);
    HcpIdent narrow = wire("narrow", 4);
    HcpIdent wide = wire("wide", 6);
    std::vector<KarrayFit> fits = write(k, {Kidx::dyn(i)}, {{"a", narrow}, {"b", wide}});
    ASSERT_EQ(fits.size(), 2u);
    EXPECT_EQ(fits[0].fit.kind, 1);
    EXPECT_EQ(fits[0].fit.src_width, 4);
    EXPECT_EQ(fits[0].fit.des_width, 8);
    EXPECT_EQ(name_of(fits[0].des), "k_E0_a");
    EXPECT_EQ(fits[1].fit.kind, 2);
    std::vector<std::string> exprs = internal_names(arena, module, HwComponentType::Expression);
    EXPECT_EQ(std::count(exprs.begin(), exprs.end(), "narrow_ext"), 1);
    for (const AssignMeta& m : node<AsmNode>(arena, last_node()).asm_metas) {
        const UeBasic& e = ue<UeBasic>(arena, *m.cur_ue);
        if (arena.ident_of(m.des).rel_name().ends_with("_a")) {
            EXPECT_EQ(name_of(arena.ident_of(e.src)), "narrow_ext");
            EXPECT_EQ(e.src_slice, (Slice{0, 8}));
        } else {
            EXPECT_EQ(name_of(arena.ident_of(e.src)), "wide");
            EXPECT_EQ(e.src_slice, (Slice{0, 2}));
        }
    }
}

TEST_F(KarrayWriteTest, WireBackedWriteIsCombinational) {
    CcpIdent k = make({2}, {{"v", 8}}, HwComponentType::Wire);
    write(k, {Kidx::fixed(1)}, {{"v", wire("d", 8)}}, false);
    const AssignMeta& m = node<AsmNode>(arena, last_node()).asm_metas.at(0);
    EXPECT_EQ(arena.get_ue_common(*m.cur_ue).clk_mode, ClockMode::ClkFree);
}

TEST_F(KarrayWriteTest, ArrayToArrayCopyMatchesFieldsByNameAndWidth) {
    CcpIdent src =
        arena.make_karray("s", {3}, {{"a", 8}, {"b", 4}, {"c", 2}}, HwComponentType::Reg);
    CcpIdent dst =
        arena.make_karray("t", {2}, {{"b", 8}, {"a", 8}, {"d", 3}}, HwComponentType::Reg);
    HcpIdent i = wire("i", 2);
    arena.karray_assign_k2k(dst, {Kidx::fixed(1)}, src, {Kidx::dyn(i)}, {}, true);
    const AsmNode& n = node<AsmNode>(arena, last_node());
    ASSERT_EQ(n.asm_metas.size(), 1u);
    EXPECT_EQ(name_of(arena.ident_of(n.asm_metas[0].des)), "t_E1_a");
    HcpIdent read = arena.ident_of(ue<UeBasic>(arena, *n.asm_metas[0].cur_ue).src);
    const std::string i0 = "s_D0_B0_N(s_D0_B0(i[0]))";
    const std::string i1 = "s_D0_B1_N(s_D0_B1(i[1]))";
    EXPECT_EQ(tree(read), cat("(", i1, " ? (", i0, " ? s_E0_a : s_E1_a) : s_E2_a)"));
    KarrayFieldPairs pairs;
    EXPECT_EQ(match_karray_fields(arena, dst, src, pairs), std::nullopt);
    EXPECT_EQ(pairs.pairs, (std::vector<std::pair<size_t, size_t>>{{1, 0}}));
    EXPECT_TRUE(pairs.skipped);
}

TEST_F(KarrayWriteTest, WriteRefusalsComeBeforeAnythingIsMade) {
    CcpIdent regs = make({2, 3}, {{"v", 8}});
    CcpIdent wires = arena.make_karray("w", {2}, {{"v", 8}}, HwComponentType::Wire);
    HcpIdent d = wire("d", 8);
    HcpIdent i = wire("i", 1);
    HcpIdent wide = wire("wide", 2);
    HcpIdent e = bit("e");
    uint64_t next = peek_global_id();
    auto refusal = [&](const CcpIdent& k, std::vector<Kidx> sel, std::vector<KarraySource> sources,
                       bool clocked) {
        return user_error([&] { arena.karray_assign_hcps(k, sel, sources, clocked); });
    };
    EXPECT_EQ(refusal(wires, {Kidx::fixed(0)}, {{"v", d}}, true),
              "TypeError: `|=` (clocked assign) requires a reg-backed Karray");
    EXPECT_EQ(refusal(regs, {Kidx::fixed(0), Kidx::fixed(0)}, {{"v", d}}, false),
              "TypeError: `*=` (combinational assign) requires a wire-backed Karray");
    EXPECT_EQ(refusal(wires, {Kidx::dyn(i)}, {{"v", d}}, false),
              "TypeError: a dynamic (signal / custom-fn indexed) Karray write requires a "
              "reg-backed Karray; a wire cannot hold its non-selected elements");
    EXPECT_EQ(refusal(regs, {Kidx::reduce(), Kidx::fixed(0)}, {{"v", d}}, true),
              "a reduce (read-side custom) index cannot be a write destination; on the write "
              "side a custom fn is a per-index enable (fn(i) -> 1-bit)");
    EXPECT_EQ(refusal(regs, {Kidx::fixed(0), Kidx::dyn(i)}, {{"v", d}}, true),
              "dynamic index for dim 1 needs >= 2 bits to address 3 elements, got 1");
    EXPECT_EQ(refusal(regs, {Kidx::custom({e, wide}), Kidx::fixed(0)}, {{"v", d}}, true),
              "custom write enable 1 for dimension 0 must be 1-bit, got 2 (slice or reduce it to "
              "one bit)");
    EXPECT_EQ(refusal(regs, {Kidx::fixed(0), Kidx::fixed(3)}, {{"v", d}}, true),
              "index 3 out of bounds for dimension 1 of size 3");
    EXPECT_EQ(refusal(regs, {Kidx::fixed(0), Kidx::fixed(0)}, {{"x", d}}, true),
              "Karray assignment: no source matched any field");
    EXPECT_EQ(peek_global_id(), next);
    CcpIdent other = arena.make_karray("o", {2}, {{"x", 8}}, HwComponentType::Reg);
    next = peek_global_id();
    EXPECT_EQ(user_error([&] {
                  arena.karray_assign_k2k(regs, {Kidx::fixed(0), Kidx::fixed(0)}, other,
                                          {Kidx::fixed(0)}, {}, true);
              }),
              "Karray assignment: no destination field matches a source field by name+width");
    EXPECT_EQ(peek_global_id(), next);
}

}  // namespace
}  // namespace velmora::testing
