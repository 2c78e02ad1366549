// Whole module blocks: the five phases, their order, and the text of a small two-module design.
#include "backend_fixture.h"
#include "backends/verilog/backend_verilog.h"
#include "backends/verilog/module_vb.h"
#include "verilog_tools.h"

namespace velmora::testing {
namespace {

const std::string kBanner = std::string(80, '/') + "\n";
const std::string kPhase2 =
    "    // ---- Phase 2 : signal declarations (reg / wire / localparam / mem) ----\n";
const std::string kPhase25 = "    // ---- Phase 2.5 : sub-module output wire declarations ----\n";
const std::string kPhase3 = "    // ---- Phase 3 : always blocks & continuous assignments ----\n";
const std::string kPhase4 = "    // ---- Phase 4 : sub-module instantiations ----\n";
const std::string kPhase5 = "    // ---- Phase 5 : endmodule ----\n\nendmodule\n\n";

class ModuleLayoutTest : public BackendFixture {
protected:
    std::string block_of(const ModuleIdent& m) {
        return render([&](FileWriter& w) { gen_module_blk_vb(arena.get_module(m), arena, w); });
    }
    HcpIdent port(const std::string& name, bool is_input, int32_t width,
                  OptHcpIdent src = std::nullopt) {
        HcpIdent io = arena.make_io_wire(false, "IO_" + name, is_input, width, src, src);
        arena.with_hcp(io, [&](HcpBase& c) { static_cast<IoWire&>(c).port_name = name; });
        return io;
    }
};

TEST_F(ModuleLayoutTest, ModuleWithoutPortsOrComponentsHasEveryPhaseHeading) {
    ModuleIdent m = in_module(module("empty"), [] {});
    EXPECT_EQ(block_of(m), kBanner + "// Phase 1 : module header & IO ports\nmodule " + N(m) +
                               "(\n);\n\n" + kPhase2 + "\n" + kPhase25 + kPhase3 + kPhase4 +
                               kPhase5);
}

TEST_F(ModuleLayoutTest, OnlyRegistersGiveOnlyTheRegHeadingAndUserComesAfterSystem) {
    HcpIdent user_r, sys_r;
    ModuleIdent m = in_module(module("regs"), [&] {
        user_r = arena.make_reg(true, "u", 2);
        sys_r = arena.make_reg(false, "s", 2);
    });
    EXPECT_EQ(block_of(m), kBanner + "// Phase 1 : module header & IO ports\nmodule " + N(m) +
                               "(\n);\n\n" + kPhase2 + "    // ---- REG declarations ----\n" +
                               "reg  [1:0]  " + N(sys_r) + ";\nreg  [1:0]  " + N(user_r) + ";\n\n" +
                               kPhase25 + kPhase3 + kPhase4 + kPhase5);
}

TEST_F(ModuleLayoutTest, OnePortModuleAndPortlessSubModule) {
    ModuleIdent top = module("top");
    ModuleIdent sub;
    HcpIdent io;
    in_module(top, [&] {
        io = port("x", true, 4);
        sub = in_module(module("sub"), [] {});
    });
    std::string text = block_of(top);
    EXPECT_NE(text.find("module " + N(top) + "(\n    input wire [3:0] x\n);\n\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find(kPhase4 + N(sub) + "  " + N(sub) + " (\n);\n" + kPhase5), std::string::npos)
        << text;
}

// A top module with ports, every declaration kind it needs, a register whose pool holds a plain
// and a conditional event, one expression of each form, and a sub-module whose output it reads.
TEST_F(ModuleLayoutTest, GoldenTextOfASmallTwoModuleDesign) {
    ModuleIdent top = module("top");
    ModuleIdent leaf;
    HcpIdent clk, din, c1, r, sys, w, c8, v1, v16, inv, add, slt, nt, sl, ext, eq, and1, and2, orr;
    HcpIdent lin, lx, lout, dout, flag;
    in_module(top, [&] {
        clk = port("clk", true, 1);
        din = port("din", true, 8);
        c1 = port("c1", true, 1);
        r = arena.make_reg(true, "r", 8);
        sys = arena.make_reg(false, "sys", 1);
        w = arena.make_wire(true, "w", 8);
        c8 = arena.make_val(true, "c8", 8, 255);
        v1 = arena.make_val(true, "v1", 1, 1);
        v16 = arena.make_val(true, "v16", 16, 0);
        inv = arena.make_expression_single(true, "inv", LogicOp::BitwiseInvr, din, std::nullopt);
        add = arena.make_expression(true, "add", LogicOp::ArithPlus, inv, c8, Slice{0, 8},
                                    Slice{0, 8});
        slt = arena.make_expression(true, "slt", LogicOp::RelationSlt, add, din, std::nullopt,
                                    std::nullopt);
        nt = arena.make_expression_single(true, "nt", LogicOp::LogicalNot, slt, std::nullopt);
        sl = arena.make_expression_single(true, "sl", LogicOp::SliceBit, din, Slice{3, 4});
        ext = arena.make_expression_constant(true, "ext", LogicOp::ExtendBit, din, 16, Slice{0, 8});
        eq = arena.make_expression(true, "eq", LogicOp::RelationEq, ext, v16, std::nullopt,
                                   std::nullopt);
        and1 = arena.make_expression(true, "and1", LogicOp::BitwiseAnd, nt, sl, std::nullopt,
                                     std::nullopt);
        and2 = arena.make_expression(true, "and2", LogicOp::BitwiseAnd, and1, eq, std::nullopt,
                                     std::nullopt);
        orr = arena.make_expression(true, "orr", LogicOp::BitwiseOr, and2, v1, std::nullopt,
                                    std::nullopt);
        leaf = in_module(module("leaf"), [&] {
            lin = arena.make_io_wire(false, "IO_IN_din", true, 8, din, din);
            lx = arena.make_expression_single(true, "lx", LogicOp::BitwiseInvr, lin, Slice{0, 8});
            lout = arena.make_io_wire(false, "IO_OUT_lx", false, 8, lx, lx);
        });
        dout = port("dout", false, 8, r);
        flag = port("flag", false, 1, orr);
    });
    assign(r, din, ClockMode::PosEdge, clk);
    push_pool(r, cond_event({{sys, basic(r, w, ClockMode::PosEdge, clk)},
                             {c1, basic(r, lout, ClockMode::PosEdge, clk)},
                             {std::nullopt, basic(r, c8, ClockMode::PosEdge, clk)}},
                            ClockMode::PosEdge, clk));
    assign(sys, slt, ClockMode::PosEdge, clk);
    assign(w, add, ClockMode::ClkFree);
    arena.set_top_module(top);
    arena.mark_flow_built();

    BackendVerilog backend(std::move(arena));
    ::testing::internal::CaptureStdout();
    backend.emit(tmp.str(), "top");
    ::testing::internal::GetCapturedStdout();

    const std::string expected_top =
        kBanner + "// Phase 1 : module header & IO ports\n" + "module " + N(top) + "(\n" +
        "    input wire clk,\n" + "    input wire [7:0] din,\n" + "    input wire c1,\n" +
        "    output reg  [7:0] dout,\n" + "    output reg  flag\n" + ");\n\n" + kPhase2 +
        "    // ---- REG declarations ----\n" + "reg   " + N(sys) + ";\n" + "reg  [7:0]  " + N(r) +
        ";\n" + "    // ---- WIRE declarations ----\n" + "reg  [7:0]  " + N(w) + ";\n" +
        "    // ---- VAL declarations ----\n" + "wire [7:0]  " + N(c8) + " = 8'hff;\n" + "wire  " +
        N(v1) + " = 1'b1;\n" + "wire [15:0]  " + N(v16) + " = 16'h0;\n" +
        "    // ---- EXPR declarations ----\n" + "wire [7:0]  " + N(inv) + ";\n" + "wire [7:0]  " +
        N(add) + ";\n" + "wire  " + N(slt) + ";\n" + "wire  " + N(nt) + ";\n" + "wire  " + N(sl) +
        ";\n" + "wire [15:0]  " + N(ext) + ";\n" + "wire  " + N(eq) + ";\n" + "wire  " + N(and1) +
        ";\n" + "wire  " + N(and2) + ";\n" + "wire  " + N(orr) + ";\n" + "\n" + kPhase25 +
        "wire [7:0] " + N(lout) + ";\n" + kPhase3 +
        // REG: the system-made register first.
        "always @(posedge clk) begin\n" + "    " + N(sys) + " <= " + N(slt) + ";\n" + "end\n" +
        "always @(posedge clk) begin\n" + "    " + N(r) + "[7:0] <= din[7:0];\n" + "    if (" +
        N(sys) + ") begin\n" + "        " + N(r) + "[7:0] <= " + N(w) + "[7:0];\n" +
        "    end else if (c1) begin\n" + "        " + N(r) + "[7:0] <= " + N(lout) + "[7:0];\n" +
        "    end else begin\n" + "        " + N(r) + "[7:0] <= " + N(c8) + "[7:0];\n" +
        "    end\n" + "end\n" +
        // WIRE
        "always @(*) begin\n" + "    " + N(w) + "[7:0] = " + N(add) + "[7:0];\n" + "end\n" +
        // EXPR
        "assign " + N(inv) + " = ~din;\n" + "assign " + N(add) + " = " + N(inv) + "[7:0] + " +
        N(c8) + "[7:0];\n" + "assign " + N(slt) + " = $signed(" + N(add) + ") < $signed(din);\n" +
        "assign " + N(nt) + " = !" + N(slt) + ";\n" + "assign " + N(sl) + " = din[3:3];\n" +
        "assign " + N(ext) + " = {{8{1'b0}}, din[7:0]};\n" + "assign " + N(eq) + " = " + N(ext) +
        " == " + N(v16) + ";\n" + "assign " + N(and1) + " = " + N(nt) + " & " + N(sl) + ";\n" +
        "assign " + N(and2) + " = " + N(and1) + " & " + N(eq) + ";\n" + "assign " + N(orr) + " = " +
        N(and2) + " | " + N(v1) + ";\n" +
        // IO_WIRE: input ports write nothing.
        "always @(*) begin\n" + "    dout[7:0] = " + N(r) + "[7:0];\n" + "end\n" +
        "always @(*) begin\n" + "    flag = " + N(orr) + ";\n" + "end\n" + kPhase4 + N(leaf) +
        "  " + N(leaf) + " (\n" + "    ." + N(lin) + "(din[7:0]),\n" + "    ." + N(lout) + "(" +
        N(lout) + ")\n" + ");\n" + kPhase5;
    const std::string expected_leaf =
        kBanner + "// Phase 1 : module header & IO ports\n" + "module " + N(leaf) + "(\n" +
        "    input wire [7:0] " + N(lin) + ",\n" + "    output reg  [7:0] " + N(lout) + "\n" +
        ");\n\n" + kPhase2 + "    // ---- EXPR declarations ----\n" + "wire [7:0]  " + N(lx) +
        ";\n" + "\n" + kPhase25 + kPhase3 + "assign " + N(lx) + " = ~" + N(lin) + "[7:0];\n" +
        "always @(*) begin\n" + "    " + N(lout) + "[7:0] = " + N(lx) + "[7:0];\n" + "end\n" +
        kPhase4 + kPhase5;

    std::string top_path = (tmp.path() / "top.v").string();
    std::string leaf_path = (tmp.path() / (N(leaf) + ".v")).string();
    EXPECT_EQ(read_text(top_path), expected_top);
    EXPECT_EQ(read_text(leaf_path), expected_leaf);
    expect_clean_verilog({top_path, leaf_path}, N(top));
}

}  // namespace
}  // namespace velmora::testing
