#include "model/model_arena.h"

namespace velmora {
// PLACEHOLDER: to be implemented.
const NodeTriggers& NcpNode::get_node_triggers() const { panic("not implemented"); }
NodeTriggers& NcpNode::get_node_triggers_mut() { panic("not implemented"); }
void NcpNode::fill_ext_node(const NodeTriggers&, bool) { panic("not implemented"); }
std::optional<HcpIdent> NcpNode::get_state_operating() const { panic("not implemented"); }
void NcpNode::dry_assign(ModelArena&) { panic("not implemented"); }
std::string NcpNode::get_md_ident_val() const { panic("not implemented"); }
std::optional<HcpIdent> NcpNode::resolve_node_exit_opr(const ModelArena&, const NcpIdent&) const { panic("not implemented"); }
void NcpNode::init_ctrl_sigs(const ModelArena&, TriggerSig&) const { panic("not implemented"); }
void NcpNode::init_int_start_sig(const ModelArena&, TriggerSig&) const { panic("not implemented"); }
TriggerSig NcpNode::to_trigger_sig(const ModelArena&) const { panic("not implemented"); }
HcpIdent NcpNode::bind_with_rst_output_if_reset(ModelArena&, const HcpIdent&) const { panic("not implemented"); }
HcpIdent NcpNode::bind_with_hold_if_hold(ModelArena&, const HcpIdent&) const { panic("not implemented"); }
bool NcpNode::has_ctrl_triggers() const { panic("not implemented"); }
std::optional<HcpIdent> combine_optional_conds(ModelArena&, std::optional<HcpIdent>, std::optional<HcpIdent>, LogicOp) { panic("not implemented"); }
std::optional<HcpIdent> node_exit_of(const ModelArena&, const NcpIdent&) { panic("not implemented"); }
ClockMode AsmNode::get_clock_mode(const ModelArena&) const { panic("not implemented"); }
void AsmNode::assign_prelim(ModelArena&) { panic("AsmNode::assign_prelim(): is not support in AsmNode"); }
void AsmNode::assign_final(ModelArena&) { panic("AsmNode::assign_final(): use assign_from_state_node or dry_assign"); }
std::optional<HcpIdent> AsmNode::get_exit_opr() const { panic("get_exit_opr: not implemented"); }
void AsmNode::dry_assign(ModelArena&) { panic("not implemented"); }
void AsmNode::assign_from_state_node(ModelArena&) { panic("not implemented"); }
void OprNode::assign_final(ModelArena&) { panic("OprNode: assign() is not implemented"); }
void PseudoNode::assign_final(ModelArena&) { panic("not implemented"); }
void StartNode::assign_final(ModelArena&) { panic("not implemented"); }
void StateNode::assign_prelim(ModelArena&) { panic("not implemented"); }
void StateNode::assign_final(ModelArena&) { panic("not implemented"); }
std::optional<HcpIdent> StateNode::get_exit_opr() const { panic("not implemented"); }
std::optional<HcpIdent> StateNode::get_state_operating() const { panic("not implemented"); }
int32_t StateNode::get_cycle_used() const { panic("not implemented"); }
void SynNode::assign_prelim(ModelArena&) { panic("not implemented"); }
void SynNode::assign_final(ModelArena&) { panic("not implemented"); }
std::optional<HcpIdent> SynNode::get_exit_opr() const { panic("not implemented"); }
void WaitCondNode::assign_prelim(ModelArena&) { panic("not implemented"); }
void WaitCondNode::assign_final(ModelArena&) { panic("not implemented"); }
std::optional<HcpIdent> WaitCondNode::get_exit_opr() const { panic("not implemented"); }
std::optional<HcpIdent> WaitCondNode::get_state_operating() const { panic("not implemented"); }
void WaitCycleNode::assign_prelim(ModelArena&) { panic("not implemented"); }
void WaitCycleNode::assign_final(ModelArena&) { panic("not implemented"); }
std::optional<HcpIdent> WaitCycleNode::get_exit_opr() const { panic("not implemented"); }
int32_t WaitCycleNode::get_cycle_used() const { panic("not implemented"); }
void CounterNode::assign_prelim(ModelArena&) { panic("not implemented"); }
void CounterNode::assign_final(ModelArena&) { panic("not implemented"); }
std::optional<HcpIdent> CounterNode::get_exit_opr() const { panic("not implemented"); }
int32_t CounterNode::get_cycle_used() const { panic("not implemented"); }
NcpIdent ModelArena::make_asm_node(bool, std::string_view, AssignMeta) { panic("not implemented"); }
NcpIdent ModelArena::make_asm_node_many(std::string_view, std::vector<AssignMeta>) { panic("not implemented"); }
NcpIdent ModelArena::make_opr_node(std::string_view, const HcpIdent&) { panic("not implemented"); }
NcpIdent ModelArena::make_pseudo_node(std::string_view, int32_t, LogicOp) { panic("not implemented"); }
NcpIdent ModelArena::make_start_node(std::string_view, const HcpIdent&) { panic("not implemented"); }
NcpIdent ModelArena::make_state_node(std::string_view) { panic("not implemented"); }
NcpIdent ModelArena::make_syn_node(std::string_view, int32_t) { panic("not implemented"); }
NcpIdent ModelArena::make_wait_cond_node(std::string_view, const HcpIdent&, Slice) { panic("not implemented"); }
NcpIdent ModelArena::make_wait_cycle_node(std::string_view, int32_t) { panic("not implemented"); }
NcpIdent ModelArena::make_counter_node(std::string_view, int32_t) { panic("not implemented"); }
void ModelArena::assign_ncp_node(const NcpIdent&, bool, bool) { panic("not implemented"); }
void ModelArena::dry_assign_asm_node(const NcpIdent&) { panic("not implemented"); }
void ModelArena::assign_asm_from_state_node(const NcpIdent&) { panic("not implemented"); }
void ModelArena::init_asm_node_clk_src(const NcpIdent&) { panic("not implemented"); }
void ModelArena::set_asm_node_clk_src_direct(const NcpIdent&, const HcpIdent&) { panic("not implemented"); }
void ModelArena::apply_asm_node_pending_pre_cond(const NcpIdent&) { panic("not implemented"); }
}  // namespace velmora
