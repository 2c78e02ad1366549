#include "model/hw_component/sp_reg/control_regs.h"

#include "model/model_arena.h"

namespace velmora {
// PLACEHOLDER: to be implemented.
void TriggerSig::integrity_check(std::string_view, const ModelArena&, const HcpIdent&, int32_t) const { panic("not implemented"); }
NcpIdent StateReg::do_asm(ModelArena&, const HcpIdent&, OptSlice, int32_t, int32_t) { panic("StateReg::do_asm() is not supported; use build_update_event()"); }
void StateReg::build_update_event(ModelArena&) { panic("not implemented"); }
NcpIdent SyncReg::do_asm(ModelArena&, const HcpIdent&, OptSlice, int32_t, int32_t) { panic("SyncReg::do_asm() is not supported; use build_update_event()"); }
void SyncReg::build_support_signal(ModelArena&) { panic("not implemented"); }
void SyncReg::build_update_event(ModelArena&) { panic("not implemented"); }
NcpIdent CondWaitStateReg::do_asm(ModelArena&, const HcpIdent&, OptSlice, int32_t, int32_t) { panic("CondWaitStateReg::do_asm() is not supported; use build_update_event()"); }
void CondWaitStateReg::build_support_signal(ModelArena&) { panic("not implemented"); }
void CondWaitStateReg::build_update_event(ModelArena&) { panic("not implemented"); }
NcpIdent CycleWaitStateReg::do_asm(ModelArena&, const HcpIdent&, OptSlice, int32_t, int32_t) { panic("CycleWaitStateReg::do_asm() is not supported; use build_update_event()"); }
void CycleWaitStateReg::build_support_signal(ModelArena&) { panic("not implemented"); }
void CycleWaitStateReg::build_update_event(ModelArena&) { panic("not implemented"); }
int32_t cnt_reg_width(int32_t) { panic("not implemented"); }
HcpIdent ModelArena::make_state_reg(std::string_view) { panic("not implemented"); }
HcpIdent ModelArena::make_sync_reg(std::string_view, int32_t) { panic("not implemented"); }
HcpIdent ModelArena::make_cnt_reg(std::string_view, int32_t, int32_t) { panic("not implemented"); }
HcpIdent ModelArena::make_cond_wait_state_reg(std::string_view, const HcpIdent&, Slice) { panic("not implemented"); }
HcpIdent ModelArena::make_cycle_wait_state_reg(std::string_view, int32_t) { panic("not implemented"); }
}  // namespace velmora
