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

// ---- Module tree --------------------------------------------------------------------------------

/// Pushing (m, stage): m is not on the trace stack yet; at component init, the module on top
/// (which m will be registered under) is the one m was created in, and m is not its child yet.
/// This and check_top_module expect `m` to have passed check_ident.
Problem check_track(const ModelArena& arena, const ModuleIdent& m, ModuleInitStage stage);
/// Popping: the stack is not empty and its top entry is (m, stage).
Problem check_untrack(const ModelArena& arena, const ModuleIdent& m, ModuleInitStage stage);
/// No top module is set yet, and `m` is a root of the module tree.
Problem check_top_module(const ModelArena& arena, const ModuleIdent& m);
/// A new module stays within kMaxModuleDepth.
Problem check_module_depth(const ModelArena& arena);
/// A new component needs a module to belong to: the module trace stack is not empty.
Problem check_module_tracked(const ModelArena& arena, std::string_view operation);

// ---- Flow and order -----------------------------------------------------------------------------

/// The block is not on the flow block stack already.
Problem check_block_not_open(const ModelArena& arena, const FlowBlockIdent& block);
/// Opening `block`: it was never opened before, the nesting stays within kMaxFlowBlockDepth, and
/// the lazily closed block it closes first can be attached.
Problem check_open_block(const ModelArena& arena, const FlowBlockIdent& block);
/// Closing `block`: it is the innermost open block (a lazily closed chain above it is attached to
/// it), and a top-level block has a module tracked at flow init.
Problem check_finalize_block(const ModelArena& arena, const FlowBlockIdent& block);
/// Ending the procedure: at most one block is left, lazily closed, and it can be attached.
Problem check_finalize_procedure(const ModelArena& arena);
/// An assignment node can be attached now: to the innermost open block (after closing a lazy
/// chain above it), or outside every block to the tracked module or else the top module.
Problem check_assignment_scope(const ModelArena& arena);
/// build_flow: a top module is set, the control is not built yet, no block is open, no module is
/// tracked, and every block the build reaches passes its pre-finalise check.
Problem check_build_flow(const ModelArena& arena);
/// Nothing is added to the model once build_flow has built its control.
Problem check_open_for_additions(const ModelArena& arena, std::string_view operation);

// ---- Assignments and values -------------------------------------------------------------------

/// An assignment destination: a register, a wire or a memory port; constants, expressions and
/// memory blocks are refused (the binding raises TypeError).
Problem check_assignable(const HcpIdent& des);
/// A reset or default value: not the component itself, and not set before.
Problem check_reset_value(const ModelArena& arena, const HcpIdent& target, const HcpIdent& value);

// ---- Module trees -------------------------------------------------------------------------------

/// `signal` lies in the module tree of `module` (routing joins modules of one tree only).
Problem check_same_tree(const ModelArena& arena, const HcpIdent& signal, const ModuleRef& module);
/// The module an operation made now belongs to: the one on top of the trace stack, else the top
/// module, else none.
std::optional<ModuleRef> current_module(const ModelArena& arena);
/// The module a component belongs to.
ModuleRef module_of(const ModelArena& arena, const HcpIdent& signal);

// ---- IO marks -----------------------------------------------------------------------------------

/// The IO name is not empty, not one of the design's own inputs ("clk", "mrst") and no other
/// component of the design carries it (marking the same component again replaces its mark).
Problem check_io_name(const ModelArena& arena, const HcpIdent& hcp, std::string_view io_name);

}  // namespace velmora
