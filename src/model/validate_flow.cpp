// Checks of the flow procedure, run before a call changes anything: the call order (the module
// and flow block stacks a call needs) and the structure (where a block may be opened, where an
// assignment may be made, whether a closed chain is complete when it is attached).
#include "model/common/limits.h"
#include "model/model_store.h"
#include "model/validate.h"
#include "util/str_cat.h"

namespace velmora {
namespace {

/// Where a new block (other than an elif or else) or an assignment lands: the innermost open
/// block once a closed chain waiting on top is attached; null at module level.
const FlowStackEntry* landing_entry(const ModelArena& arena) {
    const std::vector<FlowStackEntry>& stack = arena.flow_block_stack();
    if (stack.empty()) return nullptr;
    if (!stack.back().lazy_closed) return &stack.back();
    return stack.size() >= 2 ? &stack[stack.size() - 2] : nullptr;
}

std::string_view chain_masters_of(const FlowBlock& con) {
    return con.get_ident().block_type == FlowBlockType::ZeroCondElif ? "zif" : "cif or sif";
}

/// The place a kind needs whatever its parent is: a zcase directly in a zstate, a pif or pidef
/// directly in a pick. `parent` is null at module level.
Problem check_placement(const FlowBlock* parent, const FlowBlock& child) {
    FlowBlockType need;
    std::string_view rule;
    switch (child.get_ident().block_type) {
        case FlowBlockType::ZeroSwitchCase:
            need = FlowBlockType::ZeroSwitch;
            rule = "a zcase goes directly inside a zstate";
            break;
        case FlowBlockType::PickIf:
            need = FlowBlockType::Pick;
            rule = "a pif or pidef goes directly inside a pick";
            break;
        default:
            return std::nullopt;
    }
    if (parent == nullptr) return cat(block_label(child), " cannot stand outside a block: ", rule);
    if (parent->get_ident().block_type != need) return refuse_child(*parent, child, rule);
    return std::nullopt;
}

Problem check_continuation(const ModelArena& arena, const FlowBlock& con) {
    const std::vector<FlowStackEntry>& stack = arena.flow_block_stack();
    if (stack.empty()) {
        return cat(block_label(con), " has nothing to continue: open it right after the closed ",
                   chain_masters_of(con), " it continues");
    }
    const FlowStackEntry& top = stack.back();
    return arena.read_block(top.block, [&](const FlowBlock& master) -> Problem {
        if (!top.lazy_closed) {
            return refuse_child(master, con,
                                cat("a ", con.noun(), " continues a closed ", chain_masters_of(con),
                                    " and is opened right after it, not inside another block"));
        }
        return master.check_con_block(arena, con);
    });
}

}  // namespace

Problem check_lazy_chain_close(const ModelArena& arena) {
    const std::vector<FlowStackEntry>& stack = arena.flow_block_stack();
    if (stack.empty() || !stack.back().lazy_closed) return std::nullopt;
    return arena.read_block(stack.back().block,
                            [&](const FlowBlock& b) { return b.check_chain_close(arena); });
}

Problem check_flow_block_open(const ModelArena& arena, const FlowBlockIdent& block) {
    return arena.read_block(block, [&](const FlowBlock& child) -> Problem {
        if (block.join_policy == FlowBlockJoinPolicy::ConFlow) {
            return check_continuation(arena, child);
        }
        if (Problem p = check_lazy_chain_close(arena)) return p;
        const FlowStackEntry* parent = landing_entry(arena);
        if (parent == nullptr) return check_placement(nullptr, child);
        const FlowStackEntry& top = arena.flow_block_stack().back();
        return arena.read_block(parent->block, [&](const FlowBlock& p) -> Problem {
            if (Problem q = check_placement(&p, child)) return q;
            // A closed chain waiting on top is attached to the parent before the child.
            if (top.lazy_closed) return p.check_sub_block_after(arena, top.block, child);
            return p.check_sub_block(arena, child);
        });
    });
}

Problem check_assignment_block(const ModelArena& arena) {
    if (Problem p = check_lazy_chain_close(arena)) return p;
    const FlowStackEntry* scope = landing_entry(arena);
    if (scope == nullptr) return std::nullopt;
    return arena.read_block(scope->block, [](const FlowBlock& b) { return b.check_basic_node(); });
}

Problem check_flow_block_close(const ModelArena& arena, const FlowBlockIdent&) {
    // A closed chain on top is attached on the way, whether it is the block itself or above it.
    return check_lazy_chain_close(arena);
}

Problem check_flow_procedure_end(const ModelArena& arena) {
    return check_lazy_chain_close(arena);
}

Problem check_zcase_match_val(int32_t match_val) {
    if (match_val >= 0) return std::nullopt;
    return cat("match value ", match_val,
               " can never match: a selector holds only values from 0 up");
}

// ---- Call order: the stacks a call needs ------------------------------------------------------

namespace {

NameText label_of(const FlowBlockIdent& b) {
    return b.ident_base.abs_text();
}

/// A closed block with nothing open below it joins the module on top of the trace stack, which
/// must be tracked at flow init.
Problem check_top_level_attach(const ModelArena& arena, const FlowBlockIdent& block) {
    const auto& stack = arena.module_trace_stack();
    if (stack.empty()) {
        return cat("module trace stack is empty; ", label_of(block),
                   " is an outermost flow block and joins the module on top of the module trace "
                   "stack: track that module with track_module_at_flow_init first");
    }
    const auto& [module, stage] = stack.back();
    if (stage != ModuleInitStage::FlowBlockInit) {
        return cat("finalize_flow_block: expected FlowBlockInit stage on module trace stack, got ",
                   member_name(stage), "; ", label_of(block), " is an outermost flow block of ",
                   module.ident_base.abs_text(),
                   ", which is tracked for components: untrack it and track it with "
                   "track_module_at_flow_init first");
    }
    return std::nullopt;
}

/// Closing the lazily closed chain on top of the stack, as opening a block or attaching an
/// assignment does first.
Problem check_close_lazy_top(const ModelArena& arena) {
    const auto& stack = arena.flow_block_stack();
    if (stack.size() != 1 || !stack.back().lazy_closed) return std::nullopt;
    return check_top_level_attach(arena, stack.back().block);
}

bool is_open(const ModelArena& arena, const FlowBlockIdent& block) {
    for (const FlowStackEntry& e : arena.flow_block_stack()) {
        if (e.block.global_id() == block.global_id()) return true;
    }
    return false;
}

/// Every block the build will reach passes its pre-finalise check (a front end may skip it).
Problem check_blocks_to_build(const ModelArena& arena) {
    std::vector<ModuleIdent> modules{*arena.get_top_module()};
    std::vector<FlowBlockIdent> blocks;
    while (!modules.empty()) {
        const Module& m = arena.get_module(modules.back());
        modules.pop_back();
        modules.insert(modules.end(), m.sub_modules.begin(), m.sub_modules.end());
        blocks.assign(m.flow_blocks.begin(), m.flow_blocks.end());
        while (!blocks.empty()) {
            FlowBlockIdent b = blocks.back();
            blocks.pop_back();
            Problem failure = arena.read_block(b, [&](const FlowBlock& block) {
                const FlowBlockBase& base = block.get_base();
                blocks.insert(blocks.end(), base.sub_blocks_i.begin(), base.sub_blocks_i.end());
                blocks.insert(blocks.end(), base.con_blocks_i.begin(), base.con_blocks_i.end());
                return block.check_prefinalize();
            });
            if (failure) {
                return cat("build_flow: ", *failure, " (", label_of(b), " of ",
                           m.ident.ident_base.abs_text(),
                           "); check_flow_block_prefinalize reports this before "
                           "finalize_flow_block: fix the block there");
            }
        }
    }
    return std::nullopt;
}

}  // namespace

Problem check_module_depth(const ModelArena& arena) {
    if (arena.module_trace_stack().size() < kMaxModuleDepth) return std::nullopt;
    return cat("mk_module: modules nested deeper than ", kMaxModuleDepth,
               " are not supported; the module trace stack already holds ", kMaxModuleDepth,
               " modules, and a module made now would sit below all of them");
}

Problem check_module_tracked(const ModelArena& arena, std::string_view operation) {
    if (!arena.module_trace_stack().empty()) return std::nullopt;
    return cat("module trace stack is empty; ", operation,
               " makes a component, which belongs to the module on top of the module trace "
               "stack: track a module with track_module_at_com_init first");
}

Problem check_open_block(const ModelArena& arena, const FlowBlockIdent& block) {
    if (arena.block_was_opened(block)) {
        return cat(label_of(block),
                   " was opened before; a flow block is opened and finalized once: make a new "
                   "block");
    }
    const auto& stack = arena.flow_block_stack();
    bool closes_lazy_top = block.join_policy != FlowBlockJoinPolicy::ConFlow && !stack.empty() &&
                           stack.back().lazy_closed;
    size_t depth = stack.size() + 1 - (closes_lazy_top ? 1 : 0);
    if (depth > kMaxFlowBlockDepth) {
        return cat("initialize_flow_block: flow blocks nesting deeper than ", kMaxFlowBlockDepth,
                   " are not supported; ", label_of(block),
                   " would be nested one level deeper: finalize an open block first");
    }
    return closes_lazy_top ? check_close_lazy_top(arena) : std::nullopt;
}

Problem check_finalize_block(const ModelArena& arena, const FlowBlockIdent& block) {
    const auto& stack = arena.flow_block_stack();
    if (stack.empty()) {
        return cat("flow block stack is empty; ", label_of(block),
                   " is not open: open it with initialize_flow_block first");
    }
    size_t at = stack.size() - 1;
    if (!(stack[at].block == block)) {
        // A lazily closed chain above the block is closed into it; anything else is a mismatch.
        if (stack[at].lazy_closed && at > 0 && stack[at - 1].block == block) {
            --at;
        } else if (!is_open(arena, block)) {
            return cat("finalize_flow_block: ident mismatch — wrong block finalized; ",
                       label_of(block), " is not open (the innermost open block is ",
                       label_of(stack.back().block), ")");
        } else {
            return cat("finalize_flow_block: ident mismatch — wrong block finalized; ",
                       label_of(block), " is not the innermost open block (",
                       label_of(stack.back().block), " is): finalize blocks innermost first");
        }
    }
    // A chain master closed the first time stays open for its continuations.
    if (block.chain_master && !stack[at].lazy_closed) return std::nullopt;
    return at == 0 ? check_top_level_attach(arena, block) : std::nullopt;
}

Problem check_finalize_procedure(const ModelArena& arena) {
    const auto& stack = arena.flow_block_stack();
    if (stack.size() >= 2) {
        return cat("finalize_flow_procedure: flow block stack must have 0 or 1 element, got ",
                   stack.size(), "; finalize the open blocks first, innermost (",
                   label_of(stack.back().block), ") first");
    }
    if (stack.empty()) return std::nullopt;
    if (!stack.back().lazy_closed) {
        return cat(
            "finalize_flow_procedure: leftover flow block must be lazy-closed, not still open; "
            "finalize ",
            label_of(stack.back().block), " first");
    }
    return check_close_lazy_top(arena);
}

Problem check_assignment_scope(const ModelArena& arena) {
    const auto& stack = arena.flow_block_stack();
    if (!stack.empty()) {
        // Closing a lazy chain at the bottom needs a module at flow init, which then takes the
        // assignment; otherwise the assignment lands in an open block, which must take it.
        if (Problem p = check_close_lazy_top(arena)) return p;
        return check_assignment_block(arena);
    }
    if (!arena.module_trace_stack().empty() || arena.get_top_module()) {
        return check_assignment_block(arena);
    }
    return "add_basic_node_to_top_module: no top module set; an assignment outside every flow "
           "block joins the module on top of the module trace stack, or the top module when "
           "none is tracked: track a module with track_module_at_flow_init (or call "
           "set_top_module) first";
}

Problem check_build_flow(const ModelArena& arena) {
    if (!arena.get_top_module()) return "build_flow: no top module set; call set_top_module first";
    if (arena.flow_built()) {
        return "top module start node must not be set before build_flow; build_flow runs once "
               "per design";
    }
    if (!arena.flow_block_stack().empty()) {
        return cat("build_flow: flow block ", label_of(arena.flow_block_stack().back().block),
                   " is still open; finalize every block and call finalize_flow_procedure "
                   "before build_flow");
    }
    if (!arena.module_trace_stack().empty()) {
        const auto& [module, stage] = arena.module_trace_stack().back();
        return cat("build_flow: ", module.ident_base.abs_text(),
                   " is still on the module trace stack (tracked at ", member_name(stage),
                   "); untrack every module before build_flow");
    }
    return check_blocks_to_build(arena);
}

}  // namespace velmora
