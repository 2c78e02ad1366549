#pragma once
// Model names are free UTF-8; Verilog accepts only plain identifiers or escaped ones, and an
// escaped one carries printable ASCII only. Every name the backend prints goes through
// verilog_ident().
#include <string>
#include <string_view>

namespace velmora {

/// True for a plain Verilog identifier that is not a reserved word.
bool is_plain_verilog_ident(std::string_view name);

/// The name as Verilog text: unchanged when it is a plain identifier, otherwise the escaped form
/// "\name " (backslash, the name, one blank) in which every byte outside printable ASCII, every
/// backtick and every '%' is written "%XX" with its two upper-case hex digits ("\REG_x%C3%A9_3 "
/// for "REG_xé_3"). Different names never share a written form. Names that cannot be written at
/// all (empty, not UTF-8, containing white space or control characters) are an internal error.
std::string verilog_ident(std::string_view name);
/// verilog_ident(name) appended to `out`.
void append_verilog_ident(std::string& out, std::string_view name);

/// The characters of the identifier verilog_ident() writes, without the escape's backslash and
/// closing blank: the name a tool gives the object. Module files are named with it, so that a
/// file's name matches the module it holds.
std::string verilog_ident_text(std::string_view name);

}  // namespace velmora
