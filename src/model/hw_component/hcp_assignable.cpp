#include "model/model_arena.h"

namespace velmora {
// PLACEHOLDER: to be implemented.
int32_t HcpBase::get_priority() const { panic("not implemented"); }
NcpIdent HcpBase::do_asm(ModelArena&, const HcpIdent&, OptSlice, int32_t, int32_t) { panic("not implemented"); }
UpdateEventIdent HcpBase::gen_update_event(ModelArena&, const HcpIdent&, OptSlice, int32_t, int32_t) { panic("not implemented"); }
UpdateEventIdent HcpBase::gen_update_event_with_pri(ModelArena&, const HcpIdent&, OptSlice, int32_t, int32_t, int32_t, ClockMode) { panic("not implemented"); }
AssignMeta HcpBase::gen_asm_meta(ModelArena&, const HcpIdent&, OptSlice, int32_t, int32_t) { panic("not implemented"); }
NcpIdent HcpBase::gen_asm_node(ModelArena&, const HcpIdent&, OptSlice, int32_t, int32_t) { panic("not implemented"); }
void HcpBase::bind_src(ModelArena&, const HcpIdent&, OptSlice, int32_t, int32_t, std::optional<int32_t>, std::optional<ClockMode>, std::optional<HcpIdent>) { panic("not implemented"); }
void HcpBase::sort_events(const ModelArena&) { panic("not implemented"); }
void HcpBase::gather_dep_hcps(const ModelArena&, HcpIdentSet&) const { panic("not implemented"); }
void HcpBase::remap_dep_hcps(ModelArena&, const HcpIdentMap&) { panic("not implemented"); }
void MemBlk::refuse() { panic("MemBlk is not an assignment destination"); }
NcpIdent Val::do_asm(ModelArena&, const HcpIdent&, OptSlice, int32_t, int32_t) { panic("Val::do_asm should not be called"); }
UpdateEventIdent Val::gen_update_event(ModelArena&, const HcpIdent&, OptSlice, int32_t, int32_t) { panic("Val::gen_update_event should not be called"); }
AssignMeta Val::gen_asm_meta(ModelArena&, const HcpIdent&, OptSlice, int32_t, int32_t) { panic("Val::gen_asm_meta should not be called"); }
NcpIdent IoWire::do_asm(ModelArena&, const HcpIdent&, OptSlice, int32_t, int32_t) { panic("the io wire cannot be do_asm"); }
NcpIdent Expression::do_asm(ModelArena&, const HcpIdent&, OptSlice, int32_t, int32_t) { panic("Expression::do_asm — not implemented"); }
void Expression::gather_dep_hcps(const ModelArena&, HcpIdentSet&) const { panic("not implemented"); }
void Expression::remap_dep_hcps(ModelArena&, const HcpIdentMap&) { panic("not implemented"); }
void Reg::try_build_reset(ModelArena&, const HcpIdent&, const HcpIdent&) { panic("not implemented"); }
void Wire::try_build_default(ModelArena&) { panic("not implemented"); }
void Wire::disable_default() { panic("not implemented"); }
}  // namespace velmora
