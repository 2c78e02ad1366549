// Model names are free UTF-8; what is printed must be a legal Verilog name.
#include "backends/verilog/verilog_ident.h"

#include "backend_fixture.h"
#include "backends/verilog/backend_verilog.h"
#include "backends/verilog/hcp_vb_dispatch.h"
#include "backends/verilog/module_vb.h"
#include "util/str_cat.h"
#include "verilog_tools.h"

namespace velmora::testing {
namespace {

TEST(VerilogIdent, PlainIdentifiersAreWrittenUnchanged) {
    for (const char* name : {"REG_acc_4", "_x", "a$b", "clk", "MODULE_top_0", "Begin"}) {
        EXPECT_EQ(verilog_ident(name), name);
    }
}

TEST(VerilogIdent, OtherNamesAreEscaped) {
    EXPECT_EQ(verilog_ident("REG_a-b_3"), "\\REG_a-b_3 ");
    EXPECT_EQ(verilog_ident("WIRE_x.y_1"), "\\WIRE_x.y_1 ");
    EXPECT_EQ(verilog_ident("9lives"), "\\9lives ");
    EXPECT_EQ(verilog_ident("$x"), "\\$x ");
    EXPECT_EQ(verilog_ident("a\\b"), "\\a\\b ");
}

// Escaped identifiers carry printable ASCII only, and a backtick in one starts a macro reference
// in the tools' preprocessors.
TEST(VerilogIdent, BytesAnEscapedNameCannotCarryArePercentEncoded) {
    EXPECT_EQ(verilog_ident("REG_Größe_2"), "\\REG_Gr%C3%B6%C3%9Fe_2 ");
    EXPECT_EQ(verilog_ident("REG_`a_1"), "\\REG_%60a_1 ");
    EXPECT_EQ(verilog_ident("計"), "\\%E8%A8%88 ");
    EXPECT_EQ(verilog_ident("50%"), "\\50%25 ");
}

TEST(VerilogIdent, DifferentNamesNeverShareAWrittenForm) {
    // The encoded spelling of a name, given literally, is a different name.
    EXPECT_NE(verilog_ident("ä"), verilog_ident("%C3%A4"));
    EXPECT_NE(verilog_ident("`a"), verilog_ident("%60a"));
    EXPECT_EQ(verilog_ident("%C3%A4"), "\\%25C3%25A4 ");
}

TEST(VerilogIdent, ReservedWordsAreEscaped) {
    for (const char* word : {"input", "reg", "module", "end", "logic", "always_ff", "wire"}) {
        EXPECT_EQ(verilog_ident(word), std::string("\\") + word + " ");
    }
}

TEST(VerilogIdent, NamesThatCannotBeWrittenAreRefused) {
    EXPECT_EQ(panic_message([] { verilog_ident(""); }),
              "verilog_ident: an empty name cannot be written as a Verilog name");
    EXPECT_EQ(panic_message([] { verilog_ident("a b"); }),
              "verilog_ident: name \"a b\" contains white space or a control character");
    EXPECT_EQ(panic_message([] { verilog_ident("bad\xff"); }),
              "verilog_ident: name \"bad\xff\" is not valid UTF-8");
    EXPECT_EQ(panic_message([] { verilog_ident("\xc0\xaf"); }),
              "verilog_ident: name \"\xc0\xaf\" is not valid UTF-8");
}

class NameEscapingTest : public BackendFixture {};

// Escaped names everywhere they are printed: module header, declarations, statements, ports,
// instance and port connections; the result must still be accepted by the tools.
TEST_F(NameEscapingTest, EscapedNamesGiveLegalVerilog) {
    ModuleIdent top = module("top-level");
    ModuleIdent sub;
    HcpIdent clk, d, q, sub_in, sub_out, inner;
    in_module(top, [&] {
        clk = arena.make_io_wire(false, "IO_clk", true, 1, std::nullopt, std::nullopt);
        arena.with_hcp(clk, [](HcpBase& c) { static_cast<IoWire&>(c).port_name = "clk"; });
        d = arena.make_io_wire(false, "IO_d", true, 4, std::nullopt, std::nullopt);
        arena.with_hcp(d, [](HcpBase& c) { static_cast<IoWire&>(c).port_name = "input"; });
        q = arena.make_reg(true, "état.q", 4);
        sub = in_module(module("ünter"), [&] {
            sub_in = arena.make_io_wire(false, "IO_IN_d", true, 4, d, d);
            inner = arena.make_reg(true, "r-1", 4);
            sub_out = arena.make_io_wire(false, "IO_OUT_r-1", false, 4, inner, inner);
        });
        HcpIdent out = arena.make_io_wire(false, "IO_OUT_q", false, 4, q, q);
        arena.with_hcp(out, [](HcpBase& c) { static_cast<IoWire&>(c).port_name = "data-out"; });
    });
    assign(q, sub_out, ClockMode::PosEdge, clk);
    assign(inner, sub_in, ClockMode::PosEdge, clk);
    // The sub-module has no clock port of its own in this hand-built model: give it one.
    HcpIdent sub_clk;
    arena.track_module_at_com_init(sub);
    sub_clk = arena.make_io_wire(false, "IO_IN_clk", true, 1, clk, clk);
    arena.pop_module();
    arena.with_hcp(inner, [&](HcpBase& c) {
        HcpIdentMap m{{clk, sub_clk}};
        for (const UpdateEventIdent& ue : c.get_update_pool()) {
            arena.with_ue(ue, [&](UpdateEvent& e) { e.remap_clk_src(arena, m); });
        }
    });
    arena.set_top_module(top);
    arena.mark_flow_built();

    // "é" is written as its UTF-8 bytes in "%XX" form.
    const std::string q_name = replace_all(N(q), "é", "%C3%A9");
    const std::string sub_name = replace_all(N(sub), "ü", "%C3%BC");
    EXPECT_EQ(module_sim_name_vb(arena, top), "\\" + N(top) + " ");
    EXPECT_EQ(hcp_verilog_name(arena, q), "\\" + q_name + " ");
    EXPECT_EQ(hcp_verilog_name(arena, d), "\\input ");

    BackendVerilog backend(std::move(arena));
    ::testing::internal::CaptureStdout();
    backend.emit(tmp.str(), "top");
    ::testing::internal::GetCapturedStdout();
    std::string top_text = read_text(tmp.path() / "top.v");
    EXPECT_NE(top_text.find("module \\" + N(top) + " (\n"), std::string::npos) << top_text;
    EXPECT_NE(top_text.find("    input wire [3:0] \\input ,\n"), std::string::npos) << top_text;
    EXPECT_NE(top_text.find("    output reg  [3:0] \\data-out \n"), std::string::npos) << top_text;
    EXPECT_NE(top_text.find("reg  [3:0]  \\" + q_name + " ;\n"), std::string::npos) << top_text;
    EXPECT_NE(top_text.find("    \\" + q_name + " [3:0] <= \\" + N(sub_out) + " [3:0];\n"),
              std::string::npos)
        << top_text;
    EXPECT_NE(top_text.find("\\" + sub_name + "   \\" + sub_name + "  (\n"), std::string::npos)
        << top_text;
    EXPECT_NE(top_text.find("    ." + N(sub_in) + "(\\input [3:0])"), std::string::npos)
        << top_text;
    expect_clean_verilog(
        {(tmp.path() / "top.v").string(), (tmp.path() / (sub_name + ".v")).string()}, N(top));
}

}  // namespace
}  // namespace velmora::testing
