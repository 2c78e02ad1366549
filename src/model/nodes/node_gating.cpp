// Gating a node signal with the inverted hold or internal reset, and ANDing optional conditions.
#include "model/model_arena.h"
#include "model/nodes/ncp_node.h"
#include "util/str_cat.h"

namespace velmora {
namespace {

HcpIdent gate_with_inverted(ModelArena& arena, const NcpNode& node, NcpRef gate_node,
                            const HcpIdent& x, std::string_view inv_name,
                            std::string_view and_name) {
    OptHcpIdent gate = node.resolve_node_exit_opr(arena, gate_node);
    if (!gate) {
        panic(cat("node '", arena.ident_of(gate_node).ident_base.abs_text(),
                  "' has no exit signal to gate with"));
    }
    HcpIdent inv =
        arena.make_expression_single(false, inv_name, LogicOp::BitwiseInvr, *gate, std::nullopt);
    return arena.make_expression(false, and_name, LogicOp::BitwiseAnd, x, inv, std::nullopt,
                                 std::nullopt);
}

}  // namespace

HcpIdent NcpNode::bind_with_hold_if_hold(ModelArena& arena, const HcpIdent& x) const {
    const NodeTriggers& t = get_node_triggers();
    if (!t.hold_node) return x;
    return gate_with_inverted(arena, *this, *t.hold_node, x, "node_hold_inv", "node_bind_hold");
}

HcpIdent NcpNode::bind_with_rst_output_if_reset(ModelArena& arena, const HcpIdent& x) const {
    const NodeTriggers& t = get_node_triggers();
    if (!t.int_reset_node) return x;
    return gate_with_inverted(arena, *this, *t.int_reset_node, x, "node_int_inv", "node_bind_rst");
}

HcpIdent NcpNode::bind_exit_with_rst_and_hold(ModelArena& arena, const HcpIdent& raw) const {
    return bind_with_hold_if_hold(arena, bind_with_rst_output_if_reset(arena, raw));
}

OptHcpIdent combine_optional_conds(ModelArena& arena, OptHcpIdent a, OptHcpIdent b, LogicOp op) {
    if (op != LogicOp::BitwiseAnd && op != LogicOp::BitwiseOr) {
        panic("assertion failed: op == LogicOp::BitwiseAnd || op == LogicOp::BitwiseOr");
    }
    if (!a) return b;
    if (!b) return a;
    return arena.make_expression(false, "node_logic_expr", op, *a, *b, std::nullopt, std::nullopt);
}

}  // namespace velmora
