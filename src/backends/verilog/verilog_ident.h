#pragma once
// Model names are free UTF-8; Verilog accepts only plain identifiers or escaped ones. Every name
// the backend prints goes through verilog_ident().
#include <string>
#include <string_view>

namespace velmora {

/// True for a plain Verilog identifier that is not a reserved word.
bool is_plain_verilog_ident(std::string_view name);

/// The name as Verilog text: unchanged when it is a plain identifier, otherwise the escaped form
/// "\name " (backslash, the name, one blank). Names that cannot be written at all (empty, not
/// UTF-8, containing white space or control characters) are an internal error.
std::string verilog_ident(std::string_view name);

}  // namespace velmora
