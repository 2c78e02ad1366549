#include "backends/verilog/verilog_ident.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "common/internal_error.h"
#include "util/str_cat.h"
#include "util/utf8.h"

namespace velmora {
namespace {

// Reserved words of Verilog-2005 and SystemVerilog-2017: the tools we feed read either language.
// clang-format off
constexpr std::array<std::string_view, 248> kReserved = {
    "accept_on", "alias", "always", "always_comb", "always_ff", "always_latch", "and", "assert",
    "assign", "assume", "automatic", "before", "begin", "bind", "bins", "binsof", "bit", "break",
    "buf", "bufif0", "bufif1", "byte", "case", "casex", "casez", "cell", "chandle", "checker",
    "class", "clocking", "cmos", "config", "const", "constraint", "context", "continue", "cover",
    "covergroup", "coverpoint", "cross", "deassign", "default", "defparam", "design", "disable",
    "dist", "do", "edge", "else", "end", "endcase", "endchecker", "endclass", "endclocking",
    "endconfig", "endfunction", "endgenerate", "endgroup", "endinterface", "endmodule",
    "endpackage", "endprimitive", "endprogram", "endproperty", "endsequence", "endspecify",
    "endtable", "endtask", "enum", "event", "eventually", "expect", "export", "extends", "extern",
    "final", "first_match", "for", "force", "foreach", "forever", "fork", "forkjoin", "function",
    "generate", "genvar", "global", "highz0", "highz1", "if", "iff", "ifnone", "ignore_bins",
    "illegal_bins", "implements", "implies", "import", "incdir", "include", "initial", "inout",
    "input", "inside", "instance", "int", "integer", "interconnect", "interface", "intersect",
    "join", "join_any", "join_none", "large", "let", "liblist", "library", "local", "localparam",
    "logic", "longint", "macromodule", "matches", "medium", "modport", "module", "nand",
    "negedge", "nettype", "new", "nexttime", "nmos", "nor", "noshowcancelled", "not", "notif0",
    "notif1", "null", "or", "output", "package", "packed", "parameter", "pmos", "posedge",
    "primitive", "priority", "program", "property", "protected", "pull0", "pull1", "pulldown",
    "pullup", "pulsestyle_ondetect", "pulsestyle_onevent", "pure", "rand", "randc", "randcase",
    "randsequence", "rcmos", "real", "realtime", "ref", "reg", "reject_on", "release", "repeat",
    "restrict", "return", "rnmos", "rpmos", "rtran", "rtranif0", "rtranif1", "s_always",
    "s_eventually", "s_nexttime", "s_until", "s_until_with", "scalared", "sequence", "shortint",
    "shortreal", "showcancelled", "signed", "small", "soft", "solve", "specify", "specparam",
    "static", "string", "strong", "strong0", "strong1", "struct", "super", "supply0", "supply1",
    "sync_accept_on", "sync_reject_on", "table", "tagged", "task", "this", "throughout", "time",
    "timeprecision", "timeunit", "tran", "tranif0", "tranif1", "tri", "tri0", "tri1", "triand",
    "trior", "trireg", "type", "typedef", "union", "unique", "unique0", "unsigned", "until",
    "until_with", "untyped", "use", "uwire", "var", "vectored", "virtual", "void", "wait",
    "wait_order", "wand", "weak", "weak0", "weak1", "while", "wildcard", "wire", "with", "within",
    "wor", "xnor", "xor"};
// clang-format on

bool is_reserved(std::string_view name) {
    // Reserved words are lower case; generated names start with an upper-case kind.
    if (name.front() >= 'A' && name.front() <= 'Z') return false;
    return std::binary_search(kReserved.begin(), kReserved.end(), name);
}

// Character classes of plain identifiers, looked up per byte: every printed name is checked.
constexpr uint8_t kStart = 1;
constexpr uint8_t kInner = 2;
constexpr std::array<uint8_t, 256> kCharClass = [] {
    std::array<uint8_t, 256> table{};
    for (int c = 0; c < 256; ++c) {
        bool start = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
        bool inner = start || (c >= '0' && c <= '9') || c == '$';
        table[c] = static_cast<uint8_t>((start ? kStart : 0) | (inner ? kInner : 0));
    }
    return table;
}();

bool is_ident_start(char c) {
    return (kCharClass[static_cast<unsigned char>(c)] & kStart) != 0;
}

bool is_ident_char(char c) {
    return (kCharClass[static_cast<unsigned char>(c)] & kInner) != 0;
}

// An escaped identifier ends at the first white space, so the name may contain none, nor any
// other byte a tool could read as a terminator.
void check_escapable(std::string_view name) {
    if (name.empty()) panic("verilog_ident: an empty name cannot be written as a Verilog name");
    for (size_t i = 0; i < name.size();) {
        size_t len = decode_utf8(name, i).length;
        if (len == 0) panic(cat("verilog_ident: name \"", name, "\" is not valid UTF-8"));
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (len == 1 && (c <= 0x20 || c == 0x7F)) {
            panic(cat("verilog_ident: name \"", name,
                      "\" contains white space or a control character"));
        }
        i += len;
    }
}

// An escaped identifier carries printable ASCII only, and a backtick in it would start a macro
// reference. Those bytes are written as "%XX" (upper-case hex); '%' itself is too, so that two
// different names never share a written form.
bool needs_percent(unsigned char c) {
    return c > 0x7E || c == '`' || c == '%';
}

}  // namespace

bool is_plain_verilog_ident(std::string_view name) {
    if (name.empty() || !is_ident_start(name.front())) return false;
    if (!std::all_of(name.begin(), name.end(), is_ident_char)) return false;
    return !is_reserved(name);
}

std::string verilog_ident(std::string_view name) {
    std::string out;
    append_verilog_ident(out, name);
    return out;
}

void append_verilog_ident(std::string& out, std::string_view name) {
    if (is_plain_verilog_ident(name)) {
        out.append(name);
        return;
    }
    out += '\\';
    out.append(verilog_ident_text(name));
    out += ' ';
}

std::string verilog_ident_text(std::string_view name) {
    if (is_plain_verilog_ident(name)) return std::string(name);
    check_escapable(name);
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(name.size());
    for (char ch : name) {
        auto c = static_cast<unsigned char>(ch);
        if (needs_percent(c)) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        } else {
            out += ch;
        }
    }
    return out;
}

}  // namespace velmora
