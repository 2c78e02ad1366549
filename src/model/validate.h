#pragma once
// Checks of a caller's input, run before an operation creates or changes anything. Each returns
// the problem as text, or nullopt when the input is fine; the caller decides how to report it
// (the Python binding raises ValueError naming the argument).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/common/ident.h"
#include "model/hw_component/slice.h"

namespace velmora {

class ModelArena;

using Problem = std::optional<std::string>;

// ---- Names and widths ---------------------------------------------------------------------------

/// A caller's name: at most kMaxUserNameLen bytes, no whitespace and no control characters (no
/// Verilog identifier, escaped or not, can carry them).
Problem check_user_name(std::string_view name);
/// A module's name, beyond check_user_name: it becomes part of the module's file name, so it holds
/// no path separator ('/' or '\\').
Problem check_module_name(std::string_view name);
/// 1 to kMaxBitWidth.
Problem check_bit_width(int32_t width);
/// 1 to kMaxIndexWidth.
Problem check_index_width(int32_t width);

// ---- Identities ---------------------------------------------------------------------------------

/// The identity names an object of this arena: its slot exists and holds the object with the same
/// global id and kind. Identities of another arena, or kept across a model takeover, fail here.
Problem check_ident(const ModelArena& arena, const HcpIdent& id);
Problem check_ident(const ModelArena& arena, const ModuleIdent& id);
Problem check_ident(const ModelArena& arena, const FlowBlockIdent& id);
/// The component is of the kind the operation needs.
Problem check_hcp_kind(const HcpIdent& id, HwComponentType expected);

// ---- Slices and values --------------------------------------------------------------------------

/// 0 <= start < stop <= the signal's width.
Problem check_slice(const ModelArena& arena, const HcpIdent& signal, const Slice& slice);
/// A reset or default value has the width of the component it is for.
Problem check_same_width(const ModelArena& arena, const HcpIdent& target, const HcpIdent& value);

// ---- Memories
// ------------------------------------------------------------------------------------

/// A memory element is made in the module of its memory block (the module on top of the trace
/// stack): Verilog reaches a memory only inside its own module. Passes on an empty stack, which the
/// factory itself refuses.
Problem check_mem_ele_module(const ModelArena& arena, const HcpIdent& mem_blk);
/// A memory element reads or writes bits of one word, so it is no wider than the word.
Problem check_mem_ele_width(const ModelArena& arena, const HcpIdent& mem_blk, int32_t width);

// ---- Module tree --------------------------------------------------------------------------------

/// Pushing (m, stage): m is not on the trace stack yet; at component init, the module on top
/// (which m will be registered under) is the one m was created in, and m is not its child yet.
/// This and check_top_module expect `m` to have passed check_ident.
Problem check_track(const ModelArena& arena, const ModuleIdent& m, ModuleInitStage stage);
/// Popping: the top entry is (m, stage). An empty stack is left to the pop itself.
Problem check_untrack(const ModelArena& arena, const ModuleIdent& m, ModuleInitStage stage);
/// The top module is a root of the module tree.
Problem check_top_module(const ModelArena& arena, const ModuleIdent& m);

// ---- Flow and order -----------------------------------------------------------------------------

/// The block is not on the flow block stack already.
Problem check_block_not_open(const ModelArena& arena, const FlowBlockIdent& block);
/// Opening `block` first closes a lazily closed chain on top of the stack; its parent takes it.
Problem check_initialize_attach(const ModelArena& arena, const FlowBlockIdent& block);
/// Closing `block` attaches it (and a lazily closed chain above it) to the block below.
Problem check_finalize_attach(const ModelArena& arena, const FlowBlockIdent& block);
/// An assignment made now is attached to the innermost open block, which must take it.
Problem check_attach_basic_node(const ModelArena& arena);
/// Nothing is added to the model once build_flow has built its control.
Problem check_open_for_additions(const ModelArena& arena, std::string_view operation);

// ---- IO marks -----------------------------------------------------------------------------------

/// The IO name is not empty, not one of the design's own inputs ("clk", "mrst"), not of the form
/// of the names the backend generates ("{KIND}_{name}_{id}", "MODULE_{name}_{id}"), and no other
/// component of the design carries it (marking the same component again replaces its mark).
Problem check_io_name(const ModelArena& arena, const HcpIdent& hcp, std::string_view io_name);
/// The part of check_io_name about generated names.
Problem check_io_name_form(std::string_view io_name);
/// The component's kind can be a port in that direction: an input drives a REG or a WIRE; an
/// output shows a REG, a WIRE, a VAL, an EXPR or a read memory element.
Problem check_io_mark_kind(const ModelArena& arena, const HcpIdent& hcp, bool is_input);

}  // namespace velmora
