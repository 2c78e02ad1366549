#pragma once
// Warnings the core writes itself, one line each on standard error.
#include <string_view>

namespace velmora {

/// Writes "[velmora][warn] {text}" and a newline to standard error.
void warn_line(std::string_view text);

}  // namespace velmora
