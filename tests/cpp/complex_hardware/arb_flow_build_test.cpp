// Where the module flow build puts the arbiter's grant logic: after the flow blocks of every
// module, in the arbiter's own module.
#include <algorithm>
#include <string>
#include <vector>

#include "../flow/flow_fixture.h"
#include "../model/module_lists.h"
#include "util/str_cat.h"

namespace velmora::testing {
namespace {

class ArbFlowBuildTest : public FlowFixture {
protected:
    /// Ids of a module's internal components of one kind.
    std::vector<uint64_t> ids(const ModuleIdent& m, HwComponentType kind) {
        std::vector<uint64_t> out;
        for (const HcpIdent& h : testing::hcp_idents(arena, arena.get_module(m), kind, false)) {
            out.push_back(h.global_id());
        }
        return out;
    }
    std::vector<std::string> names(const ModuleIdent& m, HwComponentType kind, bool user) {
        std::vector<std::string> out;
        for (const HcpIdent& h : testing::hcp_idents(arena, arena.get_module(m), kind, user)) {
            out.emplace_back(h.rel_name());
        }
        return out;
    }
};

TEST_F(ArbFlowBuildTest, GrantLogicIsBuiltAfterTheFlowBlocksOfEveryModule) {
    ModuleIdent sub = arena.mk_module("sub");
    arena.track_module_at_com_init(sub);
    HcpIdent r = reg("r");
    arena.untrack_module_at_com_init(sub);
    CcpIdent arb = arena.make_arb("a", ArbSamePriPolicy::AckOne);
    arena.arb_add_leaf(arb, 1);
    arena.arb_add_leaf(arb, 2);
    arena.untrack_module_at_com_init(top);
    arena.track_module_at_flow_init(sub);
    seq_of("s", r, 2);
    arena.finalize_flow_procedure();
    arena.untrack_module_at_flow_init(sub);
    arena.set_top_module(top);
    arena.build_flow();

    // The sub-module's flow (built after the top module's) made its state registers before any
    // grant expression: a flow block anywhere may still set the master acknowledge.
    std::vector<uint64_t> states = ids(sub, HwComponentType::StateReg);
    ASSERT_FALSE(states.empty());
    std::vector<std::string> top_exprs = names(top, HwComponentType::Expression, false);
    std::vector<std::string> want = {"node_logic_expr", "arb_hi_inv", "arb_ack_hi"};
    for (const std::string& w : want) {
        EXPECT_NE(std::find(top_exprs.begin(), top_exprs.end(), w), top_exprs.end()) << w;
    }
    uint64_t last_state = *std::max_element(states.begin(), states.end());
    for (const HcpIdent& e :
         testing::hcp_idents(arena, arena.get_module(top), HwComponentType::Expression, false)) {
        if (e.rel_name().starts_with("arb_") || e.rel_name() == "node_logic_expr") {
            EXPECT_GT(e.global_id(), last_state) << e.rel_name();
        }
    }
    std::vector<std::string> sub_exprs = names(sub, HwComponentType::Expression, false);
    EXPECT_EQ(std::find(sub_exprs.begin(), sub_exprs.end(), "arb_ack_hi"), sub_exprs.end());
    EXPECT_TRUE(arena.module_trace_stack().empty());
    EXPECT_TRUE(arena.pending_hcps().empty());
}

TEST_F(ArbFlowBuildTest, LeafSignalsBelongToTheModuleCurrentWhenTheLeafIsAdded) {
    CcpIdent arb = arena.make_arb("a", ArbSamePriPolicy::NotAck);
    arena.arb_add_leaf(arb, 1);
    ModuleIdent sub = arena.mk_module("sub");
    arena.track_module_at_com_init(sub);
    arena.arb_add_leaf(arb, 1);
    arena.untrack_module_at_com_init(sub);
    arena.untrack_module_at_com_init(top);
    arena.set_top_module(top);
    arena.build_flow();

    EXPECT_EQ(names(top, HwComponentType::Wire, true),
              (std::vector<std::string>{"a_MREQ", "a_REQ0", "a_ACK0"}));
    EXPECT_EQ(names(sub, HwComponentType::Wire, true),
              (std::vector<std::string>{"a_REQ1", "a_ACK1"}));
    EXPECT_EQ(arena.get_module(sub).ccps.size(), 0u);
    // The grant logic stays with the arbiter.
    EXPECT_EQ(names(sub, HwComponentType::Expression, false).size(), 0u);
    std::vector<std::string> top_exprs = names(top, HwComponentType::Expression, false);
    EXPECT_EQ(std::count(top_exprs.begin(), top_exprs.end(), "arb_ack_same"), 2);
}

TEST_F(ArbFlowBuildTest, ArbitersOfSubModulesAreBuiltToo) {
    ModuleIdent sub = arena.mk_module("sub");
    arena.track_module_at_com_init(sub);
    CcpIdent arb = arena.make_arb("a", ArbSamePriPolicy::AckOne);
    arena.arb_add_leaf(arb, 1);
    arena.untrack_module_at_com_init(sub);
    arena.untrack_module_at_com_init(top);
    arena.set_top_module(top);
    arena.build_flow();

    EXPECT_EQ(arb.parent_module, ModuleRef(sub));
    EXPECT_EQ(arena.get_module(sub).ccps, std::vector<CcpIdent>{arb});
    HcpIdent ack = arena.arb_get_leaf_ack_wire(arb, 0);
    // A default event from the wire's own build, then the grant.
    EXPECT_EQ(arena.read_hcp(ack, [](const HcpBase& c) { return c.get_update_pool().size(); }), 2u);
}

}  // namespace
}  // namespace velmora::testing
