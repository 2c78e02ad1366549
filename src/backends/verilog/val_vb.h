#pragma once
// Constant literals.
#include <string>

#include "util/vary_val.h"

namespace velmora {

/// "1'b{bit 0}" for width 1; otherwise "{width}'h{hex}" in lower case without leading zeros.
std::string vary_val_to_verilog(const VaryVal& value);
/// vary_val_to_verilog(value) appended to `out`.
void append_vary_val_verilog(std::string& out, const VaryVal& value);

}  // namespace velmora
