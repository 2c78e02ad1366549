#include "common/small_vector.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace velmora {
namespace {

using Texts = SmallVector<std::string, 1>;

std::vector<std::string> as_vector(const Texts& v) {
    return std::vector<std::string>(v.begin(), v.end());
}

TEST(SmallVector, GrowsPastItsInlineElementKeepingOrder) {
    Texts v;
    EXPECT_TRUE(v.empty());
    v.push_back("first, long enough to live on the heap of std::string");
    v.emplace_back("second");
    v.push_back("third");
    EXPECT_EQ(as_vector(v),
              (std::vector<std::string>{"first, long enough to live on the heap of std::string",
                                        "second", "third"}));
    EXPECT_EQ(v.front(), v[0]);
    EXPECT_EQ(v.back(), "third");
    EXPECT_THROW(v.at(3), std::out_of_range);
    v.pop_back();
    EXPECT_EQ(v.size(), 2u);
}

TEST(SmallVector, PushingAnElementOfItselfWhileGrowingCopiesItFirst) {
    Texts v{"only"};
    v.push_back(v[0]);  // the inline element moves to the heap in this call
    v.push_back(v[1]);
    EXPECT_EQ(as_vector(v), (std::vector<std::string>{"only", "only", "only"}));
}

TEST(SmallVector, CopiesAndMovesInlineAndHeapContents) {
    for (size_t count : {0u, 1u, 4u}) {
        Texts source;
        for (size_t i = 0; i < count; ++i) source.push_back("text " + std::to_string(i));
        Texts copy(source);
        EXPECT_EQ(copy, source);
        Texts assigned{"to be replaced", "and this"};
        assigned = copy;
        EXPECT_EQ(assigned, source);
        Texts moved(std::move(copy));
        EXPECT_EQ(moved, source);
        EXPECT_TRUE(copy.empty());  // NOLINT: a moved-from list is empty
        Texts move_assigned{"x"};
        move_assigned = std::move(moved);
        EXPECT_EQ(move_assigned, source);
        EXPECT_EQ(move_assigned, std::vector<std::string>(source.begin(), source.end()));
    }
}

// The heap pointer shares the bytes of the in-place elements: 8 bytes of count and capacity on top.
static_assert(sizeof(SmallVector<uint64_t, 1>) == 16);
static_assert(sizeof(SmallVector<uint32_t, 1>) == 16);
static_assert(sizeof(SmallVector<std::pair<uint64_t, uint64_t>, 1>) == 24);

TEST(SmallVector, AListMovedOffTheHeapTakesElementsInPlaceAgain) {
    Texts v{"a", "b", "c"};  // on the heap
    Texts taken(std::move(v));
    EXPECT_TRUE(v.empty());  // NOLINT: reused after the move on purpose
    v.push_back("in place again");
    v.push_back("and to the heap");
    EXPECT_EQ(as_vector(v), (std::vector<std::string>{"in place again", "and to the heap"}));
    EXPECT_EQ(as_vector(taken), (std::vector<std::string>{"a", "b", "c"}));
    v = std::move(taken);
    EXPECT_EQ(as_vector(v), (std::vector<std::string>{"a", "b", "c"}));
}

TEST(SmallVector, ReleasesEveryElement) {
    auto counter = std::make_shared<int>(0);
    {
        SmallVector<std::shared_ptr<int>, 1> v;
        for (int i = 0; i < 5; ++i) v.push_back(counter);
        SmallVector<std::shared_ptr<int>, 1> other;
        other.push_back(counter);
        other = v;
        EXPECT_EQ(counter.use_count(), 11);
        v.clear();
        EXPECT_EQ(counter.use_count(), 6);
    }
    EXPECT_EQ(counter.use_count(), 1);
}

}  // namespace
}  // namespace velmora
