// The Karray record: element signals, numbering and list order, lookup, and the refusals of a
// new array, including its size limits.
#include <string>
#include <vector>

#include "karray_support.h"
#include "model/common/limits.h"

namespace velmora::testing {
namespace {

TEST_F(KarrayTest, ElementSignalsAreMadeElementMajorWithTheirNumbersAndFieldNames) {
    CcpIdent k = make({2, 3}, {{"a", 4}, {"b", 1}});
    const Karray& a = karray(k);
    ASSERT_EQ(a.element_hcps.size(), 12u);
    std::vector<std::string> names;
    for (const HcpIdent& h : a.element_hcps) names.push_back(name_of(h));
    EXPECT_EQ(names, (std::vector<std::string>{"k_E0_a", "k_E0_b", "k_E1_a", "k_E1_b", "k_E2_a",
                                               "k_E2_b", "k_E3_a", "k_E3_b", "k_E4_a", "k_E4_b",
                                               "k_E5_a", "k_E5_b"}));
    // Internal registers of the module, in creation order, made before the array's identity.
    EXPECT_EQ(internal_names(arena, module, HwComponentType::Reg), names);
    EXPECT_LT(a.element_hcps.back().global_id(), k.global_id());
    EXPECT_EQ(a.element_number({1, 2}), 5u);
    EXPECT_EQ(name_of(arena.karray_element_hcp(k, {1, 2}, "b")), "k_E5_b");
    EXPECT_EQ(arena.karray_element_hcp(k, {1, 2}, "b"), a.element_hcps[11]);
    EXPECT_EQ(arena.hcp_width(arena.karray_element_hcp(k, {0, 1}, "a")), 4);
    EXPECT_TRUE(arena.karray_is_clocked(k));
    EXPECT_EQ(arena.karray_shape(k), (std::vector<uint64_t>{2, 3}));
}

TEST_F(KarrayTest, WireBackedElementsAreWires) {
    CcpIdent k = make({3}, {{"v", 8}}, HwComponentType::Wire);
    EXPECT_FALSE(arena.karray_is_clocked(k));
    EXPECT_EQ(arena.karray_element_hcp(k, {2}, "v").hw_type, HwComponentType::Wire);
    EXPECT_EQ(internal_names(arena, module, HwComponentType::Wire),
              (std::vector<std::string>{"k_E0_v", "k_E1_v", "k_E2_v"}));
}

TEST_F(KarrayTest, ElementLookupRefusesWithItsMessages) {
    CcpIdent k = make({2, 3}, {{"a", 4}, {"b", 1}});
    EXPECT_EQ(user_error([&] {
                  arena.karray_element_hcp(k, {1, 2}, "c");
              }),
              "Karray has no field 'c' (fields: a, b)");
    EXPECT_EQ(user_error([&] { arena.karray_element_hcp(k, {1}, "a"); }),
              "Karray: expected 2 indices, got 1");
    EXPECT_EQ(user_error([&] {
                  arena.karray_element_hcp(k, {1, 3}, "a");
              }),
              "Karray: index 3 out of bounds for dimension of size 3");
    EXPECT_EQ(user_error([&] {
                  karray(k).element_hcp(std::vector<uint64_t>{0, 0}, 2);
              }),
              "Karray: field index 2 out of range (have 2)");
}

struct NewCase {
    const char* label;
    HwComponentType backing;
    std::vector<uint64_t> shape;
    std::vector<KarrayField> fields;
    std::string message;
};

class KarrayNewTest : public KarrayTest, public ::testing::WithParamInterface<NewCase> {};

TEST_P(KarrayNewTest, RefusedBeforeAnythingIsMade) {
    const NewCase& c = GetParam();
    EXPECT_EQ(check_karray_new("k", c.backing, c.shape, c.fields), c.message);
    uint64_t next = peek_global_id();
    EXPECT_EQ(panic_message([&] { arena.make_karray("k", c.shape, c.fields, c.backing); }),
              c.message);
    EXPECT_EQ(peek_global_id(), next);
}

constexpr HwComponentType kReg = HwComponentType::Reg;

INSTANTIATE_TEST_SUITE_P(
    Refusals, KarrayNewTest,
    ::testing::Values(
        NewCase{"Backing",
                HwComponentType::Val,
                {2},
                {{"v", 8}},
                "Karray 'k': backing must be Reg or Wire, got Val"},
        NewCase{"EmptyShape",
                kReg,
                {},
                {{"v", 8}},
                "Karray 'k': shape must have at least one dimension"},
        NewCase{"ZeroDimension",
                kReg,
                {2, 0},
                {{"v", 8}},
                "Karray 'k': every dimension must be positive"},
        NewCase{"ZeroWidth",
                kReg,
                {2},
                {{"v", 8}, {"w", 0}},
                "KarrayType: field 'w' width must be positive, got 0"},
        NewCase{"NoFields", kReg, {2}, {}, "Karray 'k': element must have at least one field"},
        NewCase{"DuplicateField",
                kReg,
                {2},
                {{"v", 8}, {"v", 1}},
                "Karray 'k': field 'v' is declared twice; field names must be distinct"},
        NewCase{"TooManyElements",
                kReg,
                {1024, 1025},
                {{"v", 1}},
                "Karray 'k': 1049600 elements (the product of the shape) exceed the limit of "
                "1048576 (2^20); every field of every element is a signal of its own, so use "
                "fewer or smaller dimensions"},
        NewCase{"ElementCountPast64Bits",
                kReg,
                {1ULL << 40, 1ULL << 40},
                {{"v", 1}},
                "Karray 'k': more than 18446744073709551615 elements (the product of the shape) "
                "exceed the limit of 1048576 (2^20); every field of every element is a signal of "
                "its own, so use fewer or smaller dimensions"},
        NewCase{"TooManyBits",
                kReg,
                {1024, 1024},
                {{"v", 4}, {"w", 1}},
                "Karray 'k': 5242880 bits (1048576 elements of 5 bits) exceed the limit of "
                "4194304 bits (2^22); use fewer elements or narrower fields"}),
    [](const ::testing::TestParamInfo<NewCase>& info) { return std::string(info.param.label); });

TEST_F(KarrayTest, TheLargestArraysWithinTheLimitsAreAccepted) {
    EXPECT_EQ(check_karray_new("k", kReg, {1024, 1024}, {{"v", 4}}), std::nullopt);
    EXPECT_EQ(check_karray_new("k", kReg, {1}, {{"v", kMaxBitWidth}}), std::nullopt);
    EXPECT_NE(check_karray_new("k", kReg, {1}, {{"v", kMaxBitWidth + 1}}), std::nullopt);
}

TEST_F(KarrayTest, NamesLeaveRoomForTheNamesDerivedFromThem) {
    std::string longest(kMaxUserNameLen - kKarrayNameRoom, 'n');
    EXPECT_EQ(check_karray_new(longest, kReg, {2}, {{"v", 1}}), std::nullopt);
    EXPECT_NE(check_karray_new(longest + "n", kReg, {2}, {{"v", 1}}), std::nullopt);
    std::string field(kMaxUserNameLen - 10, 'f');  // "k_E9_" + field: fits
    EXPECT_EQ(check_karray_new("k", kReg, {10}, {{field, 1}}), std::nullopt);
    std::string wider = field + std::string(6, 'f');
    Problem p = check_karray_new("k", kReg, {10}, {{wider, 1}});
    ASSERT_TRUE(p.has_value());
    EXPECT_NE(p->find("element signal names"), std::string::npos) << *p;
}

TEST_F(KarrayTest, IndexBitsAddressEveryElement) {
    EXPECT_EQ(karray_index_bits(1), 1);
    EXPECT_EQ(karray_index_bits(2), 1);
    EXPECT_EQ(karray_index_bits(3), 2);
    EXPECT_EQ(karray_index_bits(4), 2);
    EXPECT_EQ(karray_index_bits(5), 3);
    EXPECT_EQ(karray_index_bits(1ULL << 20), 20);
}

TEST_F(KarrayTest, ResetGivesEveryElementOfTheFieldTheValueOnce) {
    CcpIdent k = make({3}, {{"v", 8}, {"w", 2}});
    HcpIdent seven = arena.make_val(true, "seven", 8, 7);
    arena.karray_reset_field(k, "v", seven);
    for (uint64_t e = 0; e < 3; ++e) {
        EXPECT_EQ(hcp<Reg>(arena, arena.karray_element_hcp(k, {e}, "v")).reset_val, seven);
        EXPECT_FALSE(hcp<Reg>(arena, arena.karray_element_hcp(k, {e}, "w")).reset_val);
    }
    EXPECT_EQ(user_error([&] { arena.karray_reset_field(k, "v", seven); }),
              "Karray 'k': field 'v' of element 0 has a reset value already; a field is reset "
              "once");
    EXPECT_EQ(user_error([&] { arena.karray_reset_field(k, "w", seven); }),
              "Karray 'k': the reset value of field 'w' must be 2-bit, got 8");
    CcpIdent wires = arena.make_karray("kw", {2}, {{"v", 8}}, HwComponentType::Wire);
    EXPECT_EQ(user_error([&] { arena.karray_reset_field(wires, "v", seven); }),
              "reset(...) requires a reg-backed Karray (a wire has no state to reset; use "
              "default(...))");
}

}  // namespace
}  // namespace velmora::testing
