// A build or an emit that stops part way leaves its model marked, so that later calls can refuse
// it instead of working on a half-built or half-routed model.
#include <filesystem>

#include "backends/verilog/backend_verilog.h"
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

TEST_F(FailedBuildTest, EmitThatStopsInRoutingMarksTheBackend) {
    HcpIdent r = reg("r");
    arena.untrack_module_at_com_init(top);
    // A register of another module tree read by the top module: routing finds no common
    // ancestor (the binding refuses such a connection; the core meets it at emit).
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
    ::testing::internal::CaptureStdout();
    EXPECT_THROW(backend.emit(dir.string(), "failed_emit_top"), InternalError);
    ::testing::internal::GetCapturedStdout();
    ASSERT_TRUE(backend.failed_emit().has_value());
    EXPECT_EQ(backend.failed_emit()->rfind("find_common_ancestor_module_paths: ", 0), 0u);
    EXPECT_FALSE(std::filesystem::exists(dir / "failed_emit_top.v"));
}

}  // namespace
}  // namespace velmora::testing
