#include "model/hw_component/common/update_event.h"

#include "model/model_arena.h"

namespace velmora {
// PLACEHOLDER: to be implemented.
bool is_joinable(const UeCommon&, const UeCommon&) { panic("not implemented: is_joinable"); }
void UpdateEvent::remap_clk_src(ModelArena&, const HcpIdentMap&) { panic("not implemented"); }
void UpdateEvent::remap_own_clk(const HcpIdentMap&) { panic("not implemented"); }
void UeBasic::gather_dep_hcps(const ModelArena&, HcpIdentSet&) const { panic("not implemented"); }
void UeBasic::remap_dep_hcps(ModelArena&, const HcpIdentMap&) { panic("not implemented"); }
void UeCond::push_branch(std::optional<HcpIdent>, UpdateEventIdent) { panic("not implemented"); }
void UeCond::gather_dep_hcps(const ModelArena&, HcpIdentSet&) const { panic("not implemented"); }
void UeCond::remap_dep_hcps(ModelArena&, const HcpIdentMap&) { panic("not implemented"); }
void UeCond::remap_clk_src(ModelArena&, const HcpIdentMap&) { panic("not implemented"); }
void UeSwitch::gather_dep_hcps(const ModelArena&, HcpIdentSet&) const { panic("not implemented"); }
void UeSwitch::remap_dep_hcps(ModelArena&, const HcpIdentMap&) { panic("not implemented"); }
void UeSwitch::remap_clk_src(ModelArena&, const HcpIdentMap&) { panic("not implemented"); }
void UeGrp::gather_dep_hcps(const ModelArena&, HcpIdentSet&) const { panic("not implemented"); }
void UeGrp::remap_dep_hcps(ModelArena&, const HcpIdentMap&) { panic("not implemented"); }
void UeGrp::remap_clk_src(ModelArena&, const HcpIdentMap&) { panic("not implemented"); }
void check_clock_invariant(const UeCommon&) { panic("not implemented"); }
}  // namespace velmora
