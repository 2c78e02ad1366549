// The backend driver: phases, progress lines, files, and the routed design as a whole.
#include <filesystem>

#include "backends/verilog/backend_verilog.h"
#include "routing_fixture.h"
#include "verilog_tools.h"

namespace velmora::testing {
namespace {

class BackendDriverTest : public RoutingFixture {
protected:
    /// Emits and returns what was printed on standard output.
    static std::string emit(BackendVerilog& backend, const std::string& dir,
                            const std::string& file) {
        ::testing::internal::CaptureStdout();
        try {
            backend.emit(dir, file);
        } catch (...) {
            ::testing::internal::GetCapturedStdout();
            throw;
        }
        return ::testing::internal::GetCapturedStdout();
    }
};

TEST_F(BackendDriverTest, ThreeModuleTreeWritesOneFilePerModule) {
    ModuleIdent t = open("t");
    arena.make_reg(true, "r", 1);
    ModuleIdent a = open("a");
    ModuleIdent a1 = open("a1");
    close(a1);
    close(a);
    ModuleIdent b = open("b");
    close(b);
    close(t);
    arena.set_top_module(t);
    arena.mark_flow_built();
    BackendVerilog backend(std::move(arena));
    std::string dir = tmp.str();
    std::string out = emit(backend, dir, "design");

    EXPECT_EQ(out,
              "[BackendVerilog] Phase 1: routing cross-module IO dependencies\n"
              "[BackendVerilog] Phase 1: done\n"
              "[BackendVerilog] Phase 2: initialising HCP update pools\n"
              "[BackendVerilog] Phase 2: done\n"
              "[BackendVerilog] Phase 3: emitting Verilog to '" +
                  dir + "'\n" + "[BackendVerilog] Phase 3:   writing " + dir + "/design.v\n" +
                  "[BackendVerilog] Phase 3:   writing " + dir + "/" + N(a) + ".v\n" +
                  "[BackendVerilog] Phase 3:   writing " + dir + "/" + N(a1) + ".v\n" +
                  "[BackendVerilog] Phase 3:   writing " + dir + "/" + N(b) + ".v\n" +
                  "[BackendVerilog] Phase 3: done\n");
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(tmp.path())) {
        names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    std::vector<std::string> expected{"design.v", N(a) + ".v", N(a1) + ".v", N(b) + ".v"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
    for (const auto& [file, m] : std::vector<std::pair<std::string, ModuleIdent>>{
             {"design.v", t}, {N(a) + ".v", a}, {N(a1) + ".v", a1}, {N(b) + ".v", b}}) {
        std::string text = read_text(tmp.path() / file);
        EXPECT_EQ(text.rfind(std::string(80, '/') +
                                 "\n// Phase 1 : module header & IO ports\n"
                                 "module " +
                                 N(m) + "(\n",
                             0),
                  0u)
            << file;
        size_t first = text.find("\nendmodule\n");
        EXPECT_NE(first, std::string::npos);
        EXPECT_EQ(text.find("\nendmodule\n", first + 1), std::string::npos);
    }
    EXPECT_NE(read_text(tmp.path() / "design.v")
                  .find(N(a) + "  " + N(a) + " (\n);\n" + N(b) + "  " + N(b) + " (\n);\n"),
              std::string::npos);
}

TEST_F(BackendDriverTest, TheCallersArenaIsLeftEmpty) {
    ModuleIdent t = open("t");
    arena.make_reg(true, "r", 1);
    close(t);
    arena.set_top_module(t);
    BackendVerilog backend(std::move(arena));
    EXPECT_FALSE(arena.get_top_module().has_value());
    EXPECT_EQ(arena.group<Module>().size(), 0u);
    EXPECT_EQ(arena.group<Reg>().size(), 0u);
    EXPECT_EQ(backend.arena().group<Reg>().size(), 1u);
}

TEST_F(BackendDriverTest, WithoutTopModuleFailsInPhaseOne) {
    ModuleIdent t = open("t");
    close(t);
    BackendVerilog backend(std::move(arena));
    ::testing::internal::CaptureStdout();
    std::string msg = panic_message([&] { backend.emit(tmp.str(), "x"); });
    std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(msg, "route_and_remap_io_model: no top module set");
    EXPECT_EQ(out, "[BackendVerilog] Phase 1: routing cross-module IO dependencies\n");
}

TEST_F(BackendDriverTest, RefusesAModelWhoseFlowWasNotBuilt) {
    ModuleIdent t = open("t");
    close(t);
    arena.set_top_module(t);
    BackendVerilog backend(std::move(arena));
    ::testing::internal::CaptureStdout();
    std::string msg = panic_message([&] { backend.emit(tmp.str(), "x"); });
    std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(msg, "BackendVerilog::phase_init — build_flow has not run on this model");
    EXPECT_EQ(out, "");
    EXPECT_TRUE(std::filesystem::is_empty(tmp.path()));
}

// A design that needs both routing passes: inputs and the clock marked in the top module, a
// register in one sub-module reading a top input, a register in its sibling reading that
// register and marked as the design output.
class RoutedDesign : public BackendDriverTest {
protected:
    ModuleIdent t, a, b;
    HcpIdent clk, din, x, y;
    void build() {
        t = open("t");
        clk = arena.make_wire(true, "clk", 1);
        din = arena.make_wire(true, "din", 8);
        a = open("a");
        x = arena.make_reg(true, "x", 8);
        close(a);
        b = open("b");
        y = arena.make_reg(true, "y", 8);
        close(b);
        close(t);
        arena.mark_as_io(clk, true, "clk");
        arena.mark_as_io(din, true, "din");
        arena.mark_as_io(y, false, "dout");
        assign(x, din, ClockMode::PosEdge, clk);
        assign(y, x, ClockMode::PosEdge, clk);
        arena.set_top_module(t);
        arena.mark_flow_built();
    }
    std::vector<std::string> files() {
        return {(tmp.path() / "top.v").string(), (tmp.path() / (N(a) + ".v")).string(),
                (tmp.path() / (N(b) + ".v")).string()};
    }
};

TEST_F(RoutedDesign, EmittedFilesAreLegalVerilog) {
    build();
    BackendVerilog backend(std::move(arena));
    emit(backend, tmp.str(), "top");
    std::string top = read_text(tmp.path() / "top.v");
    EXPECT_NE(top.find("module " + N(t) +
                       "(\n    input wire clk,\n    input wire [7:0] din,\n"
                       "    output reg  [7:0] dout\n);\n"),
              std::string::npos)
        << top;
    expect_clean_verilog(files(), N(t));
}

TEST_F(RoutedDesign, SecondEmitWritesTheSameFilesWithoutRoutingAgain) {
    build();
    BackendVerilog backend(std::move(arena));
    emit(backend, tmp.str(), "top");
    size_t wires = backend.arena().group<IoWire>().size();
    std::vector<std::string> first;
    for (const std::string& f : files()) first.push_back(read_text(f));
    for (const std::string& f : files()) std::filesystem::remove(f);
    std::string out = emit(backend, tmp.str(), "top");
    EXPECT_EQ(out.rfind("[BackendVerilog] Phase 1: routing cross-module IO dependencies\n"
                        "[BackendVerilog] Phase 1: done\n",
                        0),
              0u);
    EXPECT_EQ(backend.arena().group<IoWire>().size(), wires);
    for (size_t i = 0; i < files().size(); ++i) EXPECT_EQ(read_text(files()[i]), first[i]);
}

// The whole road from the flow build: needs the control nodes of the model.
TEST_F(BackendDriverTest, FlowBuiltDesignEmitsClockAndResetPorts) {
    ModuleIdent t = open("t");
    HcpIdent r = arena.make_reg(true, "r", 4);
    arena.mark_as_io(r, false, "r");
    HcpIdent one = arena.make_val(true, "one", 4, 1);
    close(t);
    arena.track_module_at_flow_init(t);
    FlowBlockIdent seq = arena.make_flow_block_seq("s");
    arena.initialize_flow_block(seq);
    arena.gen_basic_assign(r, one, std::nullopt, std::nullopt);
    arena.finalize_flow_block(seq);
    arena.finalize_flow_procedure();
    arena.untrack_module_at_flow_init(t);
    arena.set_top_module(t);
    arena.build_flow();
    BackendVerilog backend(std::move(arena));
    emit(backend, tmp.str(), "top");
    std::string top = read_text(tmp.path() / "top.v");
    EXPECT_NE(top.find("    input wire clk,\n    input wire mrst"), std::string::npos) << top;
    expect_clean_verilog({(tmp.path() / "top.v").string()}, N(t));
}

}  // namespace
}  // namespace velmora::testing

namespace velmora::testing {
namespace {

TEST_F(BackendDriverTest, PoolsAreSortedByPriorityBeforeWriting) {
    ModuleIdent t = open("t");
    ModuleIdent c = open("c");
    HcpIdent a = arena.make_wire(true, "a", 1);
    HcpIdent b = arena.make_wire(true, "b", 1);
    HcpIdent z = arena.make_wire(true, "z", 1);
    HcpIdent w = arena.make_wire(true, "w", 1);
    close(c);
    close(t);
    assign(w, a, ClockMode::ClkFree, std::nullopt, std::nullopt, std::nullopt, DEFAULT_UE_PRI_RST);
    assign(w, b, ClockMode::ClkFree, std::nullopt, std::nullopt, std::nullopt, 10);
    assign(w, z, ClockMode::ClkFree, std::nullopt, std::nullopt, std::nullopt, 0);
    arena.set_top_module(t);
    arena.mark_flow_built();
    BackendVerilog backend(std::move(arena));
    emit(backend, tmp.str(), "top");
    std::string sub = read_text(tmp.path() / (N(c) + ".v"));
    EXPECT_NE(sub.find("always @(*) begin\n    " + N(w) + " = " + N(z) + ";\n    " + N(w) + " = " +
                       N(b) + ";\n    " + N(w) + " = " + N(a) + ";\nend\n"),
              std::string::npos)
        << sub;
}

}  // namespace
}  // namespace velmora::testing
