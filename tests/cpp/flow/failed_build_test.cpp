// A build or an emit that stops part way leaves its model marked, so that later calls can refuse
// it instead of working on a half-built or half-routed model.
#include <filesystem>

#include "backends/verilog/backend_verilog.h"
#include "common/user_error.h"
#include "flow_fixture.h"

namespace velmora::testing {
namespace {

class FailedBuildTest : public FlowFixture {};

TEST_F(FailedBuildTest, BuildThatStopsPartWayMarksTheModel) {
    HcpIdent r = reg("r");
    HcpIdent extra_clock = arena.make_wire(true, "extra_clock", 1);
    begin_flow();
    FlowBlockIdent s = seq_of("s", r, 2);
    // A second clock signal on the block breaks the build inside the block tree.
    arena.with_block(s, [&](FlowBlock& b) { b.get_base_mut().clk_signals.push_back(extra_clock); });
    EXPECT_FALSE(arena.failed_build().has_value());
    EXPECT_THROW(end_flow_and_build(), InternalError);
    ASSERT_TRUE(arena.failed_build().has_value());
    EXPECT_EQ(arena.failed_build()->rfind("ExtSigType::Clk supports exactly one signal, got 2", 0),
              0u);
    EXPECT_FALSE(arena.flow_built());
}

TEST_F(FailedBuildTest, SignalOfAnotherTreeIsRefusedBeforeRoutingAndLeavesTheBackendUsable) {
    HcpIdent r = reg("r");
    arena.untrack_module_at_com_init(top);
    // A register of another module tree read by the top module: no routing can connect it. The
    // binding refuses most such reads; the core checks every module's reads before routing.
    ModuleIdent other = arena.mk_module("other");
    arena.track_module_at_com_init(other);
    HcpIdent foreign = arena.make_reg(true, "foreign", 8);
    arena.untrack_module_at_com_init(other);
    arena.track_module_at_flow_init(top);
    arena.gen_basic_assign(r, foreign, std::nullopt, std::nullopt);
    arena.untrack_module_at_flow_init(top);
    arena.set_top_module(top);
    arena.build_flow();
    BackendVerilog backend(std::move(arena));
    std::filesystem::path dir = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 2; ++attempt) {
        ::testing::internal::CaptureStdout();
        try {
            backend.emit(dir.string(), "failed_emit_top");
            ADD_FAILURE() << "emit did not refuse the read across module trees";
        } catch (const UserError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("emit: REG_foreign_", 0), 0u) << e.what();
        }
        ::testing::internal::GetCapturedStdout();
        EXPECT_FALSE(backend.failed_emit().has_value());
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "failed_emit_top.v"));
}

}  // namespace
}  // namespace velmora::testing
