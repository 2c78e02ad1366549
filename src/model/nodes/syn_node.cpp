// Waits until every one of several branches has arrived.
#include "model/model_arena.h"
#include "model/nodes/state_nodes.h"

namespace velmora {

void SynNode::assign_prelim(ModelArena& arena) {
    end_expr_i = build_register_support(arena, sync_reg_i, &SyncReg::end_expr,
                                        "end_expr after build_support_signal");
    bound_exit_i = bind_exit_with_rst_and_hold(arena, *end_expr_i);
}

void SynNode::assign_final(ModelArena& arena) {
    drive_register(arena, sync_reg_i);
}

OptHcpIdent SynNode::get_exit_opr() const {
    return set_in_prelim(bound_exit_i,
                         "SynNode::get_exit_opr: bound_exit_i not set — call assign_prelim before "
                         "reading exit_opr");
}

}  // namespace velmora
