#include "model/typed_access.h"
#include "model_test_support.h"

namespace velmora::testing {
namespace {

enum class Kind { State, Sync, CondWait, CycleWait };

struct RefusalCase {
    Kind kind;
    const char* message;
};

class ControlRegRefusal : public ModelTest, public ::testing::WithParamInterface<RefusalCase> {
protected:
    HcpIdent make(Kind k) {
        switch (k) {
            case Kind::State:
                return arena.make_state_reg("r");
            case Kind::Sync:
                return arena.make_sync_reg("r", 1);
            case Kind::CondWait:
                return arena.make_cond_wait_state_reg("r", bit("c"), Slice{0, 1});
            case Kind::CycleWait:
                return arena.make_cycle_wait_state_reg("r", 2);
        }
        return {};
    }
};

TEST_P(ControlRegRefusal, ordinary_assignment_is_refused) {
    HcpIdent reg = make(GetParam().kind);
    HcpIdent src = arena.make_val(false, "v", arena.hcp_width(reg), 0);
    EXPECT_EQ(panic_message([&] {
                  arena.with_hcp(reg, [&](HcpBase& r) {
                      r.do_asm(arena, src, std::nullopt, 0, arena.hcp_width(src));
                  });
              }),
              GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ControlRegRefusal,
    ::testing::Values(
        RefusalCase{Kind::State, "StateReg::do_asm() is not supported; use build_update_event()"},
        RefusalCase{Kind::Sync, "SyncReg::do_asm() is not supported; use build_update_event()"},
        RefusalCase{Kind::CondWait,
                    "CondWaitStateReg::do_asm() is not supported; use build_update_event()"},
        RefusalCase{Kind::CycleWait,
                    "CycleWaitStateReg::do_asm() is not supported; use build_update_event()"}));

class CntRegAssign : public ModelTest {};

TEST_F(CntRegAssign, counter_accepts_an_ordinary_assignment_at_priority_50) {
    HcpIdent reg = arena.make_cnt_reg("c", 1, 4);
    HcpIdent src = arena.make_val(false, "v", 2, 1);
    NcpIdent n =
        arena.with_hcp(reg, [&](HcpBase& r) { return r.do_asm(arena, src, std::nullopt, 0, 2); });
    EXPECT_EQ(n.node_type, NodeType::Asm);
    EXPECT_EQ(n.ident_base.rel_view(), "c_asm");
    const AsmNode& asm_node = node<AsmNode>(arena, n);
    UeCommon c = arena.get_ue_common(*asm_node.asm_metas[0].cur_ue);
    EXPECT_EQ(c.priority, 50);
    EXPECT_EQ(c.clk_mode, ClockMode::PosEdge);
}

}  // namespace
}  // namespace velmora::testing
