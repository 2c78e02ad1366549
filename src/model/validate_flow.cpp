// Checks that the flow procedure can attach what it is about to attach: a closed block to its
// parent, an assignment to the innermost open block. They walk the flow block stack the way
// opening, closing and attaching will, so that a refusal comes before anything changes.
#include "model/model_store.h"
#include "model/validate.h"
#include "util/str_cat.h"

namespace velmora {
namespace {

std::string_view name_of(const FlowBlockIdent& b) {
    return b.ident_base.rel_view();
}

/// Why `parent` cannot take the closed block `child`, naming both.
Problem refuse_child(const ModelArena& arena, const FlowBlockIdent& parent,
                     const FlowBlockIdent& child) {
    Problem problem = arena.read_block(parent, [&](const FlowBlock& p) {
        return child.join_policy == FlowBlockJoinPolicy::ConFlow ? Problem{}
                                                                 : p.refuse_sub_block(child);
    });
    if (!problem) return std::nullopt;
    return cat(*problem, " ('", name_of(parent), "' cannot take '", name_of(child), "')");
}

/// A lazily closed chain on top of the stack, attached to the entry below it when it is closed.
Problem refuse_lazy_top(const ModelArena& arena, size_t top) {
    const std::vector<FlowStackEntry>& stack = arena.flow_block_stack();
    if (!stack[top].lazy_closed || top == 0) return std::nullopt;
    return refuse_child(arena, stack[top - 1].block, stack[top].block);
}

}  // namespace

Problem check_initialize_attach(const ModelArena& arena, const FlowBlockIdent& block) {
    const std::vector<FlowStackEntry>& stack = arena.flow_block_stack();
    if (stack.empty() || block.join_policy == FlowBlockJoinPolicy::ConFlow) return std::nullopt;
    return refuse_lazy_top(arena, stack.size() - 1);
}

Problem check_finalize_attach(const ModelArena& arena, const FlowBlockIdent& block) {
    const std::vector<FlowStackEntry>& stack = arena.flow_block_stack();
    if (stack.empty()) return std::nullopt;
    size_t at = stack.size() - 1;
    if (!(stack[at].block == block)) {
        // A lazily closed chain above the block is closed first and attached to it.
        if (at == 0 || !(stack[at - 1].block == block)) return std::nullopt;
        if (Problem p = refuse_child(arena, block, stack[at].block)) return p;
        --at;
    }
    // A chain master closed for the first time stays open for its continuations.
    if (block.chain_master && !stack[at].lazy_closed) return std::nullopt;
    if (at == 0) return std::nullopt;
    return refuse_child(arena, stack[at - 1].block, block);
}

Problem check_attach_basic_node(const ModelArena& arena) {
    const std::vector<FlowStackEntry>& stack = arena.flow_block_stack();
    if (stack.empty()) return std::nullopt;
    size_t at = stack.size() - 1;
    if (stack[at].lazy_closed) {
        if (Problem p = refuse_lazy_top(arena, at)) return p;
        if (at == 0) return std::nullopt;
        --at;
    }
    const FlowBlockIdent& target = stack[at].block;
    Problem problem =
        arena.read_block(target, [](const FlowBlock& b) { return b.refuse_basic_node(); });
    if (!problem) return std::nullopt;
    return cat(*problem, " (an assignment inside '", name_of(target), "')");
}

}  // namespace velmora
