#include "comb_test_support.h"
#include "model/arena_impl_comb/comb_checks.h"

namespace velmora::testing {
namespace {

class ReduceTest : public ModelTest {
protected:
    std::vector<HcpTerm> terms(int n, int32_t width = 1) {
        std::vector<HcpTerm> out;
        for (int i = 0; i < n; ++i) {
            out.push_back(HcpTerm{arena.make_reg(true, cat("b", i), width), std::nullopt});
        }
        return out;
    }
    /// The reduction tree in prefix form: "(t b0 b1)" for a pair, leaves by name.
    std::string tree(const HcpIdent& id) {
        if (id.hw_type != HwComponentType::Expression || name_of(id) == "sum_ext") {
            return id.hw_type == HwComponentType::Expression ? tree(expr(arena, id).a)
                                                             : name_of(id);
        }
        const Expression& e = expr(arena, id);
        return cat("(", name_of(id), " ", tree(e.a), " ", tree(*e.b), ")");
    }
};

TEST_F(ReduceTest, FoldBalancedPairsInOrderAndMovesTheOddTermUp) {
    std::vector<HcpTerm> five = terms(5);
    HcpTerm r = arena.fold_balanced("any", five, LogicOp::LogicalOr);
    EXPECT_EQ(tree(r.sig), "(any_t (any_t (any_t b0 b1) (any_t b2 b3)) b4)");
    EXPECT_EQ(count_of(arena, module, HwComponentType::Expression), 4u);
}

TEST_F(ReduceTest, FoldBalancedDepthIsTheCeilingOfLog2) {
    for (int n : {1, 2, 3, 4, 5, 8, 9, 33}) {
        std::vector<HcpTerm> ts = terms(n);
        size_t before = count_of(arena, module, HwComponentType::Expression);
        HcpTerm r = arena.fold_balanced("f", ts, LogicOp::LogicalOr);
        EXPECT_EQ(count_of(arena, module, HwComponentType::Expression) - before, size_t(n - 1));
        int depth = 0;
        for (HcpIdent cur = r.sig; cur.hw_type == HwComponentType::Expression;
             cur = expr(arena, cur).a) {
            ++depth;
        }
        int expected = 0;
        while ((1 << expected) < n) ++expected;
        EXPECT_EQ(depth, expected) << n << " terms";
    }
}

TEST_F(ReduceTest, FoldBalancedKeepsTheTermsSlicesAndTheOperatorsWidth) {
    HcpIdent x = arena.make_reg(true, "x", 8);
    HcpTerm r = arena.fold_balanced("s", {HcpTerm{x, Slice{4, 7}}, HcpTerm{x, Slice{0, 3}}},
                                    LogicOp::ArithPlus);
    const Expression& e = expr(arena, r.sig);
    EXPECT_EQ(e.a_slice, std::optional<Slice>(Slice{4, 7}));
    EXPECT_EQ(e.b_slice, std::optional<Slice>(Slice{0, 3}));
    EXPECT_EQ(e.bit_width, 3);
    EXPECT_EQ(panic_message([&] { arena.fold_balanced("s", {}, LogicOp::ArithPlus); }),
              "fold_balanced 's': no terms to reduce");
}

TEST_F(ReduceTest, AnyOfOfNoTermIsAZeroBitAndOfOneTermNothing) {
    OptHcpIdent none = arena.gen_any_of("any", {});
    ASSERT_TRUE(none.has_value());
    EXPECT_EQ(none->hw_type, HwComponentType::Val);
    EXPECT_EQ(name_of(*none), "any");
    EXPECT_EQ(arena.hcp_width(*none), 1);
    EXPECT_EQ(val_of(arena, *none), 0u);
    size_t exprs = count_of(arena, module, HwComponentType::Expression);
    EXPECT_FALSE(arena.gen_any_of("any", terms(1)).has_value());
    EXPECT_EQ(count_of(arena, module, HwComponentType::Expression), exprs);
}

TEST_F(ReduceTest, SumCntExtendsEveryTermThenAddsThemPairwise) {
    HcpIdent r = arena.gen_sum_cnt("sum", terms(3), std::nullopt);
    EXPECT_EQ(arena.hcp_width(r), 2);
    EXPECT_EQ(tree(r), "(sum_t (sum_t b0 b1) b2)");
    for (const HcpIdent& e :
         hcp_idents(arena, arena.get_module(module), HwComponentType::Expression, true)) {
        const Expression& x = expr(arena, e);
        EXPECT_EQ(x.bit_width, 2);
        if (name_of(e) == "sum_ext") EXPECT_EQ(x.op, LogicOp::ExtendBit);
        if (name_of(e) == "sum_t") EXPECT_EQ(x.op, LogicOp::ArithPlus);
    }
}

TEST_F(ReduceTest, SumCntNarrowerThanATermAddsItsLowBits) {
    HcpIdent x = arena.make_reg(true, "x", 8);
    HcpIdent r = arena.gen_sum_cnt("sum", {HcpTerm{x, Slice{1, 8}}, HcpTerm{x, std::nullopt}}, 3);
    const Expression& e = expr(arena, r);
    EXPECT_EQ(expr(arena, e.a).a_slice, std::optional<Slice>(Slice{1, 4}));
    EXPECT_EQ(expr(arena, *e.b).a_slice, std::optional<Slice>(Slice{0, 3}));
    EXPECT_EQ(e.bit_width, 3);
}

TEST_F(ReduceTest, SumCntRefusesBeforeCreatingAnything) {
    std::vector<HcpTerm> two = terms(2);
    std::vector<HcpTerm> widest = {HcpTerm{arena.make_reg(true, "w0", kMaxBitWidth), std::nullopt},
                                   HcpTerm{arena.make_reg(true, "w1", 1), std::nullopt}};
    struct Case {
        std::vector<HcpTerm> bits;
        std::optional<int32_t> width;
        std::string message;
    };
    std::vector<Case> cases = {
        {{}, std::nullopt, "sum_cnt of no signals has no width — pass at least one"},
        {two, 0, cat("sum_cnt needs a width from 1 to ", kMaxBitWidth, ", got 0")},
        {two, -5, cat("sum_cnt needs a width from 1 to ", kMaxBitWidth, ", got -5")},
        {two, kMaxBitWidth + 1,
         cat("sum_cnt needs a width from 1 to ", kMaxBitWidth, ", got ", kMaxBitWidth + 1)},
        {widest, std::nullopt,
         cat("sum_cnt of 2 terms of up to ", kMaxBitWidth, " bits needs ", kMaxBitWidth + 1,
             " bits, more than the ", kMaxBitWidth,
             "-bit limit of a signal; pass a narrower width (the sum is then kept modulo "
             "2^width)")},
    };
    for (const Case& c : cases) {
        size_t exprs = count_of(arena, module, HwComponentType::Expression);
        EXPECT_EQ(user_message([&] { arena.gen_sum_cnt("sum", c.bits, c.width); }), c.message);
        EXPECT_EQ(count_of(arena, module, HwComponentType::Expression), exprs);
    }
}

/// Bit length of n * (2^m - 1), computed on 128-bit values (valid while it fits).
int64_t brute_width(uint64_t n, int32_t m) {
    unsigned __int128 v = static_cast<unsigned __int128>(n) * ((uint64_t{1} << m) - 1);
    int64_t bits = 0;
    while (v != 0) {
        v >>= 1;
        ++bits;
    }
    return bits;
}

TEST(SumCntWidth, MatchesTheExactProductWhereItFits) {
    for (uint64_t n = 1; n <= 300; ++n) {
        for (int32_t m = 1; m <= 60; ++m) {
            ASSERT_EQ(sum_cnt_width(n, m), brute_width(n, m)) << n << " x " << m;
        }
    }
    for (int32_t m = 1; m <= 63; ++m) {
        for (uint64_t n :
             {~uint64_t{0}, (uint64_t{1} << 63) + 1, uint64_t{1} << 63, (uint64_t{1} << 40) + 3}) {
            if (m + 64 <= 127) ASSERT_EQ(sum_cnt_width(n, m), brute_width(n, m)) << n << " x " << m;
        }
    }
}

TEST(SumCntWidth, WideTermsAndHugeCountsDoNotOverflow) {
    EXPECT_EQ(sum_cnt_width(~uint64_t{0}, 100), 164);            // (2^64 - 1)(2^100 - 1)
    EXPECT_EQ(sum_cnt_width(uint64_t{1} << 63, 100), 163);       // 2^63 (2^100 - 1)
    EXPECT_EQ(sum_cnt_width((uint64_t{1} << 63) + 1, 63), 126);  // 2^126 - 1
    EXPECT_EQ(sum_cnt_width(1, 101), 101);
    EXPECT_EQ(sum_cnt_width(3, 101), 103);
    EXPECT_EQ(sum_cnt_width(4, 101), 103);
    EXPECT_EQ(sum_cnt_width(~uint64_t{0}, kMaxBitWidth), int64_t{kMaxBitWidth} + 64);
}

}  // namespace
}  // namespace velmora::testing
