#include "model/model_arena.h"

namespace velmora {

std::vector<AssignMeta> FlowBlockBase::gen_unified_asm_meta_flat(ModelArena&) const {
    panic("gen_unified_asm_meta_flat: merging pool not linked yet");
}

}  // namespace velmora
