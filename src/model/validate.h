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
Problem check_ident(const ModelArena& arena, const CcpIdent& id);
/// The component is of the kind the operation needs.
Problem check_hcp_kind(const HcpIdent& id, HwComponentType expected);
/// The complex component is of the kind the operation needs (a wrong kind is a TypeError).
Problem check_ccp_kind(const CcpIdent& id, CcpType expected);

// ---- Slices and values --------------------------------------------------------------------------

/// 0 <= start < stop <= the signal's width.
Problem check_slice(const ModelArena& arena, const HcpIdent& signal, const Slice& slice);
/// A reset or default value has the width of the component it is for.
Problem check_same_width(const ModelArena& arena, const HcpIdent& target, const HcpIdent& value);

// ---- Conditions ---------------------------------------------------------------------------------

/// A condition is one bit: a usable slice (0 <= start < stop) lies within the condition variable
/// and is one bit wide; without a usable slice the variable itself is one bit wide.
Problem check_one_bit_cond(const ModelArena& arena, const HcpIdent& cond,
                           const OptSlice& cond_slice);

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
/// Opening `block` now. An elif or else continues the closed cif/sif or zif chain right below it,
/// of its own kind and not ended by an else yet. Any other block lands in the innermost open
/// block (or the module), which must take it (a zcase only in a zstate, a pif or pidef only in a
/// pick, a zero-cycle block only where assignments go, one body per branch, ...); a closed chain
/// waiting on top is attached first, and must be complete.
Problem check_flow_block_open(const ModelArena& arena, const FlowBlockIdent& block);
/// An assignment made now lands in a block that takes assignments directly (not a cif, a pick,
/// a branch or a zstate); a closed chain waiting on top is attached first.
Problem check_assignment_block(const ModelArena& arena);
/// Closing `block` now: a closed chain it attaches on the way must be complete.
Problem check_flow_block_close(const ModelArena& arena, const FlowBlockIdent& block);
/// Ending the flow procedure now: a trailing closed chain must be complete.
Problem check_flow_procedure_end(const ModelArena& arena);
/// The closed chain waiting on top of the flow block stack, if any, can be attached (a zif chain
/// holds an assignment somewhere).
Problem check_lazy_chain_close(const ModelArena& arena);
/// A zcase match value below 0 matches no selector.
Problem check_zcase_match_val(int32_t match_val);
/// Opening `block`: it was never opened before, the nesting stays within kMaxFlowBlockDepth, and
/// the lazily closed block it closes first can be attached.
Problem check_open_block(const ModelArena& arena, const FlowBlockIdent& block);
/// Closing `block`: it is the innermost open block (a lazily closed chain above it is attached to
/// it), and a top-level block has a module tracked at flow init.
Problem check_finalize_block(const ModelArena& arena, const FlowBlockIdent& block);
/// Ending the procedure: at most one block is left, lazily closed, and it can be attached.
Problem check_finalize_procedure(const ModelArena& arena);
/// An assignment node can be attached now: to the innermost open block (after closing a lazy
/// chain above it), which must take it (check_assignment_block), or outside every block to the
/// tracked module or else the top module.
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
