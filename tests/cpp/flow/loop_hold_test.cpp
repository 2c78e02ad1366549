// A loop held by its block's hold signal keeps its state: simulated in Icarus, since holds come
// from the components that own a block (arbiters), not from a Python call.
#include <fstream>
#include <regex>

#include "../backends/backend_fixture.h"
#include "../backends/verilog_tools.h"
#include "backends/verilog/backend_verilog.h"
#include "backends/verilog/module_vb.h"
#include "flow_fixture.h"

namespace velmora::testing {
namespace {

constexpr const char* kTestbench = R"(`timescale 1ns/1ps
module hold_tb;
    reg clk = 0, mrst = 0, hold = 0;
    wire [7:0] b;
    TOP dut (.clk(clk), .mrst(mrst), .hold(hold), .b(b));
    integer cyc;
    initial begin
        #1 mrst = 1; #1 clk = 1; #1 clk = 0; #1 mrst = 0;
        for (cyc = 0; cyc < 12; cyc = cyc + 1) begin
            hold = (cyc >= 3 && cyc < 6);
            #1 clk = 1;
            #1 $display("CYC %0d b=%0d", cyc, b);
            #1 clk = 0;
        end
        $finish;
    end
endmodule
)";

using LoopHoldTest = FlowFixture;

TEST_F(LoopHoldTest, HeldCounterLoopPausesAndResumesWhereItWas) {
    HcpIdent b = reg("b");
    arena.set_reg_reset(b, val(8, 0));
    arena.mark_as_io(b, false, "b");
    HcpIdent hold = arena.make_wire(true, "hold", 1);
    arena.mark_as_io(hold, true, "hold");
    HcpIdent b_inc = arena.make_expression(true, "b_inc", LogicOp::ArithPlus, b, val(8, 1),
                                           std::nullopt, std::nullopt);
    begin_flow();
    FlowBlockIdent loop = arena.make_flow_block_counter_loop("four", 4);
    arena.initialize_flow_block(loop);
    FlowBlockIdent body = open_seq("body");
    arena.gen_basic_assign(b, b_inc, std::nullopt, std::nullopt);
    close(body);
    close(loop);
    arena.with_block(loop, [&](FlowBlock& l) { l.get_base_mut().hold_signals.push_back(hold); });
    end_flow_and_build();

    TempDir tmp;
    const std::string top_name = module_sim_name_vb(arena, top);
    BackendVerilog(std::move(arena)).emit(tmp.str(), "top");
    const std::string tb = tmp.str() + "/hold_tb.sv";
    std::ofstream(tb) << std::regex_replace(kTestbench, std::regex("TOP"), top_name);
    ToolResult sim = run_simulation({tmp.str() + "/top.v"}, tb, "hold_tb", tmp.str());
    if (!sim.ran) GTEST_SKIP() << "Icarus Verilog is not installed";
    ASSERT_EQ(sim.status, 0) << sim.output;
    std::vector<int> trace;
    std::regex sample(R"(CYC \d+ b=(\d+))");
    for (auto it = std::sregex_iterator(sim.output.begin(), sim.output.end(), sample);
         it != std::sregex_iterator(); ++it) {
        trace.push_back(std::stoi((*it)[1]));
    }
    // Passes in samples 1, 2, 3, then the hold (set before edges 3 to 5) freezes the loop; the
    // last pass runs once the hold is released, and the loop does not run a fifth time.
    EXPECT_EQ(trace, (std::vector<int>{0, 1, 2, 2, 2, 2, 3, 4, 4, 4, 4, 4})) << sim.output;
}

}  // namespace
}  // namespace velmora::testing
