#include "common/arena.h"

#include <gtest/gtest.h>

#include <vector>

#include "model/common/ident.h"

namespace velmora {
namespace {

struct Item {
    int value = 0;
    ArenaHandle handle;
    void set_arena_handle(ArenaHandle h) { handle = h; }
};

TEST(ArenaGroup, InsertIssuesSequentialIndexesWithGenerationZero) {
    ArenaGroup<Item> g;
    for (int i = 0; i < 5; ++i) {
        ArenaHandle h = g.insert(Item{i * 10});
        EXPECT_EQ(h.index, static_cast<uint64_t>(i));
        EXPECT_EQ(h.generation, 0u);
        EXPECT_EQ(g.get(h).handle, h);
    }
}

TEST(ArenaGroup, HandleChecksReportIndexThenGeneration) {
    ArenaGroup<Item> g;
    g.insert(Item{1});
    try {
        g.get(ArenaHandle{1, 0});
        FAIL();
    } catch (const InternalError& e) {
        EXPECT_STREQ(e.what(), "ArenaHandle index out of range");
    }
    try {
        g.get(ArenaHandle{0, 7});
        FAIL();
    } catch (const InternalError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("ArenaHandle generation mismatch", 0), 0u);
        EXPECT_NE(std::string(e.what()).find("slot generation 0, handle generation 7"),
                  std::string::npos);
    }
    EXPECT_THROW(g.take(ArenaHandle::unset()), InternalError);
    EXPECT_THROW(g.replace_back(ArenaHandle{1, 0}, Item{}), InternalError);
    EXPECT_THROW(g.replace_back(ArenaHandle{0, 0}, Item{}), InternalError);  // nothing taken
}

TEST(SlotRef, KeepsEveryIssuedHandleAndTheUnsetOneAndRefusesOtherGenerations) {
    for (ArenaHandle h : {ArenaHandle::unset(), ArenaHandle{0, 0}, ArenaHandle{123456, 0},
                          ArenaHandle{0xFFFFFFFEu, 0}}) {
        SlotRef r(h);
        EXPECT_EQ(static_cast<ArenaHandle>(r), h) << h.debug_text();
        EXPECT_EQ(r.is_unset(), h.is_unset());
    }
    EXPECT_NE(SlotRef(ArenaHandle{0, 0}), SlotRef(ArenaHandle::unset()));
    EXPECT_THROW(SlotRef(ArenaHandle{3, 7}), InternalError);
    EXPECT_THROW(SlotRef(ArenaHandle{0xFFFFFFFFu, 0}), InternalError);
}

TEST(ArenaGroup, ReadingATakenOutSlotIsAnInternalErrorUntilReplaceBack) {
    ArenaGroup<Item> g;
    ArenaHandle h = g.insert(Item{42});
    Item taken = g.take(h);
    EXPECT_EQ(taken.value, 42);
    try {
        g.get(h);
        FAIL();
    } catch (const InternalError& e) {
        EXPECT_EQ(
            std::string(e.what()).rfind("ArenaHandle names a slot whose object is taken out", 0),
            0u);
    }
    EXPECT_THROW(g.try_get(h), InternalError);
    EXPECT_THROW(g.take(h), InternalError);
    g.replace_back(h, std::move(taken));
    EXPECT_EQ(g.get(h).value, 42);
    EXPECT_EQ(g.get(h).handle, h);
}

TEST(ArenaGroup, TakingOneSlotOutLeavesItsNeighboursAcrossFlagWordsReadable) {
    ArenaGroup<Item> g;
    std::vector<ArenaHandle> h;
    for (int i = 0; i < 130; ++i) h.push_back(g.insert(Item{i}));
    for (int taken : {0, 63, 64, 127, 129}) {
        Item out = g.take(h[taken]);
        for (int i = 0; i < 130; ++i) {
            if (i == taken) {
                EXPECT_THROW(g.get(h[i]), InternalError) << i;
                EXPECT_EQ(g.resident(h[i]).handle, h[i]);  // the identity stays readable
            } else {
                EXPECT_EQ(g.get(h[i]).value, i) << "slot " << i << " with " << taken << " out";
            }
        }
        g.replace_back(h[taken], std::move(out));
        EXPECT_EQ(g.get(h[taken]).value, taken);
    }
}

TEST(ArenaGroup, TakeGuardPutsBackOnException) {
    ArenaGroup<Item> g;
    ArenaHandle h = g.insert(Item{5});
    try {
        TakeGuard<Item> guard(g, h);
        guard->value = 6;
        panic("boom");
    } catch (const InternalError&) {
    }
    EXPECT_EQ(g.get(h).value, 6);
}

TEST(ArenaGroup, FirstHandleStaysValidAfterManyInserts) {
    ArenaGroup<Item> g;
    ArenaHandle first = g.insert(Item{-1});
    const Item* first_addr = &g.get(first);
    for (int i = 0; i < 100000; ++i) g.insert(Item{i});
    EXPECT_EQ(g.get(first).value, -1);
    EXPECT_EQ(&g.get(first), first_addr);  // slots never move
}

}  // namespace
}  // namespace velmora
