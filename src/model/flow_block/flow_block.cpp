// Default answers of the flow block interface for the operations most kinds do not support.
#include "model/flow_block/flow_block_base.h"

namespace velmora {

void FlowBlock::add_con_flow_block(const FlowBlockIdent&) {
    panic("add_con_flow_block: not supported by this block type");
}

std::optional<HcpIdent> FlowBlock::get_loop_id_expr_i() const {
    panic("get_loop_id_expr_i: not supported by this block type");
}

NcpIdent FlowBlock::summarize_as_node() const {
    panic("summarize_as_node: not supported by this block type");
}

}  // namespace velmora
