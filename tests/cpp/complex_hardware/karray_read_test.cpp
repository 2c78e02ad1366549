// Karray reads: the mux trees of dynamic indexes, the folds of reduces with the select fn's
// contract, and the refusals of a read.
#include "model/complex_hardware/karray_read.h"

#include <stdexcept>
#include <string>
#include <vector>

#include "karray_support.h"

namespace velmora::testing {
namespace {

KarrayReduceFns none() {
    return {};
}

TEST_F(KarrayTest, StaticReadIsTheElementItselfAndMakesNothing) {
    CcpIdent k = make({2, 3}, {{"a", 4}, {"b", 1}});
    uint64_t next = peek_global_id();
    HcpIdent r = arena.karray_read_field_hcp(k, {Kidx::fixed(1), Kidx::fixed(2)}, none(), "a");
    EXPECT_EQ(name_of(r), "k_E5_a");
    EXPECT_EQ(peek_global_id(), next);
}

TEST_F(KarrayTest, DynamicReadOfFiveFoldsFiveThreeTwoOne) {
    CcpIdent k = make({5}, {{"v", 8}, {"w", 2}});
    HcpIdent i = wire("i", 3);
    HcpIdent r = arena.karray_read_field_hcp(k, {Kidx::dyn(i)}, none(), "v");
    EXPECT_EQ(name_of(r), "k_D0L2N0F0_DMUX");
    EXPECT_EQ(arena.hcp_width(r), 8);
    const std::string b0 = "k_D0_B0_N(k_D0_B0(i[0]))";
    const std::string b1 = "k_D0_B1_N(k_D0_B1(i[1]))";
    const std::string b2 = "k_D0_B2_N(k_D0_B2(i[2]))";
    EXPECT_EQ(tree(r), cat("(", b2, " ? (", b1, " ? (", b0, " ? k_E0_v : k_E1_v) : (", b0,
                           " ? k_E2_v : k_E3_v)) : k_E4_v)"));
    // Only the field read is muxed; each bit select is made once.
    EXPECT_EQ(internal_names(arena, module, HwComponentType::Wire),
              (std::vector<std::string>{"k_D0L0N0F0_DMUX", "k_D0L0N1F0_DMUX", "k_D0L1N0F0_DMUX",
                                        "k_D0L2N0F0_DMUX"}));
    EXPECT_EQ(internal_names(arena, module, HwComponentType::Expression),
              (std::vector<std::string>{"k_D0_B0", "k_D0_B0_N", "k_D0_B1", "k_D0_B1_N", "k_D0_B2",
                                        "k_D0_B2_N"}));
}

TEST_F(KarrayTest, DynamicReadOfOneElementNeedsOneBitAndMakesNothing) {
    CcpIdent k = make({1}, {{"v", 8}});
    HcpIdent i = wire("i", 1);
    uint64_t next = peek_global_id();
    EXPECT_EQ(name_of(arena.karray_read_field_hcp(k, {Kidx::dyn(i)}, none(), "v")), "k_E0_v");
    EXPECT_EQ(peek_global_id(), next);
}

TEST_F(KarrayTest, TwoDynamicIndexesFoldTheInnerDimensionPerOuterIndex) {
    CcpIdent k = make({2, 3}, {{"v", 8}});
    HcpIdent i = wire("i", 1);
    HcpIdent j = wire("j", 2);
    HcpIdent r = arena.karray_read_field_hcp(k, {Kidx::dyn(i), Kidx::dyn(j)}, none(), "v");
    const std::string i0 = "k_D0_B0_N(k_D0_B0(i[0]))";
    const std::string j0 = "k_D1_B0_N(k_D1_B0(j[0]))";
    const std::string j1 = "k_D1_B1_N(k_D1_B1(j[1]))";
    EXPECT_EQ(tree(r), cat("(", i0, " ? (", j1, " ? (", j0, " ? k_E0_v : k_E1_v) : k_E2_v) : (", j1,
                           " ? (", j0, " ? k_E3_v : k_E4_v) : k_E5_v))"));
}

TEST_F(KarrayTest, StaticAndDynamicIndexesMix) {
    CcpIdent k = make({2, 3}, {{"v", 8}});
    HcpIdent i = wire("i", 1);
    HcpIdent r = arena.karray_read_field_hcp(k, {Kidx::dyn(i), Kidx::fixed(2)}, none(), "v");
    EXPECT_EQ(tree(r), "(k_D0_B0_N(k_D0_B0(i[0])) ? k_E2_v : k_E5_v)");
}

/// One call of a select fn as it saw it.
struct Call {
    std::vector<std::string> a;
    std::vector<uint64_t> a_idx;
    std::vector<std::string> b;
    std::vector<uint64_t> b_idx;
    uint32_t level;
    bool operator==(const Call&) const = default;
};

std::vector<std::string> names_of(const KarrayCandidate& c) {
    std::vector<std::string> out;
    for (const KarrayEntry& e : c.entries) out.push_back(cat(e.name, "=", name_of(e.sig)));
    return out;
}

TEST_F(KarrayTest, ReduceCallsTheSelectFnPerPairWithWholeCandidates) {
    CcpIdent k = make({5}, {{"score", 8}, {"id", 3}});
    std::vector<Call> calls;
    KarrayReduceFns fns = {[&](const KarrayCandidate& a, const KarrayCandidate& b, uint32_t level) {
        calls.push_back({names_of(a), a.indices, names_of(b), b.indices, level});
        // The select fn builds logic through the arena while the read runs.
        HcpIdent ge = arena.make_expression(true, "ge", LogicOp::RelationGeq, a.entries[0].sig,
                                            b.entries[0].sig, std::nullopt, std::nullopt);
        return KarrayPick{ge, {}};
    }};
    HcpIdent r = arena.karray_read_field_hcp(k, {Kidx::reduce()}, fns, "id");
    std::vector<Call> want = {
        {{"score=k_E0_score", "id=k_E0_id"}, {0}, {"score=k_E1_score", "id=k_E1_id"}, {1}, 0},
        {{"score=k_E2_score", "id=k_E2_id"}, {2}, {"score=k_E3_score", "id=k_E3_id"}, {3}, 0},
        {{"score=k_D0L0N0F0_DMUX", "id=k_D0L0N0F1_DMUX"},
         {0, 1},
         {"score=k_D0L0N1F0_DMUX", "id=k_D0L0N1F1_DMUX"},
         {2, 3},
         1},
        {{"score=k_D0L1N0F0_DMUX", "id=k_D0L1N0F1_DMUX"},
         {0, 1, 2, 3},
         {"score=k_E4_score", "id=k_E4_id"},
         {4},
         2},
    };
    EXPECT_EQ(calls, want);
    EXPECT_EQ(name_of(r), "k_D0L2N0F1_DMUX");
    EXPECT_EQ(tree(r),
              "(ge ? (ge ? (ge ? k_E0_id : k_E1_id) : (ge ? k_E2_id : k_E3_id)) : k_E4_id)");
    // The last merge's score is read by nothing: no mux is made for it.
    std::vector<std::string> wires = internal_names(arena, module, HwComponentType::Wire);
    EXPECT_EQ(std::count(wires.begin(), wires.end(), "k_D0L2N0F0_DMUX"), 0);
    EXPECT_EQ(std::count(wires.begin(), wires.end(), "k_D0L2N0F1_DMUX"), 1);
}

TEST_F(KarrayTest, ReduceExtrasReplaceEntriesOfTheirNameOrAreAppended) {
    CcpIdent k = make({4}, {{"v", 8}});
    HcpIdent pick = bit("pick");
    HcpIdent t0 = wire("t0", 2);
    HcpIdent t1 = wire("t1", 2);
    HcpIdent better = wire("better", 8);
    std::vector<Call> calls;
    KarrayReduceFns fns = {[&](const KarrayCandidate& a, const KarrayCandidate& b, uint32_t level) {
        calls.push_back({names_of(a), a.indices, names_of(b), b.indices, level});
        if (level == 0) return KarrayPick{pick, {{"tag", a.indices[0] == 0 ? t0 : t1}}};
        return KarrayPick{pick, {{"v", better}}};
    }};
    std::vector<HcpIdent> r = read_karray(arena, k, {Kidx::reduce()}, fns, {"v", "tag"});
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[2].a, (std::vector<std::string>{"v=k_D0L0N0F0_DMUX", "tag=t0"}));
    EXPECT_EQ(calls[2].b, (std::vector<std::string>{"v=k_D0L0N1F0_DMUX", "tag=t1"}));
    EXPECT_EQ(name_of(r[0]), "better");
    EXPECT_EQ(tree(r[1]), "(pick ? t0 : t1)");
}

TEST_F(KarrayTest, ReduceInsideADynamicDimensionMuxesTheExtrasToo) {
    CcpIdent k = make({2, 2}, {{"v", 8}});
    HcpIdent i = wire("i", 1);
    HcpIdent pick = bit("pick");
    KarrayReduceFns fns = {KarrayReduceFn{},
                           [&](const KarrayCandidate& a, const KarrayCandidate&, uint32_t) {
                               return KarrayPick{pick, {{"v", a.entries[0].sig}}};
                           }};
    HcpIdent r = arena.karray_read_field_hcp(k, {Kidx::dyn(i), Kidx::reduce()}, fns, "v");
    EXPECT_EQ(tree(r), "(k_D0_B0_N(k_D0_B0(i[0])) ? k_E0_v : k_E2_v)");
}

TEST_F(KarrayTest, AThrowingSelectFnLeavesTheArrayInItsSlot) {
    CcpIdent k = make({4}, {{"v", 8}});
    HcpIdent pick = bit("pick");
    KarrayReduceFns fns = {[&](const KarrayCandidate&, const KarrayCandidate&, uint32_t level) {
        // The array can be read while the select fn runs.
        EXPECT_EQ(arena.karray_shape(k), (std::vector<uint64_t>{4}));
        if (level == 1) throw std::runtime_error("select fn failed");
        return KarrayPick{pick, {}};
    }};
    EXPECT_THROW(arena.karray_read_field_hcp(k, {Kidx::reduce()}, fns, "v"), std::runtime_error);
    EXPECT_NE(arena.find_ccp(k), nullptr);
    EXPECT_EQ(arena.module_trace_stack().size(), 1u);
    EXPECT_EQ(name_of(arena.karray_read_field_hcp(k, {Kidx::fixed(3)}, fns, "v")), "k_E3_v");
}

TEST_F(KarrayTest, ASelectFnAnswerIsChecked) {
    CcpIdent k = make({2}, {{"v", 8}});
    HcpIdent wide = wire("wide", 2);
    KarrayReduceFns fns = {[&](const KarrayCandidate&, const KarrayCandidate&, uint32_t) {
        return KarrayPick{wide, {}};
    }};
    EXPECT_EQ(user_error([&] { arena.karray_read_field_hcp(k, {Kidx::reduce()}, fns, "v"); }),
              "Karray reduce: the select fn of dimension 0 must return a 1-bit pick, got 2 bits");
}

struct ReadRefusal {
    const char* label;
    std::string message;
};

TEST_F(KarrayTest, ReadRefusalsComeBeforeAnythingIsMade) {
    CcpIdent k = make({2, 5}, {{"v", 8}});
    HcpIdent narrow = wire("narrow", 2);
    HcpIdent e = bit("e");
    uint64_t next = peek_global_id();
    auto read = [&](std::vector<Kidx> sel, KarrayReduceFns fns = {}, std::string f = "v") {
        return user_error([&] { arena.karray_read_field_hcp(k, sel, fns, f); });
    };
    EXPECT_EQ(read({Kidx::fixed(0)}),
              "a Karray selection must index every dimension: got 1 indices for a 2-D Karray");
    EXPECT_EQ(read({Kidx::fixed(2), Kidx::fixed(0)}),
              "index 2 out of bounds for dimension 0 of size 2");
    EXPECT_EQ(read({Kidx::fixed(0), Kidx::dyn(narrow)}),
              "dynamic index for dim 1 needs >= 3 bits to address 5 elements, got 2");
    EXPECT_EQ(read({Kidx::fixed(0), Kidx::reduce()}),
              "Karray reduce: dimension 1 has no select fn");
    EXPECT_EQ(read({Kidx::custom({e, e}), Kidx::fixed(0)}),
              "a custom write-enable index cannot select a read; on the read side a custom fn is "
              "a reduce select (fn(a, b, level) -> pick-a)");
    EXPECT_EQ(read({Kidx::custom({e}), Kidx::fixed(0)}),
              "custom write index for dimension 0 needs one enable bit per index (2), got 1");
    EXPECT_EQ(read({Kidx::fixed(0), Kidx::fixed(0)}, {}, "x"),
              "Karray has no field 'x' (fields: v)");
    EXPECT_EQ(read({Kidx{KidxKind::Dyn, 0, {}}, Kidx::fixed(0)}),
              "malformed Karray index selector of kind 'dyn'");
    EXPECT_EQ(peek_global_id(), next);
}

}  // namespace
}  // namespace velmora::testing
