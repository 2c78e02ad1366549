#pragma once
// Runs emitted Verilog through Icarus Verilog and Verilator.
#include <string>
#include <vector>

namespace velmora::testing {

struct ToolResult {
    bool ran = false;  // false when the tool is not installed
    int status = 0;
    std::string output;
};

bool have_tool(const std::string& name);

/// iverilog -o /dev/null on the files.
ToolResult run_iverilog(const std::vector<std::string>& files);

/// verilator --lint-only -Wall --top-module {top} on the files.
ToolResult run_verilator_lint(const std::vector<std::string>& files, const std::string& top);

/// The Verilator warning kinds in `output` that are not allowed for emitted text.
std::vector<std::string> disallowed_warnings(const std::string& verilator_output);

/// Compiles the files with the testbench file (top module `tb_top`) and runs the simulation;
/// `output` holds what it printed.
ToolResult run_simulation(const std::vector<std::string>& files, const std::string& testbench,
                          const std::string& tb_top, const std::string& work_dir);

/// Expects both tools to accept the files (checks are skipped for a missing tool).
void expect_clean_verilog(const std::vector<std::string>& files, const std::string& top);

}  // namespace velmora::testing
