#include "model/hw_component/common/assign_meta.h"

#include "model/model_arena.h"

namespace velmora {
// PLACEHOLDER: to be implemented.
void AssignMeta::add_specific_pre_condition(const HcpIdent&, ModelArena&) { panic("not implemented"); }
void AssignMeta::apply_pending_pre_cond(ModelArena&) { panic("not implemented"); }
}  // namespace velmora
