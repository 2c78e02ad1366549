// Interned names: one entry per text, held by the arenas and holders that use it, freed with the
// last of them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/model_arena.h"

namespace velmora {
namespace {

// Names hold no reference per copy: identity records stay plain values of the same size.
static_assert(sizeof(Name) == 4);

TEST(NameTable, EqualTextsShareOneEntry) {
    size_t before = Name::live_count();
    NameOwner owner;
    Name a = Name::intern("shared_text_for_test");
    Name b = Name::intern("shared_text_for_test");
    owner.adopt(a);
    owner.adopt(b);
    EXPECT_TRUE(a.same_text(b));
    EXPECT_EQ(a.view().data(), b.view().data());
    EXPECT_EQ(Name::live_count(), before + 1);
}

TEST(NameTable, AnUnsharedNameHasItsOwnEntryAndIsFreedWithoutDisturbingSharedOnes) {
    size_t before = Name::live_count();
    {
        NameOwner owner;
        Name shared = Name::intern("unshared_probe_text");
        Name own = Name::intern_unshared("unshared_probe_text");
        Name again = Name::intern("unshared_probe_text");
        owner.adopt(shared);
        owner.adopt(own);
        owner.adopt(again);
        EXPECT_EQ(own.view(), "unshared_probe_text");
        EXPECT_NE(own.view().data(), shared.view().data());  // not found by its text
        EXPECT_EQ(again.view().data(), shared.view().data());
        EXPECT_TRUE(own.same_text(shared));
        EXPECT_EQ(Name::live_count(), before + 2);
        Name::intern_unshared("released_at_once").release();
        EXPECT_EQ(Name::live_count(), before + 2);
    }
    EXPECT_EQ(Name::live_count(), before);
    // The shared text is gone from the index too: interning it makes a fresh entry.
    Name fresh = Name::intern("unshared_probe_text");
    EXPECT_EQ(Name::live_count(), before + 1);
    fresh.release();
}

TEST(NameTable, StateNodesOfABuildKeepTheirGeneratedNamesUnshared) {
    ModelArena arena;
    ModuleIdent top = arena.mk_module("top");
    arena.track_module_at_com_init(top);
    size_t before = Name::live_count();
    NcpIdent a = arena.make_state_node("seq_state_probe_0");
    // Node, register and its two constants: four names of their own.
    EXPECT_EQ(Name::live_count(), before + 4);
    EXPECT_EQ(a.ident_base.rel_view(), "seq_state_probe_0");
    Name looked_up = Name::intern("seq_state_probe_0");
    EXPECT_NE(looked_up.view().data(), a.ident_base.rel_view().data());
    looked_up.release();
}

TEST(NameTable, TheLastOwnerFreesTheEntry) {
    size_t before = Name::live_count();
    {
        NameOwner first;
        first.adopt(Name::intern("owned_twice"));
        {
            NameOwner second;
            second.adopt(Name::intern("owned_twice"));
        }
        EXPECT_EQ(Name::live_count(), before + 1);
    }
    EXPECT_EQ(Name::live_count(), before);
}

TEST(NameTable, ARetainedNameOutlivesItsOwner) {
    size_t before = Name::live_count();
    Name kept;
    {
        NameOwner owner;
        kept = Name::intern("kept_by_a_holder");
        owner.adopt(kept);
        kept.retain();
    }
    EXPECT_EQ(kept.view(), "kept_by_a_holder");
    kept.release();
    EXPECT_EQ(Name::live_count(), before);
}

TEST(NameTable, AFreedEntryIsReusedForTheNextText) {
    size_t before = Name::live_count();
    for (int i = 0; i < 1000; ++i) {
        NameOwner owner;
        owner.adopt(Name::intern("cycle_" + std::to_string(i)));
        EXPECT_EQ(Name::live_count(), before + 1);
    }
    EXPECT_EQ(Name::live_count(), before);
}

TEST(NameTable, NamesFreedInAnyOrderLeaveTheOthersFindable) {
    size_t before = Name::live_count();
    std::vector<NameOwner> owners(5000);
    std::vector<const char*> texts;
    for (size_t i = 0; i < owners.size(); ++i) {
        Name n = Name::intern("many_" + std::to_string(i));
        owners[i].adopt(n);
        texts.push_back(n.view().data());
    }
    // Free every third one, scattered over the table.
    for (size_t i = 0; i < owners.size(); i += 3) owners[i] = NameOwner();
    for (size_t i = 0; i < owners.size(); ++i) {
        Name again = Name::intern("many_" + std::to_string(i));
        if (i % 3 != 0) EXPECT_EQ(again.view().data(), texts[i]) << i;  // found, not copied
        EXPECT_EQ(again.view(), "many_" + std::to_string(i));
        again.release();
    }
    EXPECT_EQ(Name::live_count(), before + owners.size() - (owners.size() + 2) / 3);
}

TEST(NameTable, DroppingMostOfTheTableAtOnceKeepsTheSurvivorsFindable) {
    size_t before = Name::live_count();
    NameOwner survivor;
    std::vector<const char*> kept;
    {
        NameOwner bulk;  // holds far more than the rest of the table: released in one pass
        for (int i = 0; i < 20000; ++i) {
            std::string text = "bulk_" + std::to_string(i);
            Name n = Name::intern(text);
            bulk.adopt(n);
            bulk.adopt(Name::intern(text));  // the same name twice in one owner
            if (i % 1000 == 0) {
                survivor.adopt(Name::intern(text));  // shared with another owner
                kept.push_back(n.view().data());
            }
        }
        EXPECT_EQ(Name::live_count(), before + 20000);
    }
    EXPECT_EQ(Name::live_count(), before + kept.size());
    for (int i = 0; i < 20000; i += 1000) {
        Name again = Name::intern("bulk_" + std::to_string(i));
        EXPECT_EQ(again.view().data(), kept[static_cast<size_t>(i / 1000)]) << i;
        again.release();
    }
    Name fresh = Name::intern("bulk_1");  // freed: made anew
    EXPECT_EQ(fresh.view(), "bulk_1");
    EXPECT_EQ(Name::live_count(), before + kept.size() + 1);
    fresh.release();
}

TEST(NameTable, DroppingAnArenaFreesTheNamesOfItsObjects) {
    size_t before = Name::live_count();
    {
        ModelArena arena;
        ModuleIdent top = arena.mk_module("names_top");
        arena.track_module_at_com_init(top);
        HcpIdent r = arena.make_reg(true, "names_r", 4);
        arena.make_flow_block_seq("names_seq");
        EXPECT_EQ(r.rel_name(), "names_r");
        EXPECT_GT(Name::live_count(), before);
        // A moved arena takes its names along.
        ModelArena moved = std::move(arena);
        EXPECT_EQ(r.abs_name().view(), "REG_names_r_" + std::to_string(r.global_id()));
    }
    EXPECT_EQ(Name::live_count(), before);
}

}  // namespace
}  // namespace velmora
