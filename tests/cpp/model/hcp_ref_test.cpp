#include "model/common/hcp_ref.h"

#include "model/typed_access.h"
#include "model_test_support.h"

namespace velmora::testing {
namespace {

class HcpRefTest : public ModelTest {};

TEST_F(HcpRefTest, ALinkReadsBackTheWholeIdentityOfEachKind) {
    HcpIdent reg = arena.make_reg(true, "r", 4);
    HcpIdent wire = bit("w");
    HcpIdent val = arena.make_val(false, "v", 3, 5);
    for (const HcpIdent& id : {reg, wire, val}) {
        const HcpIdent& back = arena.ident_of(HcpRef(id));
        EXPECT_EQ(back, id);
        EXPECT_EQ(back.abs_name().view(), id.abs_name().view());
        EXPECT_EQ(back.parent_module, id.parent_module);
    }
    EXPECT_NE(HcpRef(reg), HcpRef(wire));
    EXPECT_EQ(HcpRef(reg), HcpRef(arena.ident_of(HcpRef(reg))));
}

TEST_F(HcpRefTest, ALinkToAComponentTakenOutOfItsSlotStillReadsItsIdentity) {
    HcpIdent reg = arena.make_reg(true, "r", 4);
    HcpRef link(reg);
    arena.with_hcp(reg, [&](HcpBase& taken) {
        EXPECT_THROW(arena.group<Reg>().get(reg.handle()), InternalError);
        EXPECT_EQ(arena.ident_of(link), taken.ident);
    });
    EXPECT_EQ(arena.ident_of(link), reg);
}

TEST_F(HcpRefTest, ANodeLinkReadsBackTheNodeAlsoWhileTheNodeIsBeingAssigned) {
    NcpIdent state = arena.make_state_node("st");
    NcpRef link(state);
    EXPECT_EQ(arena.ident_of(link), state);
    arena.with_node(state, [&](NcpNode& taken) {
        EXPECT_EQ(arena.ident_of(link), taken.ident);
        EXPECT_EQ(arena.ident_of(link).ident_base.abs_text().view(),
                  state.ident_base.abs_text().view());
    });
    OptNcpRef none;
    EXPECT_EQ(none, std::nullopt);
    EXPECT_EQ(OptNcpRef(state), link);
    EXPECT_EQ(sizeof(OptNcpRef), sizeof(NcpRef));
}

TEST_F(HcpRefTest, ALinkWithoutASlotOfThisArenaIsAnInternalError) {
    HcpIdent made_elsewhere =
        HcpIdent::make(HwComponentType::Reg, SensitiveType::Clocked, true, "loose");
    EXPECT_THROW(arena.ident_of(HcpRef(made_elsewhere)), InternalError);
    HcpIdent reg = arena.make_reg(true, "r", 4);
    HcpRef beyond(reg);
    beyond.slot = SlotRef(ArenaHandle{reg.handle().index + 100, 0});
    EXPECT_THROW(arena.ident_of(beyond), InternalError);
}

TEST_F(HcpRefTest, OptionalLinksAndIdentitiesCompareAndConvertLikeStdOptional) {
    HcpIdent a = bit("a");
    HcpIdent b = bit("b");
    OptHcpRef none;
    OptHcpRef to_a = a;
    OptHcpRef from_opt = OptHcpIdent(b);
    EXPECT_FALSE(none.has_value());
    EXPECT_EQ(none, std::nullopt);
    EXPECT_EQ(OptHcpRef(OptHcpIdent()), std::nullopt);
    EXPECT_EQ(to_a, a);
    EXPECT_NE(to_a, b);
    EXPECT_NE(none, a);
    EXPECT_EQ(from_opt, b);
    EXPECT_EQ(arena.ident_of(none), std::nullopt);
    EXPECT_EQ(*arena.ident_of(to_a), a);
    EXPECT_THROW((void)none.value(), std::bad_optional_access);
    to_a.reset();
    EXPECT_EQ(to_a, none);

    // An identity's own optional: "none" is a kind byte no component has, not a present value.
    OptHcpIdent absent;
    EXPECT_FALSE(absent.has_value());
    EXPECT_TRUE(OptHcpIdent(a).has_value());
    EXPECT_EQ(absent.to_std(), std::nullopt);
    EXPECT_EQ(OptHcpIdent(a).to_std(), std::optional<HcpIdent>(a));
    EXPECT_EQ(sizeof(OptHcpIdent), sizeof(HcpIdent));
    EXPECT_EQ(sizeof(OptHcpRef), sizeof(HcpRef));
}

}  // namespace
}  // namespace velmora::testing
