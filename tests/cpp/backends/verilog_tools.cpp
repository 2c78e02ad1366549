#include "verilog_tools.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sstream>

namespace velmora::testing {
namespace {

struct AllowedWarning {
    std::string code;
    std::optional<std::regex> signal;  // only for this signal, when given
};

// The project's one list of allowed warnings, shared with the Python tests.
const std::vector<AllowedWarning>& allowed_warnings() {
    static const std::vector<AllowedWarning> kAllowed = [] {
        std::vector<AllowedWarning> out;
        std::ifstream in(VELMORA_SOURCE_DIR "/tests/lint_allowed.txt");
        std::string line;
        while (std::getline(in, line)) {
            if (line.empty() || line[0] == '#') continue;
            std::istringstream words(line.substr(0, line.find(" -- ")));
            AllowedWarning w;
            std::string signal;
            words >> w.code >> signal;
            if (!signal.empty()) w.signal = std::regex("'" + signal + "'");
            out.push_back(std::move(w));
        }
        return out;
    }();
    return kAllowed;
}

bool is_allowed(const std::string& code, const std::string& line) {
    for (const AllowedWarning& w : allowed_warnings()) {
        if (w.code == code && (!w.signal || std::regex_search(line, *w.signal))) return true;
    }
    return false;
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

ToolResult run_simulation(const std::vector<std::string>& files, const std::string& testbench,
                          const std::string& tb_top, const std::string& work_dir) {
    if (!have_tool("iverilog") || !have_tool("vvp")) return ToolResult{};
    const std::string binary = work_dir + "/sim.vvp";
    ToolResult compiled =
        run("iverilog -g2012 -s " + shell_quote(tb_top) + " -o " + shell_quote(binary) + " " +
            shell_quote(testbench) + join_files(files));
    if (compiled.status != 0) return compiled;
    return run("vvp -n " + shell_quote(binary));
}

ToolResult run_verilator_lint(const std::vector<std::string>& files, const std::string& top) {
    if (!have_tool("verilator")) return ToolResult{};
    return run("verilator --lint-only -Wall -Wno-fatal --top-module " + shell_quote(top) +
               join_files(files));
}

std::vector<std::string> disallowed_warnings(const std::string& output) {
    std::set<std::string> kinds;
    static const std::regex kWarning(R"(^%(Warning|Error)-([A-Z0-9_]+):)");
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        std::smatch m;
        if (!std::regex_search(line, m, kWarning)) continue;
        if (!is_allowed(m[2], line)) kinds.insert(m[2]);
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
