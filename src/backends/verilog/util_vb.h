#pragma once
// Shared text routines of the Verilog forms: widths, slices, operands, clocking and operators.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/common/ident.h"
#include "model/hw_component/logic_op.h"
#include "model/hw_component/slice.h"

namespace velmora {

class ModelArena;

/// The component whose text is being written. It is out of its slot meanwhile, so operands that
/// name it read its name and width from here instead of from the arena.
struct CurrentHcpVb {
    HcpIdent ident;
    std::string name;
    int32_t width = 0;
};

/// "[{w-1}:0] " for a width above 1 (trailing blank included), empty otherwise.
std::string width_text_vb(int32_t width);

/// "[{stop-1}:{start}]" for a signal wider than one bit and a slice starting at 0 or above.
std::string slice_text_vb(int32_t width, const std::optional<Slice>& slice);
/// slice_text_vb(width, slice) appended to `out`.
void append_slice_text_vb(std::string& out, int32_t width, const std::optional<Slice>& slice);

/// Verilog name and width of any component; `cur` stands in for the one being written.
std::pair<std::string, int32_t> operand_name_width_vb(const ModelArena& arena,
                                                      const HcpIdent& operand,
                                                      const CurrentHcpVb& cur);

/// The operand's text: its name, sliced when it is wider than one bit and a slice is given.
std::string fmt_operand(const HcpIdent& operand, const std::optional<Slice>& slice,
                        const ModelArena& arena, const CurrentHcpVb& cur);
/// fmt_operand(...) appended to `out`.
void append_operand(std::string& out, const HcpIdent& operand, const std::optional<Slice>& slice,
                    const ModelArena& arena, const CurrentHcpVb& cur);

/// "posedge {clk}", "negedge {clk}", or "*" for clock-free and unused clocking.
std::string sensitivity_list(ClockMode mode, const std::optional<std::string>& clk_text);

/// The Verilog token of an operator; operators without one are refused.
std::string_view logic_op_to_verilog(LogicOp op);

}  // namespace velmora
