// Default answers of the flow block interface, and the checks and summaries block kinds share.
#include "model/flow_block/flow_block_base.h"
#include "util/str_cat.h"

namespace velmora {

void FlowBlock::add_element_in_flow_block(const ModelArena&, const NcpIdent& node) {
    if (node.node_type != NodeType::Asm) panic("flow-block basic nodes must be AsmNode");
    get_base_mut().push_basic_node(node);
}

void FlowBlock::add_sub_flow_block(const ModelArena&, const FlowBlockIdent& block) {
    get_base_mut().push_sub_block(block);
}

void FlowBlock::add_con_flow_block(const ModelArena&, const FlowBlockIdent&) {
    panic("add_con_flow_block: not supported by this block type");
}

std::optional<std::string> FlowBlock::check_sub_block(const ModelArena&, const FlowBlock&) const {
    return std::nullopt;
}

std::optional<std::string> FlowBlock::check_con_block(const ModelArena&,
                                                      const FlowBlock& con) const {
    return refuse_child(*this, con, "only a cif, sif or zif chain takes elif and else blocks");
}

OptHcpIdent FlowBlock::get_loop_id_expr_i() const {
    panic("get_loop_id_expr_i: not supported by this block type");
}

NcpIdent FlowBlock::summarize_as_node() const {
    panic("summarize_as_node: not supported by this block type");
}

const NodeWrap& built_summary(const std::optional<NodeWrap>& result, std::string_view not_built) {
    if (!result) panic(std::string(not_built));
    return *result;
}

std::string block_label(const FlowBlock& block) {
    return cat(block.noun(), " ", block.get_global_name());
}

std::string refuse_child(const FlowBlock& parent, const FlowBlock& child, std::string_view why) {
    return cat(block_label(parent), " cannot take ", block_label(child), ": ", why);
}

std::optional<std::string> check_plain_block(const FlowBlockBase& base, std::string_view kind) {
    if (base.basic_nodes_i.empty() && base.sub_blocks_i.empty()) {
        return cat(kind, " flow block has no element");
    }
    if (!base.con_blocks_i.empty()) return cat(kind, " flow block does not support con blocks");
    return std::nullopt;
}

}  // namespace velmora
