// The join node: its exit is the AND or OR of the exits (and conditions) of its depend nodes.
#include "model/model_arena.h"
#include "model/nodes/simple_nodes.h"
#include "util/str_cat.h"

namespace velmora {

void PseudoNode::assign_final(ModelArena& arena) {
    if (triggers_.depend_nodes.empty()) panic("PseudoNode requires at least one depend node");
    OptHcpIdent result;
    bool first = true;
    for (const auto& [node, cond] : triggers_.depend_nodes) {
        // A depend on the node itself (a loop feeding back) resolves to its own expression.
        OptHcpIdent exit = resolve_node_exit_opr(arena, node);
        OptHcpIdent term =
            combine_optional_conds(arena, exit, arena.ident_of(cond), LogicOp::BitwiseAnd);
        result = first ? term : combine_optional_conds(arena, result, term, join_op);
        first = false;
    }
    if (!result) panic(cat("PseudoNode '", ident.ident_base.abs_text(), "': join has no signal"));
    arena.fill_empty_expression(exit_opr, *result);
}

}  // namespace velmora
