#include "model/validate.h"

#include <gtest/gtest.h>

#include "common/arena.h"
#include "model/common/limits.h"
#include "model/model_arena.h"

namespace velmora {
namespace {

struct Item {
    ArenaHandle handle;
    void set_arena_handle(ArenaHandle h) { handle = h; }
};

TEST(ArenaGroupTryGet, NullForAnIndexOrGenerationOfNoSlot) {
    ArenaGroup<Item> g;
    ArenaHandle h = g.insert(Item{});
    EXPECT_NE(g.try_get(h), nullptr);
    EXPECT_EQ(g.try_get(ArenaHandle{1, 0}), nullptr);
    EXPECT_EQ(g.try_get(ArenaHandle{0, 1}), nullptr);
    EXPECT_EQ(g.try_get(ArenaHandle::unset()), nullptr);
}

TEST(CheckUserName, MalformedUtf8IsNotMistakenForWhitespace) {
    // A lone continuation byte and a truncated sequence read as U+FFFD, which is allowed.
    EXPECT_FALSE(check_user_name("a\x80z"));
    EXPECT_FALSE(check_user_name("a\xE3\x80"));
    // A C1 control written in two bytes is refused at its first byte.
    Problem p = check_user_name("ab\xC2\x9F");
    ASSERT_TRUE(p);
    EXPECT_NE(p->find("U+009F at byte 2"), std::string::npos) << *p;
}

TEST(CheckUserName, LimitLeavesRoomForTheLongestDerivedName) {
    std::string name(kMaxUserNameLen, 'n');
    EXPECT_FALSE(check_user_name(name));
    EXPECT_TRUE(check_user_name(name + "n"));
    // The longest derived absolute name, with a 20-digit global id, still fits MAX_NAME_LEN.
    std::string longest = "IO_WIRE_IO_OUT_" + name + "_CONDSLICE_18446744073709551615";
    EXPECT_LE(longest.size(), MAX_NAME_LEN);
}

TEST(CheckIdent, StoredIdentityDecidesNotTheSlotAlone) {
    ModelArena a;
    ModelArena b;
    for (ModelArena* arena : {&a, &b}) {
        ModuleIdent m = arena->mk_module("m");
        arena->push_module(m, ModuleInitStage::CompInit);
    }
    HcpIdent mine = a.make_reg(true, "mine", 4);
    HcpIdent theirs = b.make_reg(true, "theirs", 4);
    ASSERT_EQ(mine.handle(), theirs.handle());
    EXPECT_FALSE(check_ident(a, mine));
    EXPECT_TRUE(check_ident(a, theirs));
    // Same slot index in the wire group: the kind selects the group, so it is not found there.
    HcpIdent as_wire = mine;
    as_wire.hw_type = HwComponentType::Wire;
    EXPECT_TRUE(check_ident(a, as_wire));
}

TEST(CheckOpenForAdditions, RefusedOnlyOnceTheFlowIsBuilt) {
    ModelArena a;
    EXPECT_FALSE(check_open_for_additions(a, "mk_reg"));
    a.mark_flow_built();
    Problem p = check_open_for_additions(a, "mk_reg");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->rfind("mk_reg: ", 0), 0u);
}

}  // namespace
}  // namespace velmora
