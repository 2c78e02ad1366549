// Verilog text of single components and update events.
#include "backend_fixture.h"
#include "backends/verilog/hcp_vb_dispatch.h"
#include "backends/verilog/ue_vb.h"
#include "backends/verilog/util_vb.h"
#include "backends/verilog/val_vb.h"

namespace velmora::testing {
namespace {

class FormsTest : public BackendFixture {
protected:
    ModuleIdent m;
    void SetUp() override {
        m = module("m");
        arena.track_module_at_com_init(m);
    }
    void TearDown() override { arena.untrack_module_at_com_init(m); }

    std::string procedure_of(const HcpIdent& id) {
        return render([&](FileWriter& w) {
            read_hcp_vb(arena, id, [&](const HcpBaseVb& vb) {
                for (int j = 0; j < vb.amt_precedure_blk_vb(); ++j) {
                    vb.gen_procedure_blk_vb(j, arena, w);
                }
            });
        });
    }
    std::string declaration_of(const HcpIdent& id) {
        return render([&](FileWriter& w) {
            read_hcp_vb(arena, id, [&](const HcpBaseVb& vb) {
                for (int i = 0; i < vb.amt_init_line_vb(); ++i) vb.gen_init_line_vb(i, arena, w);
            });
        });
    }
};

TEST_F(FormsTest, ConstantLiteralsUseHexOrOneBitForm) {
    EXPECT_EQ(vary_val_to_verilog(VaryVal::from_u64(255, 8)), "8'hff");
    EXPECT_EQ(vary_val_to_verilog(VaryVal::from_u64(1, 1)), "1'b1");
    EXPECT_EQ(vary_val_to_verilog(VaryVal::from_u64(0, 16)), "16'h0");
    EXPECT_EQ(vary_val_to_verilog(VaryVal{{}, 1}), "1'b0");
    EXPECT_EQ(vary_val_to_verilog(VaryVal::from_limbs({0x5, 0x3}, 70)), "70'h30000000000000005");
    EXPECT_EQ(vary_val_to_verilog(VaryVal::from_limbs({0, 0}, 100)), "100'h0");
    EXPECT_EQ(vary_val_to_verilog(VaryVal::from_limbs({0xabc, 0}, 100)), "100'habc");
}

TEST_F(FormsTest, WidthTextHasTrailingBlankAboveOneBit) {
    EXPECT_EQ(width_text_vb(8), "[7:0] ");
    EXPECT_EQ(width_text_vb(2), "[1:0] ");
    EXPECT_EQ(width_text_vb(1), "");
}

TEST_F(FormsTest, OperatorTokensAndRefusals) {
    const std::pair<LogicOp, const char*> tokens[] = {
        {LogicOp::BitwiseAnd, "&"},   {LogicOp::BitwiseOr, "|"},    {LogicOp::BitwiseXor, "^"},
        {LogicOp::BitwiseInvr, "~"},  {LogicOp::BitwiseShl, "<<"},  {LogicOp::BitwiseShr, ">>"},
        {LogicOp::LogicalAnd, "&&"},  {LogicOp::LogicalOr, "||"},   {LogicOp::LogicalNot, "!"},
        {LogicOp::RelationEq, "=="},  {LogicOp::RelationNeq, "!="}, {LogicOp::RelationLe, "<"},
        {LogicOp::RelationLeq, "<="}, {LogicOp::RelationGe, ">"},   {LogicOp::RelationGeq, ">="},
        {LogicOp::RelationSlt, "<"},  {LogicOp::RelationSgt, ">"},  {LogicOp::ArithPlus, "+"},
        {LogicOp::ArithMinus, "-"},   {LogicOp::ArithMul, "*"},     {LogicOp::ArithDiv, "/"},
        {LogicOp::ArithDivr, "%"}};
    for (auto [op, token] : tokens) EXPECT_EQ(logic_op_to_verilog(op), token) << member_name(op);
    EXPECT_EQ(panic_message([] { logic_op_to_verilog(LogicOp::ExtendBit); }),
              "logic_op_to_verilog: ExtendBit has no direct Verilog operator; not yet implemented");
    EXPECT_EQ(panic_message([] { logic_op_to_verilog(LogicOp::SliceBit); }),
              "logic_op_to_verilog: SliceBit has no operator token; handle as wire-through");
    EXPECT_EQ(panic_message([] { logic_op_to_verilog(LogicOp::Assign); }),
              "logic_op_to_verilog: Assign has no operator token; handle as wire-through");
    EXPECT_EQ(panic_message([] { logic_op_to_verilog(LogicOp::Dummy); }),
              "logic_op_to_verilog: Dummy op must not reach the Verilog backend");
}

TEST_F(FormsTest, SensitivityListByClockMode) {
    EXPECT_EQ(sensitivity_list(ClockMode::PosEdge, "clk"), "posedge clk");
    EXPECT_EQ(sensitivity_list(ClockMode::NegEdge, "clk"), "negedge clk");
    EXPECT_EQ(sensitivity_list(ClockMode::ClkFree, std::nullopt), "*");
    EXPECT_EQ(sensitivity_list(ClockMode::ClkUnused, std::nullopt), "*");
    EXPECT_EQ(panic_message([] { sensitivity_list(ClockMode::PosEdge, std::nullopt); }),
              "sensitivity_list: PosEdge with no clk source");
    EXPECT_EQ(panic_message([] { sensitivity_list(ClockMode::NegEdge, std::nullopt); }),
              "sensitivity_list: NegEdge with no clk source");
}

TEST_F(FormsTest, OperandTextSlicesOnlyWideSignals) {
    HcpIdent a = arena.make_wire(true, "a", 8);
    HcpIdent b = arena.make_wire(true, "b", 1);
    CurrentHcpVb cur{b, "CUR", 1};
    EXPECT_EQ(fmt_operand(a, Slice{2, 6}, arena, cur), N(a) + "[5:2]");
    EXPECT_EQ(fmt_operand(a, std::nullopt, arena, cur), N(a));
    EXPECT_EQ(fmt_operand(a, Slice{-1, 3}, arena, cur), N(a));
    // The current component is out of its slot: its own name and width are used.
    EXPECT_EQ(fmt_operand(b, Slice{0, 1}, arena, cur), "CUR");
    CurrentHcpVb wide{b, "CUR", 4};
    EXPECT_EQ(fmt_operand(b, Slice{0, 4}, arena, wide), "CUR[3:0]");
}

TEST_F(FormsTest, EightBitRegisterOnPosEdgeWritesOneSlicedStatement) {
    HcpIdent clk = arena.make_wire(true, "clk", 1);
    HcpIdent w = arena.make_wire(true, "w", 8);
    HcpIdent r = arena.make_reg(true, "r", 8);
    assign(r, w, ClockMode::PosEdge, clk);
    EXPECT_EQ(procedure_of(r), "always @(posedge " + N(clk) + ") begin\n    " + N(r) +
                                   "[7:0] <= " + N(w) + "[7:0];\nend\n");
    EXPECT_EQ(declaration_of(r), "reg  [7:0]  " + N(r) + ";");
}

TEST_F(FormsTest, OneBitRegisterHasNoSliceOnEitherSide) {
    HcpIdent clk = arena.make_wire(true, "clk", 1);
    HcpIdent w = arena.make_wire(true, "w", 1);
    HcpIdent r = arena.make_reg(true, "r", 1);
    assign(r, w, ClockMode::NegEdge, clk);
    EXPECT_EQ(procedure_of(r),
              "always @(negedge " + N(clk) + ") begin\n    " + N(r) + " <= " + N(w) + ";\nend\n");
    EXPECT_EQ(declaration_of(r), "reg   " + N(r) + ";");
}

TEST_F(FormsTest, RegisterWithoutEventsWritesNoAlwaysBlock) {
    HcpIdent r = arena.make_reg(true, "r", 4);
    EXPECT_EQ(procedure_of(r), "");
}

TEST_F(FormsTest, FirstEventDecidesTheClockingOfThePool) {
    HcpIdent clk = arena.make_wire(true, "clk", 1);
    HcpIdent a = arena.make_wire(true, "a", 4);
    HcpIdent w = arena.make_wire(true, "w", 4);
    assign(w, a, ClockMode::ClkFree);
    assign(w, a, ClockMode::PosEdge, clk, Slice{1, 3}, Slice{0, 2});
    EXPECT_EQ(procedure_of(w), "always @(*) begin\n    " + N(w) + "[3:0] = " + N(a) +
                                   "[3:0];\n    " + N(w) + "[2:1] = " + N(a) + "[1:0];\nend\n");
}

TEST_F(FormsTest, CondEventChainsElseIfAndElseOnTheEndLine) {
    HcpIdent clk = arena.make_wire(true, "clk", 1);
    HcpIdent c0 = arena.make_wire(true, "c0", 1);
    HcpIdent c1 = arena.make_wire(true, "c1", 1);
    HcpIdent a = arena.make_wire(true, "a", 8);
    HcpIdent b = arena.make_wire(true, "b", 8);
    HcpIdent r = arena.make_reg(true, "r", 8);
    UpdateEventIdent e0 = basic(r, a, ClockMode::PosEdge, clk);
    UpdateEventIdent e1 = basic(r, b, ClockMode::PosEdge, clk);
    UpdateEventIdent e2 = basic(r, a, ClockMode::PosEdge, clk, Slice{0, 4}, Slice{4, 8});
    push_pool(r, cond_event({{c0, e0}, {c1, e1}, {std::nullopt, e2}}, ClockMode::PosEdge, clk));
    EXPECT_EQ(procedure_of(r), "always @(posedge " + N(clk) + ") begin\n" + "    if (" + N(c0) +
                                   ") begin\n" + "        " + N(r) + "[7:0] <= " + N(a) +
                                   "[7:0];\n" + "    end else if (" + N(c1) + ") begin\n" +
                                   "        " + N(r) + "[7:0] <= " + N(b) + "[7:0];\n" +
                                   "    end else begin\n" + "        " + N(r) + "[3:0] <= " + N(a) +
                                   "[7:4];\n" + "    end\n" + "end\n");
}

TEST_F(FormsTest, CondEventWithoutFirstConditionOpensABareBlock) {
    HcpIdent a = arena.make_wire(true, "a", 1);
    HcpIdent w = arena.make_wire(true, "w", 1);
    UpdateEventIdent e0 = basic(w, a, ClockMode::ClkFree);
    push_pool(w, cond_event({{std::nullopt, e0}}, ClockMode::ClkFree, std::nullopt));
    EXPECT_EQ(procedure_of(w),
              "always @(*) begin\n    begin\n        " + N(w) + " = " + N(a) + ";\n    end\nend\n");
}

TEST_F(FormsTest, SwitchEventWritesOneCasePerMatchValue) {
    HcpIdent sel = arena.make_wire(true, "sel", 2);
    HcpIdent a = arena.make_wire(true, "a", 1);
    HcpIdent b = arena.make_wire(true, "b", 1);
    HcpIdent w = arena.make_wire(true, "w", 1);
    UeSwitch sw;
    sw.ident = UpdateEventIdent::make(UeType::Switch);
    sw.common.type = UeType::Switch;
    sw.common.clk_mode = ClockMode::ClkFree;
    sw.selector = sel;
    sw.match_vals = {0, 3};
    sw.ues = {basic(w, a, ClockMode::ClkFree), basic(w, b, ClockMode::ClkFree)};
    push_pool(w, arena.insert_ue(std::move(sw)));
    EXPECT_EQ(procedure_of(w), "always @(*) begin\n    case (" + N(sel) + ")\n" +
                                   "        0: begin\n            " + N(w) + " = " + N(a) +
                                   ";\n        end\n" + "        3: begin\n            " + N(w) +
                                   " = " + N(b) + ";\n        end\n    endcase\nend\n");
}

TEST_F(FormsTest, SwitchEventNeedsAMatchValuePerEvent) {
    HcpIdent sel = arena.make_wire(true, "sel", 2);
    HcpIdent a = arena.make_wire(true, "a", 1);
    HcpIdent w = arena.make_wire(true, "w", 1);
    UeSwitch sw;
    sw.ident = UpdateEventIdent::make(UeType::Switch);
    sw.common.type = UeType::Switch;
    sw.common.clk_mode = ClockMode::ClkFree;
    sw.selector = sel;
    sw.match_vals = {0};
    sw.ues = {basic(w, a, ClockMode::ClkFree), basic(w, a, ClockMode::ClkFree)};
    push_pool(w, arena.insert_ue(std::move(sw)));
    EXPECT_EQ(panic_message([&] { procedure_of(w); }),
              "assertion failed: idx < self.sub_stmt_idxs.len()");
}

TEST_F(FormsTest, GroupEventWritesInnerEventsAtTheSameIndent) {
    HcpIdent a = arena.make_wire(true, "a", 2);
    HcpIdent w = arena.make_wire(true, "w", 2);
    UeGrp grp;
    grp.ident = UpdateEventIdent::make(UeType::Grp);
    grp.common.type = UeType::Grp;
    grp.common.clk_mode = ClockMode::ClkFree;
    grp.ues = {basic(w, a, ClockMode::ClkFree, std::nullopt, Slice{0, 1}, Slice{1, 2}),
               basic(w, a, ClockMode::ClkFree, std::nullopt, Slice{1, 2}, Slice{0, 1})};
    push_pool(w, arena.insert_ue(std::move(grp)));
    EXPECT_EQ(procedure_of(w), "always @(*) begin\n    " + N(w) + "[0:0] = " + N(a) +
                                   "[1:1];\n    " + N(w) + "[1:1] = " + N(a) + "[0:0];\nend\n");
}

TEST_F(FormsTest, ExpressionRightHandSides) {
    HcpIdent a = arena.make_wire(true, "a", 8);
    HcpIdent b = arena.make_wire(true, "b", 8);
    HcpIdent bit = arena.make_wire(true, "bit", 1);
    auto rhs = [&](const HcpIdent& e) { return procedure_of(e); };
    HcpIdent add =
        arena.make_expression(true, "add", LogicOp::ArithPlus, a, b, std::nullopt, Slice{0, 8});
    EXPECT_EQ(rhs(add), "assign " + N(add) + " = " + N(a) + " + " + N(b) + "[7:0];\n");
    HcpIdent slt =
        arena.make_expression(true, "slt", LogicOp::RelationSlt, a, b, Slice{0, 8}, Slice{0, 8});
    EXPECT_EQ(rhs(slt),
              "assign " + N(slt) + " = $signed(" + N(a) + "[7:0]) < $signed(" + N(b) + "[7:0]);\n");
    HcpIdent sgt =
        arena.make_expression(true, "sgt", LogicOp::RelationSgt, a, b, std::nullopt, std::nullopt);
    EXPECT_EQ(rhs(sgt), "assign " + N(sgt) + " = $signed(" + N(a) + ") > $signed(" + N(b) + ");\n");
    HcpIdent inv = arena.make_expression_single(true, "inv", LogicOp::BitwiseInvr, a, Slice{0, 8});
    EXPECT_EQ(rhs(inv), "assign " + N(inv) + " = ~" + N(a) + "[7:0];\n");
    HcpIdent lnot =
        arena.make_expression_single(true, "lnot", LogicOp::LogicalNot, bit, std::nullopt);
    EXPECT_EQ(rhs(lnot), "assign " + N(lnot) + " = !" + N(bit) + ";\n");
    HcpIdent sl = arena.make_expression_single(true, "sl", LogicOp::SliceBit, a, Slice{3, 4});
    EXPECT_EQ(rhs(sl), "assign " + N(sl) + " = " + N(a) + "[3:3];\n");
    HcpIdent ext =
        arena.make_expression_constant(true, "ext", LogicOp::ExtendBit, a, 12, Slice{0, 8});
    EXPECT_EQ(rhs(ext), "assign " + N(ext) + " = {{4{1'b0}}, " + N(a) + "[7:0]};\n");
    HcpIdent same =
        arena.make_expression_constant(true, "same", LogicOp::ExtendBit, a, 8, Slice{0, 8});
    EXPECT_EQ(rhs(same), "assign " + N(same) + " = " + N(a) + "[7:0];\n");
    // Without a slice the whole operand is extended, so the text stays 12 bits wide.
    HcpIdent whole =
        arena.make_expression_constant(true, "whole", LogicOp::ExtendBit, a, 12, std::nullopt);
    EXPECT_EQ(rhs(whole), "assign " + N(whole) + " = {{4{1'b0}}, " + N(a) + "};\n");
    EXPECT_EQ(declaration_of(ext), "wire [11:0]  " + N(ext) + ";");
}

TEST_F(FormsTest, LogicalOperatorsReduceWideOperandsToTheirTruthValue) {
    HcpIdent a = arena.make_wire(true, "a", 8);
    HcpIdent bit = arena.make_wire(true, "bit", 1);
    auto rhs = [&](const HcpIdent& e) { return procedure_of(e); };
    HcpIdent lor =
        arena.make_expression(true, "lor", LogicOp::LogicalOr, a, bit, Slice{2, 5}, std::nullopt);
    EXPECT_EQ(rhs(lor), "assign " + N(lor) + " = (|" + N(a) + "[4:2]) || " + N(bit) + ";\n");
    HcpIdent land = arena.make_expression(true, "land", LogicOp::LogicalAnd, bit, a, std::nullopt,
                                          std::nullopt);
    EXPECT_EQ(rhs(land), "assign " + N(land) + " = " + N(bit) + " && (|" + N(a) + ");\n");
    HcpIdent one =
        arena.make_expression(true, "one", LogicOp::LogicalOr, a, a, Slice{3, 4}, Slice{0, 1});
    EXPECT_EQ(rhs(one), "assign " + N(one) + " = " + N(a) + "[3:3] || " + N(a) + "[0:0];\n");
    HcpIdent lnot =
        arena.make_expression_single(true, "lnot", LogicOp::LogicalNot, a, std::nullopt);
    EXPECT_EQ(rhs(lnot), "assign " + N(lnot) + " = !(|" + N(a) + ");\n");
}

TEST_F(FormsTest, EmptyExpressionWritesNothingUntilFilled) {
    HcpIdent a = arena.make_wire(true, "a", 4);
    HcpIdent e = arena.make_expression_empty("join", 4);
    EXPECT_EQ(procedure_of(e), "");
    arena.fill_empty_expression(e, a);
    EXPECT_EQ(procedure_of(e), "assign " + N(e) + " = " + N(a) + "[3:0];\n");
}

TEST_F(FormsTest, DeclarationsPerKind) {
    HcpIdent v8 = arena.make_val(true, "c", 8, 255);
    HcpIdent v1 = arena.make_val(true, "one", 1, 1);
    HcpIdent v16 = arena.make_val(true, "z", 16, 0);
    HcpIdent w = arena.make_wire(true, "w", 3);
    HcpIdent mem = arena.make_mem_blk(true, "mem", 8, 4);
    HcpIdent idx = arena.make_wire(true, "idx", 4);
    HcpIdent rd = arena.make_mem_ele(true, "rd", mem, idx, 8, true);
    HcpIdent wr = arena.make_mem_ele(true, "wr", mem, idx, 8, false);
    EXPECT_EQ(declaration_of(v8), "wire [7:0]  " + N(v8) + " = 8'hff;");
    EXPECT_EQ(declaration_of(v1), "wire  " + N(v1) + " = 1'b1;");
    EXPECT_EQ(declaration_of(v16), "wire [15:0]  " + N(v16) + " = 16'h0;");
    EXPECT_EQ(declaration_of(w), "reg  [2:0]  " + N(w) + ";");
    EXPECT_EQ(declaration_of(mem), "reg [7:0]  " + N(mem) + " [0:15];");
    EXPECT_EQ(declaration_of(rd), "wire [7:0]  " + N(rd) + ";");
    EXPECT_EQ(declaration_of(wr), "");
    EXPECT_EQ(procedure_of(v8), "");
    EXPECT_EQ(procedure_of(mem), "");
    EXPECT_EQ(procedure_of(rd), "assign " + N(rd) + " = " + N(mem) + "[" + N(idx) + "];\n");
}

TEST_F(FormsTest, WriteMemoryElementWritesTheMemoryFromItsPool) {
    HcpIdent clk = arena.make_wire(true, "clk", 1);
    HcpIdent mem = arena.make_mem_blk(true, "mem", 8, 2);
    HcpIdent idx = arena.make_wire(true, "idx", 2);
    HcpIdent data = arena.make_wire(true, "data", 8);
    HcpIdent wr = arena.make_mem_ele(true, "wr", mem, idx, 8, false);
    assign(wr, data, ClockMode::PosEdge, clk);
    EXPECT_EQ(procedure_of(wr), "always @(posedge " + N(clk) + ") begin\n    " + N(mem) + "[" +
                                    N(idx) + "][7:0] <= " + N(data) + "[7:0];\nend\n");
}

TEST_F(FormsTest, IoWireForms) {
    HcpIdent src = arena.make_reg(true, "src", 8);
    HcpIdent in = arena.make_io_wire(false, "IO_IN_src", true, 8, src, src);
    HcpIdent out = arena.make_io_wire(false, "IO_OUT_src", false, 8, src, src);
    HcpIdent bit_in = arena.make_io_wire(false, "IO_IN_b", true, 1, std::nullopt, std::nullopt);
    auto io_line = [&](const HcpIdent& id) {
        return render([&](FileWriter& w) {
            read_hcp_vb(arena, id, [&](const HcpBaseVb& vb) {
                ASSERT_EQ(vb.amt_io_line_vb(), 1);
                vb.gen_io_line_vb(0, arena, w);
            });
        });
    };
    EXPECT_EQ(io_line(in), "input wire [7:0] " + N(in));
    EXPECT_EQ(io_line(out), "output reg  [7:0] " + N(out));
    EXPECT_EQ(io_line(bit_in), "input wire " + N(bit_in));
    EXPECT_EQ(procedure_of(in), "");
    EXPECT_EQ(procedure_of(out),
              "always @(*) begin\n    " + N(out) + "[7:0] = " + N(src) + "[7:0];\nend\n");
    EXPECT_EQ(render([&](FileWriter& w) {
                  read_io_wire_vb(arena, out,
                                  [&](const IoWireVb& vb) { vb.gen_parent_net_line_vb(w); });
              }),
              "wire [7:0] " + N(out) + ";");
    EXPECT_EQ(read_io_wire_vb(arena, in,
                              [&](const IoWireVb& vb) { return vb.gen_agent_input_vb(arena); }),
              N(src) + "[7:0]");
    EXPECT_EQ(panic_message([&] {
                  read_io_wire_vb(arena, out,
                                  [&](const IoWireVb& vb) { return vb.gen_agent_input_vb(arena); });
              }),
              "gen_agent_input_vb called on output IoWire");
    EXPECT_EQ(panic_message([&] {
                  read_io_wire_vb(arena, bit_in,
                                  [&](const IoWireVb& vb) { return vb.gen_agent_input_vb(arena); });
              }),
              "IoWire: agent_src_signal_i is None");
}

TEST_F(FormsTest, PortNameReplacesTheAbsoluteName) {
    HcpIdent io = arena.make_io_wire(false, "IO_IN_anon", true, 1, std::nullopt, std::nullopt);
    arena.with_hcp(io, [](HcpBase& c) { static_cast<IoWire&>(c).port_name = "start"; });
    EXPECT_EQ(hcp_verilog_name(arena, io), "start");
    arena.with_hcp(io, [](HcpBase& c) { static_cast<IoWire&>(c).port_name = "input"; });
    EXPECT_EQ(hcp_verilog_name(arena, io), "\\input ");
}

TEST_F(FormsTest, RefusalsOfTheDispatchAndOfDefaultSlots) {
    HcpIdent nest = arena.make_reg(true, "r", 1);
    nest.hw_type = HwComponentType::Nest;
    EXPECT_EQ(panic_message([&] { hcp_verilog_name(arena, nest); }),
              "take_hcp_vb: Nest not yet ported to Verilog backend");
    UpdateEventIdent untyped;
    EXPECT_EQ(panic_message([&] { read_ue_vb(arena, untyped, [](const VerilogUpdateEvent&) {}); }),
              "read_ue_vb: UeType::Untype");
    HcpIdent r = arena.make_reg(true, "r2", 1);
    EXPECT_EQ(panic_message([&] {
                  render([&](FileWriter& w) {
                      read_hcp_vb(arena, r,
                                  [&](const HcpBaseVb& vb) { vb.gen_io_line_vb(0, arena, w); });
                  });
              }),
              "gen_io_line_vb not implemented for this HCP type");
}

TEST_F(FormsTest, TakenComponentGoesBackAfterAFailure) {
    HcpIdent r = arena.make_reg(true, "r", 8);
    EXPECT_FALSE(panic_message([&] {
                     read_hcp_vb(arena, r, [](const HcpBaseVb&) { panic("boom"); });
                 }).empty());
    EXPECT_EQ(arena.hcp_width(r), 8);
}

}  // namespace
}  // namespace velmora::testing
