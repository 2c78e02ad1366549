// Checks of the flow procedure: where a block may be opened, where an assignment may be made, and
// whether a closed chain is complete when it is attached.
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
        return arena.read_block(parent->block, [&](const FlowBlock& p) -> Problem {
            if (Problem q = check_placement(&p, child)) return q;
            return p.check_sub_block(arena, child);
        });
    });
}

Problem check_assignment_scope(const ModelArena& arena) {
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

}  // namespace velmora
