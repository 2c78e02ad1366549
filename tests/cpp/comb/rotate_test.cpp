#include "comb_test_support.h"
#include "model/arena_impl_comb/comb_checks.h"

namespace velmora::testing {
namespace {

class RotateTest : public ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        x = arena.make_reg(true, "x", 12);
    }
    HcpIdent x;
};

struct RotateCase {
    OptSlice slice;
    int64_t amount;
    std::optional<int32_t> width;
    Slice rotated;   // the bits the shifts read
    int64_t shl_by;  // k
    int64_t shr_by;  // m - k
};

TEST_F(RotateTest, ShiftsTheRotatedBitsBothWaysAndOrsThem) {
    std::vector<RotateCase> cases = {
        {std::nullopt, 3, std::nullopt, Slice{0, 12}, 3, 9},
        {std::nullopt, -3, std::nullopt, Slice{0, 12}, 9, 3},
        {std::nullopt, 14, std::nullopt, Slice{0, 12}, 2, 10},
        {Slice{4, 12}, 10, std::nullopt, Slice{4, 12}, 2, 6},
        // A rotation narrower than the range turns only its low bits.
        {Slice{2, 10}, 1, 4, Slice{2, 6}, 1, 3},
        {std::nullopt, -1, 5, Slice{0, 5}, 4, 1},
        // An unusable slice stands for the whole signal.
        {Slice{5, 5}, 1, std::nullopt, Slice{0, 12}, 1, 11},
    };
    for (const RotateCase& c : cases) {
        OptHcpIdent r = arena.gen_rotate("rotate_left", "rot", x, c.slice, c.amount, c.width);
        ASSERT_TRUE(r.has_value());
        const Expression& e = expr(arena, *r);
        EXPECT_EQ(name_of(*r), "rot");
        EXPECT_EQ(e.op, LogicOp::BitwiseOr);
        EXPECT_EQ(e.bit_width, c.rotated.size());
        const Expression& shl = expr(arena, e.a);
        const Expression& shr = expr(arena, *e.b);
        EXPECT_EQ(name_of(e.a), "rot_shl");
        EXPECT_EQ(name_of(*e.b), "rot_shr");
        EXPECT_EQ(shl.op, LogicOp::BitwiseShl);
        EXPECT_EQ(shr.op, LogicOp::BitwiseShr);
        for (const Expression* s : {&shl, &shr}) {
            EXPECT_EQ(s->a, x);
            EXPECT_EQ(s->a_slice, std::optional<Slice>(c.rotated));
            EXPECT_EQ(s->bit_width, c.rotated.size());
            EXPECT_EQ(name_of(*s->b), "rot_c");
            EXPECT_EQ(arena.hcp_width(*s->b), 12);  // constants as wide as the whole signal
        }
        EXPECT_EQ(val_of(arena, *shl.b), uint64_t(c.shl_by));
        EXPECT_EQ(val_of(arena, *shr.b), uint64_t(c.shr_by));
    }
}

TEST_F(RotateTest, AMultipleOfTheRotatedWidthCreatesNothing) {
    for (auto [amount, width] : std::vector<std::pair<int64_t, std::optional<int32_t>>>{
             {0, std::nullopt}, {12, std::nullopt}, {-24, std::nullopt}, {5, 5}, {-10, 5}}) {
        size_t exprs = count_of(arena, module, HwComponentType::Expression);
        size_t vals = count_of(arena, module, HwComponentType::Val);
        EXPECT_FALSE(arena.gen_rotate("rotate_left", "rot", x, std::nullopt, amount, width));
        EXPECT_EQ(count_of(arena, module, HwComponentType::Expression), exprs);
        EXPECT_EQ(count_of(arena, module, HwComponentType::Val), vals);
    }
}

TEST_F(RotateTest, ExtremeAmountsReduceWithoutOverflow) {
    int64_t lowest = int64_t{INT32_MIN};
    OptHcpIdent r = arena.gen_rotate("rotate_right", "rot", x, std::nullopt, -lowest, std::nullopt);
    ASSERT_TRUE(r.has_value());  // 2^31 mod 12 = 8
    EXPECT_EQ(val_of(arena, *expr(arena, expr(arena, *r).a).b), 8u);
}

TEST_F(RotateTest, BadWidthsAreRefusedBeforeAnythingIsCreated) {
    struct Case {
        const char* op;
        OptSlice slice;
        int32_t width;
        std::string message;
    };
    std::vector<Case> cases = {
        {"rotate_left", std::nullopt, 0, "rotate_left needs a width >= 1, got 0"},
        {"rotate_right", std::nullopt, -2, "rotate_right needs a width >= 1, got -2"},
        {"rotate_left", std::nullopt, 13,
         "rotate_left width 13 exceeds the signal's 12 bits — a rotate is only a rotate over "
         "bits that are there"},
        {"rotate_right", Slice{4, 8}, 5,
         "rotate_right width 5 exceeds the signal's 4 bits — a rotate is only a rotate over "
         "bits that are there"},
    };
    for (const Case& c : cases) {
        size_t vals = count_of(arena, module, HwComponentType::Val);
        EXPECT_EQ(user_message([&] { arena.gen_rotate(c.op, "rot", x, c.slice, 1, c.width); }),
                  c.message);
        EXPECT_EQ(count_of(arena, module, HwComponentType::Val), vals);
    }
}

}  // namespace
}  // namespace velmora::testing
