#include "common/stable_sequence.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace velmora {
namespace {

TEST(StableSequence, ElementsKeepTheirAddressAndValueAcrossChunkBoundaries) {
    StableSequence<std::string> seq;
    std::vector<const std::string*> addresses;
    // 16 + 32 + 64 + 128 elements fill four chunks exactly; one more opens the fifth.
    for (int i = 0; i < 241; ++i) {
        addresses.push_back(&seq.emplace_back("item " + std::to_string(i)));
    }
    ASSERT_EQ(seq.size(), 241u);
    for (int i = 0; i < 241; ++i) {
        EXPECT_EQ(&seq[static_cast<size_t>(i)], addresses[static_cast<size_t>(i)]) << i;
        EXPECT_EQ(seq[static_cast<size_t>(i)], "item " + std::to_string(i));
    }
    EXPECT_EQ(seq.back(), "item 240");
}

TEST(StableSequence, DestroysEveryElementOnceAndMovesWhole) {
    auto counter = std::make_shared<int>(0);
    {
        StableSequence<std::shared_ptr<int>> seq;
        for (int i = 0; i < 100; ++i) seq.emplace_back(counter);
        EXPECT_EQ(counter.use_count(), 101);
        StableSequence<std::shared_ptr<int>> moved(std::move(seq));
        EXPECT_EQ(seq.size(), 0u);  // NOLINT: a moved-from sequence is empty
        EXPECT_EQ(moved.size(), 100u);
        EXPECT_EQ(counter.use_count(), 101);
        StableSequence<std::shared_ptr<int>> assigned;
        assigned.emplace_back(counter);
        assigned = std::move(moved);
        EXPECT_EQ(counter.use_count(), 101);
        assigned.clear();
        EXPECT_EQ(counter.use_count(), 1);
        assigned.emplace_back(counter);
        EXPECT_EQ(assigned.size(), 1u);
    }
    EXPECT_EQ(counter.use_count(), 1);
}

}  // namespace
}  // namespace velmora
