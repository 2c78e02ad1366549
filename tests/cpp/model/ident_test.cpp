#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "model/model_store.h"
#include "module_lists.h"
#include "util/str_cat.h"

namespace velmora {
namespace {

std::string message_of(const std::function<void()>& f) {
    try {
        f();
    } catch (const InternalError& e) {
        return e.what();
    }
    return "";
}

// Identity records are copied everywhere: keep them small.
static_assert(sizeof(ArenaHandle) == 8);
static_assert(sizeof(IdentBase) <= 32);
static_assert(sizeof(ModuleIdent) <= 48);
static_assert(sizeof(HcpIdent) <= 56);
static_assert(sizeof(NcpIdent) <= 40);
static_assert(sizeof(UpdateEventIdent) <= 40);
static_assert(sizeof(FlowBlockIdent) <= 40);

TEST(IdentSize, IdentityRecordsStaySmall) {
    EXPECT_LE(sizeof(HcpIdent), 56u);
    EXPECT_LE(sizeof(ModuleIdent), 48u);
    EXPECT_LE(sizeof(IdentBase), 32u);
}

TEST(IdentNames, AbsoluteNameIsKindNameAndGlobalId) {
    uint64_t id = peek_global_id();
    HcpIdent r = HcpIdent::make(HwComponentType::Reg, SensitiveType::Clocked, true, "acc");
    EXPECT_EQ(r.global_id(), id);
    EXPECT_EQ(r.abs_name().view(), "REG_acc_" + std::to_string(id));
    EXPECT_EQ(r.rel_name(), "acc");
    HcpIdent e = HcpIdent::make(HwComponentType::Reg, SensitiveType::Clocked, true, "");
    EXPECT_EQ(e.abs_name().view(), "REG__" + std::to_string(id + 1));
    ModuleIdent m = ModuleIdent::make(true, "top");
    EXPECT_EQ(m.ident_base.abs_text().view(), "MODULE_top_" + std::to_string(id + 2));
    UpdateEventIdent u = UpdateEventIdent::make(UeType::Basic);
    EXPECT_EQ(u.abs_name(), "UE_BASIC_" + std::to_string(id + 3));
    EXPECT_EQ(u.rel_name(), "");
}

TEST(IdentNames, AbsoluteNameIsFormedWhenReadAndStoresNoText) {
    size_t before = Name::live_count();
    IdentBase a = IdentBase::make("PFX_FORMED", false, "formed_only_rel");
    // One table entry: the relative name; the absolute one is formed from it.
    EXPECT_EQ(Name::live_count(), before + 1);
    EXPECT_TRUE(a.abs_name.is_formed());
    std::string want = "PFX_FORMED_formed_only_rel_" + std::to_string(a.global_id);
    EXPECT_EQ(a.abs_text().view(), want);
    EXPECT_EQ(cat(a.abs_text()), want);
    // A copy of the text owns its characters.
    NameText copy = a.abs_text();
    NameText assigned = IdentBase::make("PFX_FORMED", false, "other").abs_text();
    assigned = copy;
    EXPECT_EQ(copy.view(), want);
    EXPECT_EQ(assigned.view(), want);
    EXPECT_NE(assigned.view().data(), copy.view().data());
    EXPECT_EQ(name_prefix_code("PFX_FORMED"), a.abs_name.prefix_code());
    EXPECT_EQ(name_prefix_text(a.abs_name.prefix_code()), "PFX_FORMED");
    a.release_names();
}

TEST(IdentNames, ARelativeRenameKeepsTheAbsoluteNameAGlobalRenameReplacesIt) {
    IdentBase a = IdentBase::make("REG", true, "before");
    std::string formed = "REG_before_" + std::to_string(a.global_id);
    IdentBase kept = a;
    a.set_rel_name("after");
    EXPECT_EQ(a.rel_view(), "after");
    EXPECT_EQ(a.abs_text().view(), formed);
    EXPECT_FALSE(a.abs_name.is_formed());
    EXPECT_TRUE(a == kept);  // the same text, stored on one side and formed on the other
    a.set_global_name("renamed");
    EXPECT_EQ(a.abs_text().view(), "renamed");
    EXPECT_FALSE(a == kept);
}

TEST(IdentNames, AbsoluteNameOfExactly256BytesIsAcceptedOneMoreFails) {
    // "REG_" + name + "_" + id: pick the name so the whole comes to 256 bytes.
    std::string id_text = std::to_string(peek_global_id());
    std::string name(256 - 5 - id_text.size(), 'n');
    HcpIdent ok = HcpIdent::make(HwComponentType::Reg, SensitiveType::Clocked, true, name);
    ASSERT_EQ(ok.abs_name().view().size(), 256u);
    EXPECT_EQ(ok.rel_name(), name);

    std::string longer(256 - 5 - std::to_string(peek_global_id()).size() + 1, 'n');
    std::string msg = message_of(
        [&] { HcpIdent::make(HwComponentType::Reg, SensitiveType::Clocked, true, longer); });
    EXPECT_EQ(msg.rfind("name exceeds MAX_NAME_LEN (256): \"REG_" + longer + "_", 0), 0u) << msg;
}

TEST(IdentNames, GivenNameOver256BytesFailsShowingTheGivenName) {
    std::string name(257, 'x');
    EXPECT_EQ(message_of([&] { ModuleIdent::make(true, name); }),
              "name exceeds MAX_NAME_LEN (256): \"" + name + "\"");
}

TEST(IdentNames, SetRelNameKeepsAll256Bytes) {
    IdentBase b = IdentBase::make("REG", true, "a");
    std::string name(256, 'r');
    b.set_rel_name(name);
    EXPECT_EQ(b.rel_view(), name);
    EXPECT_NE(message_of([&] { b.set_global_name(name + "x"); }), "");
}

TEST(IdentEquality, BaseComparesIdAndAbsoluteNameOnly) {
    IdentBase a = IdentBase::make("REG", true, "same");
    IdentBase copy = a;
    copy.set_rel_name("other");
    copy.is_user_com = false;
    copy.arena_handle = ArenaHandle{3, 0};
    EXPECT_EQ(a, copy);
    IdentBase b = IdentBase::make("REG", true, "same");
    EXPECT_FALSE(a == b);  // same relative name, different ids
}

TEST(IdentEquality, StampingToAModuleChangesEqualityInsertionDoesNot) {
    ModelArena arena;
    ModuleIdent m = arena.mk_module("m");
    arena.track_module_at_com_init(m);
    HcpIdent before = HcpIdent::make(HwComponentType::Reg, SensitiveType::Clocked, true, "r");
    Reg reg(before, 4);
    ArenaHandle h = arena.group<Reg>().insert(std::move(reg));
    HcpIdent inserted = arena.group<Reg>().get(h).ident;
    EXPECT_EQ(before, inserted);  // handles do not take part
    HcpIdent stamped = arena.stamp_hw_to_parent_module(inserted, true);
    EXPECT_FALSE(before == stamped);
    EXPECT_EQ(stamped.parent_module, m);
}

TEST(ModuleTree, DepthMasterAndComponentLists) {
    ModelArena arena;
    ModuleIdent top = arena.mk_module("top");
    EXPECT_EQ(top.depth_level, 0u);
    EXPECT_TRUE(top.master_module_handle.is_unset());
    arena.track_module_at_com_init(top);
    HcpIdent internal = arena.make_reg(false, "i", 1);
    HcpIdent user = arena.make_reg(true, "u", 1);
    ModuleIdent child = arena.mk_module("child");
    EXPECT_EQ(child.depth_level, 1u);
    EXPECT_EQ(child.master_module_handle, top.handle());
    arena.track_module_at_com_init(child);
    arena.untrack_module_at_com_init(child);
    arena.untrack_module_at_com_init(top);
    const Module& t = arena.get_module(top);
    EXPECT_EQ(testing::hcp_idents(arena, t, HwComponentType::Reg, false),
              std::vector<HcpIdent>{internal});
    EXPECT_EQ(testing::hcp_idents(arena, t, HwComponentType::Reg, true),
              std::vector<HcpIdent>{user});
    EXPECT_EQ(t.sub_modules, std::vector<ModuleIdent>{child});
    EXPECT_EQ(arena.get_parent_module_ident(child), top);
    EXPECT_NE(message_of([&] {
                  arena.get_parent_module_ident(top);
              }).find("is a top module and has no parent"),
              std::string::npos);
}

TEST(ModuleTree, ListsHoldSlotsAndGiveLinksOfTheirKind) {
    ModelArena arena;
    ModuleIdent top = arena.mk_module("top");
    arena.track_module_at_com_init(top);
    HcpIdent r0 = arena.make_reg(false, "r0", 1);
    HcpIdent w = arena.make_wire(false, "w", 1);
    HcpIdent r1 = arena.make_reg(false, "r1", 2);
    arena.untrack_module_at_com_init(top);
    const Module& t = arena.get_module(top);
    std::vector<HcpRef> regs;
    for (HcpRef ref : t.hcp_list(HwComponentType::Reg, false)) regs.push_back(ref);
    EXPECT_EQ(regs, (std::vector<HcpRef>{r0, r1}));
    EXPECT_EQ(arena.ident_of(regs[1]), r1);
    std::vector<HcpIdent> all;
    t.for_each_hcp([&](HcpRef ref) { all.push_back(arena.ident_of(ref)); });
    // Kinds in their order (registers before wires), then creation order.
    EXPECT_EQ(all, (std::vector<HcpIdent>{r0, r1, w}));
    EXPECT_EQ(sizeof(t.internal_hcps[0][0]), 4u);
}

TEST(ModuleTree, ComponentsOfTheBuildStageGoToThePendingList) {
    ModelArena arena;
    ModuleIdent top = arena.mk_module("top");
    arena.push_module(top, ModuleInitStage::FlowBlockBuild);
    HcpIdent w = arena.make_wire(false, "w", 1);
    ASSERT_EQ(arena.pending_hcps().size(), 1u);
    EXPECT_EQ(arena.pending_hcps()[0].component, HcpRef(w));
    EXPECT_TRUE(arena.get_module(top).hcp_list(HwComponentType::Wire, false).empty());
}

TEST(Expressions, ResolveCondSliceMakesAOneBitSliceOnlyWhenNarrower) {
    ModelArena arena;
    ModuleIdent top = arena.mk_module("top");
    arena.track_module_at_com_init(top);
    HcpIdent c = arena.make_wire(true, "c", 8);
    HcpIdent bit = arena.resolve_cond_slice("f", c, Slice{3, 4});
    EXPECT_EQ(bit.rel_name(), "f_CONDSLICE");
    EXPECT_EQ(arena.hcp_width(bit), 1);
    EXPECT_EQ(arena.resolve_cond_slice("f", c, Slice{0, 8}), c);
    EXPECT_EQ(arena.resolve_cond_slice("f", c, std::nullopt), c);
}

TEST(VaryVal, LimbsArePaddedCutAndMasked) {
    EXPECT_EQ(VaryVal::from_u64(0x1FF, 8).limbs, std::vector<uint64_t>{0xFF});
    EXPECT_EQ(VaryVal::from_u64(~0ull, 64).limbs, std::vector<uint64_t>{~0ull});
    EXPECT_EQ(VaryVal::from_u64(5, 100).limbs, (std::vector<uint64_t>{5, 0}));
    EXPECT_EQ(VaryVal::from_limbs({1, ~0ull, 7}, 70).limbs, (std::vector<uint64_t>{1, 0x3F}));
    EXPECT_EQ(VaryVal::from_limbs({9}, 130).limbs, (std::vector<uint64_t>{9, 0, 0}));
    EXPECT_TRUE(VaryVal::from_u64(3, 0).limbs.empty());
}

}  // namespace
}  // namespace velmora
