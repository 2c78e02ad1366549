#include "verilog_tools.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <map>
#include <regex>
#include <set>

namespace velmora::testing {
namespace {

// Warnings that the required text of the emitted files cannot avoid, with the reason for each.
// Any other warning fails the test.
const std::map<std::string, std::string>& allowed_warnings() {
    static const std::map<std::string, std::string> kAllowed = {
        {"DECLFILENAME", "the top module's file is named by the caller, not after the module"},
        {"COMBDLY", "clock-free pool blocks use the same `<=` statement form as registers"},
    };
    return kAllowed;
}

std::string shell_quote(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

ToolResult run(const std::string& command) {
    ToolResult r;
    r.ran = true;
    std::FILE* p = popen((command + " 2>&1").c_str(), "r");
    if (p == nullptr) return ToolResult{};
    std::array<char, 4096> buf;
    size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0) r.output.append(buf.data(), n);
    r.status = pclose(p);
    return r;
}

std::string join_files(const std::vector<std::string>& files) {
    std::string out;
    for (const std::string& f : files) out += " " + shell_quote(f);
    return out;
}

}  // namespace

bool have_tool(const std::string& name) {
    return run("command -v " + shell_quote(name) + " >/dev/null").status == 0;
}

ToolResult run_iverilog(const std::vector<std::string>& files) {
    if (!have_tool("iverilog")) return ToolResult{};
    return run("iverilog -o /dev/null" + join_files(files));
}

ToolResult run_verilator_lint(const std::vector<std::string>& files, const std::string& top) {
    if (!have_tool("verilator")) return ToolResult{};
    return run("verilator --lint-only -Wall -Wno-fatal --top-module " + shell_quote(top) +
               join_files(files));
}

std::vector<std::string> disallowed_warnings(const std::string& output) {
    std::set<std::string> kinds;
    static const std::regex kWarning(R"(%(Warning|Error)-([A-Z0-9_]+))");
    for (auto it = std::sregex_iterator(output.begin(), output.end(), kWarning);
         it != std::sregex_iterator(); ++it) {
        std::string kind = (*it)[2];
        if (!allowed_warnings().count(kind)) kinds.insert(kind);
    }
    // Plain errors ("%Error: file:line: ...") carry no kind.
    static const std::regex kPlainError(R"(^%Error: (?!Exiting due to).*)", std::regex::multiline);
    if (std::regex_search(output, kPlainError)) kinds.insert("ERROR");
    return {kinds.begin(), kinds.end()};
}

void expect_clean_verilog(const std::vector<std::string>& files, const std::string& top) {
    ToolResult iv = run_iverilog(files);
    if (iv.ran) EXPECT_EQ(iv.status, 0) << iv.output;
    ToolResult vl = run_verilator_lint(files, top);
    if (vl.ran) {
        EXPECT_TRUE(disallowed_warnings(vl.output).empty()) << vl.output;
    }
}

}  // namespace velmora::testing
