// The arbiter: its record, its refusals, and the grant logic it builds.
#include <string>
#include <vector>

#include "../model/model_test_support.h"
#include "model/complex_hardware/arb_checks.h"

namespace velmora::testing {
namespace {

/// Renders the signal that drives `id` as a tree of expression names:
/// "arb_ack_hi(a_REQ1, arb_hi_inv(node_logic_expr(a_REQ0, a_REQ2)))".
std::string tree(const ModelArena& arena, const HcpIdent& id) {
    if (id.hw_type != HwComponentType::Expression) return name_of(id);
    const Expression& e = hcp<Expression>(arena, id);
    std::string out = cat(name_of(id), "(", tree(arena, e.a));
    if (e.b) out += cat(", ", tree(arena, *e.b));
    return out + ")";
}

class ArbTest : public ModelTest {
protected:
    CcpIdent make(ArbSamePriPolicy policy, std::vector<int32_t> priorities) {
        CcpIdent arb = arena.make_arb("a", policy);
        for (int32_t p : priorities) arena.arb_add_leaf(arb, p);
        return arb;
    }
    const Arb& arb_of(const CcpIdent& id) { return arena.group<Arb>().get(id.handle()); }
    void build(const CcpIdent& id) {
        arena.with_ccp(id, [&](CcpBase& c) { c.build(arena); });
    }
    /// The tree of the one event driving a one-bit wire ("" when it has none).
    std::string driver(const HcpIdent& wire) {
        std::vector<UpdateEventIdent> pool =
            arena.read_hcp(wire, [](const HcpBase& c) { return c.get_update_pool(); });
        if (pool.empty()) return "";
        EXPECT_EQ(pool.size(), 1u);
        const UeBasic& b = ue<UeBasic>(arena, pool.at(0));
        UeCommon c = arena.get_ue_common(pool.at(0));
        EXPECT_EQ(c.priority, DEFAULT_UE_PRI_INTERNAL_MIN);
        EXPECT_EQ(c.clk_mode, ClockMode::ClkFree);
        EXPECT_FALSE(c.clk_src.has_value());
        EXPECT_EQ(b.des_slice, (Slice{0, 1}));
        EXPECT_EQ(b.src_slice, (Slice{0, 1}));
        return tree(arena, arena.ident_of(b.src));
    }
    std::string grant(const CcpIdent& id, uint64_t i) {
        return driver(arena.arb_get_leaf_ack_wire(id, i));
    }
};

TEST_F(ArbTest, MakeArbCreatesTheMasterRequestWireAndListsTheArbiterInItsModule) {
    CcpIdent arb = arena.make_arb("a", ArbSamePriPolicy::NotAck);
    EXPECT_EQ(arb.ccp_type, CcpType::Arb);
    EXPECT_EQ(arb.ident_base.abs_text(), cat("ARB_a_", arb.global_id()));
    EXPECT_EQ(arb.parent_module, ModuleRef(module));
    EXPECT_EQ(arena.get_module(module).ccps, std::vector<CcpIdent>{arb});
    EXPECT_EQ(arb_of(arb).get_ccp_ident(), arb);
    HcpIdent mreq = arena.arb_get_master_req_wire(arb);
    EXPECT_EQ(name_of(mreq), "a_MREQ");
    EXPECT_EQ(mreq.hw_type, HwComponentType::Wire);
    EXPECT_LT(mreq.global_id(), arb.global_id());  // the wire is made first
    EXPECT_EQ(arena.hcp_width(mreq), 1);
    EXPECT_EQ(arb_of(arb).same_pri_policy, ArbSamePriPolicy::NotAck);
}

TEST_F(ArbTest, LeavesAreNamedByIndexAndLockedSidesAreConstantOnes) {
    CcpIdent arb = arena.make_arb("a", ArbSamePriPolicy::AckOne);
    EXPECT_EQ(arena.arb_add_leaf(arb, 3), 0u);
    EXPECT_EQ(arena.arb_add_leaf_locked(arb, 4, ArbLockedChannel::Req), 1u);
    EXPECT_EQ(arena.arb_add_leaf_locked(arb, 5, ArbLockedChannel::Ack), 2u);
    EXPECT_EQ(arena.arb_leaf_count(arb), 3u);

    struct Want {
        HwComponentType req_kind, ack_kind;
        int32_t priority, locked;
    };
    const Want want[] = {{HwComponentType::Wire, HwComponentType::Wire, 3, 0},
                         {HwComponentType::Val, HwComponentType::Wire, 4, 0},
                         {HwComponentType::Wire, HwComponentType::Val, 5, 1}};
    for (uint64_t i = 0; i < 3; ++i) {
        const ArbLeaf& leaf = arb_of(arb).leaves[i];
        EXPECT_EQ(leaf.req, arena.arb_get_leaf_req_wire(arb, i));
        EXPECT_EQ(leaf.ack, arena.arb_get_leaf_ack_wire(arb, i));
        EXPECT_EQ(name_of(leaf.req), cat("a_REQ", i));
        EXPECT_EQ(name_of(leaf.ack), cat("a_ACK", i));
        EXPECT_LT(leaf.req.global_id(), leaf.ack.global_id());  // request first
        EXPECT_EQ(leaf.req.hw_type, want[i].req_kind);
        EXPECT_EQ(leaf.ack.hw_type, want[i].ack_kind);
        EXPECT_EQ(leaf.priority, want[i].priority);
        EXPECT_EQ(leaf.locked, want[i].locked);
        EXPECT_EQ(arena.hcp_width(leaf.req), 1);
        EXPECT_EQ(arena.hcp_width(leaf.ack), 1);
    }
    EXPECT_EQ(val_of(arena, arb_of(arb).leaves[1].req), 1u);
    EXPECT_EQ(val_of(arena, arb_of(arb).leaves[2].ack), 1u);
}

TEST_F(ArbTest, ArbiterWithoutLeavesBuildsNothing) {
    CcpIdent arb = make(ArbSamePriPolicy::AckOne, {});
    uint64_t next_id = peek_global_id();
    build(arb);
    EXPECT_EQ(driver(arena.arb_get_master_req_wire(arb)), "");
    EXPECT_EQ(peek_global_id(), next_id);
}

TEST_F(ArbTest, OneLeafIsGrantedItsOwnRequest) {
    CcpIdent arb = make(ArbSamePriPolicy::NotAck, {7});
    build(arb);
    EXPECT_EQ(driver(arena.arb_get_master_req_wire(arb)), "a_REQ0");
    EXPECT_EQ(grant(arb, 0), "a_REQ0");
}

TEST_F(ArbTest, OneLeafWithMasterAckIsGatedByIt) {
    CcpIdent arb = make(ArbSamePriPolicy::NotAck, {7});
    arena.arb_lock_master_ack(arb);
    build(arb);
    EXPECT_EQ(grant(arb, 0), "arb_ack_mack(a_REQ0, a_MACK)");
}

TEST_F(ArbTest, MasterRequestIsAnOrChainOfEveryRequestInIndexOrder) {
    CcpIdent arb = arena.make_arb("a", ArbSamePriPolicy::AckAll);
    arena.arb_add_leaf(arb, 1);
    arena.arb_add_leaf_locked(arb, 1, ArbLockedChannel::Ack);
    arena.arb_add_leaf_locked(arb, 1, ArbLockedChannel::Req);
    build(arb);
    EXPECT_EQ(driver(arena.arb_get_master_req_wire(arb)),
              "node_logic_expr(node_logic_expr(a_REQ0, a_REQ1), a_REQ2)");
}

struct PolicyCase {
    std::string name;
    ArbSamePriPolicy policy;
    std::vector<int32_t> priorities;
    std::vector<std::string> grants;
};

class ArbPolicyTest : public ArbTest, public ::testing::WithParamInterface<PolicyCase> {};

TEST_P(ArbPolicyTest, GrantLogicFollowsPriorityAndPolicy) {
    const PolicyCase& c = GetParam();
    CcpIdent arb = make(c.policy, c.priorities);
    build(arb);
    for (uint64_t i = 0; i < c.grants.size(); ++i) EXPECT_EQ(grant(arb, i), c.grants[i]) << i;
}

const std::string kBlock0 = "arb_ack_same(a_REQ1, arb_same_inv(a_REQ0))";

INSTANTIATE_TEST_SUITE_P(
    Policies, ArbPolicyTest,
    ::testing::Values(
        // AckOne: each leaf is blocked by the lower indexes of its priority.
        PolicyCase{"AckOneThreeEqual",
                   ArbSamePriPolicy::AckOne,
                   {3, 3, 3},
                   {"a_REQ0", kBlock0,
                    "arb_ack_same(a_REQ2, arb_same_inv(node_logic_expr(a_REQ0, a_REQ1)))"}},
        // NotAck: every other leaf of the same priority blocks.
        PolicyCase{"NotAckTwoEqual",
                   ArbSamePriPolicy::NotAck,
                   {3, 3},
                   {"arb_ack_same(a_REQ0, arb_same_inv(a_REQ1))", kBlock0}},
        // AckAll: equal priorities never block each other.
        PolicyCase{"AckAllThreeEqual",
                   ArbSamePriPolicy::AckAll,
                   {3, 3, 3},
                   {"a_REQ0", "a_REQ1", "a_REQ2"}},
        // 5, 1, 5: the low leaf is blocked by both others; the high ones by the policy only.
        PolicyCase{"AckOne515",
                   ArbSamePriPolicy::AckOne,
                   {5, 1, 5},
                   {"a_REQ0", "arb_ack_hi(a_REQ1, arb_hi_inv(node_logic_expr(a_REQ0, a_REQ2)))",
                    "arb_ack_same(a_REQ2, arb_same_inv(a_REQ0))"}},
        PolicyCase{"NotAck515",
                   ArbSamePriPolicy::NotAck,
                   {5, 1, 5},
                   {"arb_ack_same(a_REQ0, arb_same_inv(a_REQ2))",
                    "arb_ack_hi(a_REQ1, arb_hi_inv(node_logic_expr(a_REQ0, a_REQ2)))",
                    "arb_ack_same(a_REQ2, arb_same_inv(a_REQ0))"}},
        PolicyCase{"AckAll515",
                   ArbSamePriPolicy::AckAll,
                   {5, 1, 5},
                   {"a_REQ0", "arb_ack_hi(a_REQ1, arb_hi_inv(node_logic_expr(a_REQ0, a_REQ2)))",
                    "a_REQ2"}},
        // Higher priority first, then same priority, each on the result so far.
        PolicyCase{
            "HigherThenSame",
            ArbSamePriPolicy::AckOne,
            {2, 9, 2},
            {"arb_ack_hi(a_REQ0, arb_hi_inv(a_REQ1))", "a_REQ1",
             "arb_ack_same(arb_ack_hi(a_REQ2, arb_hi_inv(a_REQ1)), arb_same_inv(a_REQ0))"}}));

TEST_F(ArbTest, MasterAckGatesTheRequestBeforeThePriorityTerms) {
    CcpIdent arb = make(ArbSamePriPolicy::AckOne, {5, 1});
    HcpIdent go = bit("go");
    arena.arb_set_master_ack(arb, go, std::nullopt);
    build(arb);
    EXPECT_EQ(grant(arb, 0), "arb_ack_mack(a_REQ0, go)");
    EXPECT_EQ(grant(arb, 1), "arb_ack_hi(arb_ack_mack(a_REQ1, go), arb_hi_inv(a_REQ0))");
}

TEST_F(ArbTest, AckLockedLeafGetsNoGrantLogicButBlocksLowerLeaves) {
    CcpIdent arb = arena.make_arb("a", ArbSamePriPolicy::AckOne);
    arena.arb_add_leaf_locked(arb, 5, ArbLockedChannel::Ack);
    arena.arb_add_leaf(arb, 1);
    arena.arb_add_leaf_locked(arb, 0, ArbLockedChannel::Req);
    build(arb);
    EXPECT_EQ(grant(arb, 0), "");  // the constant 1 stays as it is
    EXPECT_EQ(grant(arb, 1), "arb_ack_hi(a_REQ1, arb_hi_inv(a_REQ0))");
    EXPECT_EQ(grant(arb, 2), "arb_ack_hi(a_REQ2, arb_hi_inv(node_logic_expr(a_REQ0, a_REQ1)))");
    EXPECT_EQ(driver(arena.arb_get_master_req_wire(arb)),
              "node_logic_expr(node_logic_expr(a_REQ0, a_REQ1), a_REQ2)");
}

TEST_F(ArbTest, SlicedSignalsResolveToNamedSliceExpressions) {
    CcpIdent arb = make(ArbSamePriPolicy::AckOne, {1});
    HcpIdent bus = arena.make_wire(true, "bus", 8);
    arena.arb_set_master_ack(arb, bus, Slice{0, 1});
    arena.arb_set_hold(arb, bus, Slice{1, 2});
    arena.arb_set_reset(arb, bus, Slice{2, 3});
    const Arb& a = arb_of(arb);
    EXPECT_EQ(name_of(*a.master_ack), "a_mack_CONDSLICE");
    EXPECT_EQ(name_of(*a.user_hold), "a_hold_CONDSLICE");
    EXPECT_EQ(name_of(*a.user_reset), "a_reset_CONDSLICE");
    EXPECT_EQ(hcp<Expression>(arena, *a.user_hold).a_slice, (Slice{1, 2}));
}

TEST_F(ArbTest, OneBitSignalsAreStoredAsTheyAre) {
    CcpIdent arb = make(ArbSamePriPolicy::AckOne, {1});
    HcpIdent hold = bit("h");
    HcpIdent rst = bit("r");
    arena.arb_set_hold(arb, hold, std::nullopt);
    arena.arb_set_reset(arb, rst, Slice{0, 1});  // the whole signal: no slice expression
    EXPECT_EQ(*arb_of(arb).user_hold, hold);
    EXPECT_EQ(*arb_of(arb).user_reset, rst);
    EXPECT_FALSE(arb_of(arb).master_ack.has_value());
}

TEST_F(ArbTest, SettersRefuseASecondSettingAndWideSignalsAsInternalErrors) {
    CcpIdent arb = make(ArbSamePriPolicy::AckOne, {1});
    HcpIdent b = bit("b");
    HcpIdent wide = arena.make_wire(true, "w", 2);
    EXPECT_EQ(panic_message([&] { arena.arb_set_hold(arb, wide, std::nullopt); }),
              "assertion `left == right` failed: Arb::set_user_hold: hold signal must be 1 bit\n  "
              "left: 2\n right: 1");
    arena.arb_set_hold(arb, b, std::nullopt);
    EXPECT_EQ(panic_message([&] { arena.arb_set_hold(arb, wide, std::nullopt); }),
              "Arb::set_user_hold: user hold already set");
    EXPECT_EQ(panic_message([&] { arena.arb_set_reset(arb, wide, std::nullopt); }),
              "assertion `left == right` failed: Arb::set_user_reset: reset signal must be 1 bit\n "
              " left: 2\n right: 1");
    arena.arb_set_reset(arb, b, std::nullopt);
    EXPECT_EQ(panic_message([&] { arena.arb_set_reset(arb, b, std::nullopt); }),
              "Arb::set_user_reset: user reset already set");
    EXPECT_EQ(panic_message([&] { arena.arb_set_master_ack_src(arb, wide); }),
              "assertion `left == right` failed: Arb::set_master_ack_src: master ack source must "
              "be 1 bit\n  left: 2\n right: 1");
    arena.arb_lock_master_ack(arb);
    EXPECT_EQ(panic_message([&] { arena.arb_set_master_ack_src(arb, b); }),
              "Arb::set_master_ack_src: master ack already set");
    EXPECT_EQ(panic_message([&] { arena.arb_lock_master_ack(arb); }),
              "Arb::set_master_ack_locked: master ack already set");
}

TEST_F(ArbTest, ChecksNameTheArbiterBeforeAnythingChanges) {
    CcpIdent arb = make(ArbSamePriPolicy::AckOne, {1, 2});
    std::string abs = arb.ident_base.abs_text().str();
    for (ArbSetting s : {ArbSetting::UserHold, ArbSetting::UserReset, ArbSetting::MasterAck,
                         ArbSetting::LockedMasterAck}) {
        EXPECT_EQ(check_arb_setting_free(arena, arb, s), std::nullopt);
    }
    arena.arb_set_hold(arb, bit("h"), std::nullopt);
    arena.arb_set_reset(arb, bit("r"), std::nullopt);
    arena.arb_set_master_ack(arb, bit("m"), std::nullopt);
    EXPECT_EQ(check_arb_setting_free(arena, arb, ArbSetting::UserHold),
              cat("Arb::set_user_hold: user hold already set on ", abs,
                  "; an arbiter takes one user hold"));
    EXPECT_EQ(check_arb_setting_free(arena, arb, ArbSetting::UserReset),
              cat("Arb::set_user_reset: user reset already set on ", abs,
                  "; an arbiter takes one user reset"));
    EXPECT_EQ(check_arb_setting_free(arena, arb, ArbSetting::MasterAck),
              cat("Arb::set_master_ack_src: master ack already set on ", abs,
                  "; an arbiter takes one master ack, set or locked once"));
    EXPECT_EQ(check_arb_setting_free(arena, arb, ArbSetting::LockedMasterAck),
              cat("Arb::set_master_ack_locked: master ack already set on ", abs,
                  "; an arbiter takes one master ack, set or locked once"));
    EXPECT_EQ(check_arb_leaf_index(arena, arb, 1), std::nullopt);
    EXPECT_EQ(check_arb_leaf_index(arena, arb, 2),
              cat("leaf index 2 is out of range for ", abs, ", which has 2 leaves (0 to 1)"));
    CcpIdent empty = make(ArbSamePriPolicy::AckOne, {});
    EXPECT_EQ(check_arb_leaf_index(arena, empty, 0),
              cat("leaf index 0 is out of range for ", empty.ident_base.abs_text(),
                  ", which has no leaves yet"));
}

TEST_F(ArbTest, LeafIndexOutOfRangeIsAnInternalErrorInTheCore) {
    CcpIdent arb = make(ArbSamePriPolicy::AckOne, {1});
    EXPECT_NE(panic_message([&] { arena.arb_get_leaf_req_wire(arb, 1); }), "");
    EXPECT_NE(panic_message([&] { arena.arb_get_leaf_ack_wire(arb, 7); }), "");
}

TEST_F(ArbTest, IdentitiesOfOtherKindsOrArenasAreRefusedWithoutTouchingStorage) {
    CcpIdent arb = make(ArbSamePriPolicy::AckOne, {});
    EXPECT_EQ(check_ident(arena, arb), std::nullopt);
    EXPECT_EQ(check_ccp_kind(arb, CcpType::Arb), std::nullopt);
    CcpIdent karray = CcpIdent::make(CcpType::Karray, true, "k");
    EXPECT_EQ(check_ccp_kind(karray, CcpType::Arb),
              cat("expected a complex component of kind ARB, got KARRAY_k_", karray.global_id(),
                  " of kind KARRAY"));
    EXPECT_NE(check_ident(arena, karray), std::nullopt);  // no storage for it: refused, no crash
    ModelArena other;
    ModuleIdent m = other.mk_module("m");
    other.track_module_at_com_init(m);
    CcpIdent foreign = other.make_arb("f", ArbSamePriPolicy::AckOne);
    EXPECT_EQ(check_ident(arena, foreign),
              cat(foreign.ident_base.abs_text(),
                  " is not a complex component of this arena (an identity from another "
                  "ModelArena, or one kept after BackendVerilog took the model)"));
}

TEST_F(ArbTest, ComplexComponentsCannotBeCreatedDuringTheFlowBuild) {
    arena.push_module(module, ModuleInitStage::FlowBlockBuild);
    EXPECT_EQ(panic_message([&] { arena.make_arb("late", ArbSamePriPolicy::AckOne); }),
              "stamp_ccp_to_parent_module: CCPs cannot be created during FlowBlockBuild");
}

TEST_F(ArbTest, ArbiterWithNoModuleTrackedFailsAsEveryComponentDoes) {
    arena.untrack_module_at_com_init(module);
    EXPECT_EQ(panic_message([&] { arena.make_arb("a", ArbSamePriPolicy::AckOne); }),
              "module trace stack is empty");
}

}  // namespace
}  // namespace velmora::testing
