#include "model/model_arena.h"

namespace velmora {
// PLACEHOLDER: to be implemented.
UpdateEventIdent ModelArena::make_ue_basic(const HcpIdent&, Slice, Slice, int32_t, ClockMode, bool, std::optional<HcpIdent>) { panic("not implemented"); }
UpdateEventIdent ModelArena::make_ue_full(std::optional<HcpIdent>, std::optional<HcpIdent>, const HcpIdent&, Slice, Slice, int32_t, ClockMode, bool, std::optional<HcpIdent>) { panic("not implemented"); }
UpdateEventIdent ModelArena::make_ue_add_dis(std::optional<HcpIdent>, std::optional<HcpIdent>, const UpdateEventIdent&) { panic("not implemented"); }
UpdateEventIdent ModelArena::make_ue_mux(const UpdateEventIdent&, const UpdateEventIdent&, const HcpIdent&) { panic("not implemented"); }
void ModelArena::set_ue_clk_src_deep(const UpdateEventIdent&, const std::optional<HcpIdent>&) { panic("not implemented"); }
SanitizedSrc ModelArena::sanitize_asm_src(const HcpIdent&, const HcpIdent&, OptSlice, int32_t, int32_t) { panic("not implemented"); }
SanitizedSrc ModelArena::gen_basic_assign(const HcpIdent&, const HcpIdent&, OptSlice, OptSlice) { panic("not implemented"); }
}  // namespace velmora
