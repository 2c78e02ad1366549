#include "model/model_arena.h"

namespace velmora {
// PLACEHOLDER: to be implemented.
NodeWrap::NodeWrap(std::vector<NcpIdent> e, std::optional<NcpIdent> x, int32_t c) : entry_nodes(std::move(e)), exit_node(x), cycle(c) {}
const NcpIdent& NodeWrap::get_exit_node() const { if (!exit_node) panic("NodeWrap exit node is not set"); return *exit_node; }
FlowBlockBase FlowBlockBase::make(FlowBlockType, FlowBlockJoinPolicy, std::string_view, bool) { panic("not implemented"); }
void FlowBlockBase::push_basic_node(const NcpIdent&) { panic("not implemented"); }
void FlowBlockBase::push_sub_block(const FlowBlockIdent&) { panic("not implemented"); }
void FlowBlockBase::push_con_block(const FlowBlockIdent&) { panic("not implemented"); }
void FlowBlockBase::build_common_hw(ModelArena&) { panic("not implemented"); }
std::vector<AssignMeta> FlowBlockBase::gen_unified_asm_meta_flat(ModelArena&) const { panic("not implemented"); }
std::pair<std::vector<FlowBlockIdent>, std::vector<FlowBlockIdent>> FlowBlockBase::scan_sub_blocks_by_policy() const { panic("not implemented"); }
void FlowBlock::add_con_flow_block(const FlowBlockIdent&) { panic("add_con_flow_block: not supported by this block type"); }
std::optional<HcpIdent> FlowBlock::get_loop_id_expr_i() const { panic("get_loop_id_expr_i: not supported by this block type"); }
NcpIdent FlowBlock::summarize_as_node() const { panic("summarize_as_node: not supported by this block type"); }
void SeqSchematic::build(ModelArena&, FlowBlockBase&) { panic("not implemented"); }
FlowBlockSeq FlowBlockSeq::make(std::string_view) { panic("not implemented"); }
void FlowBlockSeq::add_element_in_flow_block(const ModelArena&, const NcpIdent&) { panic("not implemented"); }
void FlowBlockSeq::add_sub_flow_block(const FlowBlockIdent&) { panic("not implemented"); }
const NodeWrap& FlowBlockSeq::summarize_as_block() const { panic("not implemented"); }
std::optional<std::string> FlowBlockSeq::check_prefinalize() const { panic("not implemented"); }
void ParSchematic::build(ModelArena&, FlowBlockBase&) { panic("not implemented"); }
FlowBlockPar FlowBlockPar::make(std::string_view, bool) { panic("not implemented"); }
void FlowBlockPar::add_element_in_flow_block(const ModelArena&, const NcpIdent&) { panic("not implemented"); }
void FlowBlockPar::add_sub_flow_block(const FlowBlockIdent&) { panic("not implemented"); }
const NodeWrap& FlowBlockPar::summarize_as_block() const { panic("not implemented"); }
std::optional<std::string> FlowBlockPar::check_prefinalize() const { panic("not implemented"); }
FlowBlockIdent ModelArena::make_flow_block_seq(std::string_view) { panic("not implemented"); }
FlowBlockIdent ModelArena::make_flow_block_par(std::string_view, bool) { panic("not implemented"); }
void ModelArena::initialize_flow_block(const FlowBlockIdent&) { panic("not implemented"); }
std::optional<std::string> ModelArena::check_flow_block_prefinalize(const FlowBlockIdent&) { panic("not implemented"); }
void ModelArena::finalize_flow_block(const FlowBlockIdent&, bool) { panic("not implemented"); }
void ModelArena::finalize_flow_procedure() { panic("not implemented"); }
FlowBlockType ModelArena::get_last_skeleton_flow_block_type() const { panic("not implemented"); }
void ModelArena::attach_basic_node_to_current_scope(const NcpIdent&) { panic("not implemented"); }
void ModelArena::build_flow() { panic("not implemented"); }
void Module::build_flow_as_top_module(Module&, ModelArena&) { panic("not implemented"); }
void Module::build_flow_base(Module&, ModelArena&, const NcpIdent&, const HcpIdent&, const HcpIdent&) { panic("not implemented"); }
void Module::register_pending_hcps(Module&, ModelArena&) { panic("not implemented"); }
}  // namespace velmora
