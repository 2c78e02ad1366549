// Dependencies of a memory element: its index and its memory block besides its pool.
#include "model/hw_component/signals.h"
#include "model/model_arena.h"

namespace velmora {

void MemEle::gather_dep_hcps(const ModelArena& arena, HcpIdentSet& out) const {
    HcpBase::gather_dep_hcps(arena, out);
    out.insert(index_ident);
    out.insert(master_mem_blk_i);
}

void MemEle::remap_dep_hcps(ModelArena& arena, const HcpIdentMap& map) {
    HcpBase::remap_dep_hcps(arena, map);
    if (auto it = map.find(index_ident); it != map.end()) index_ident = it->second;
    if (auto it = map.find(master_mem_blk_i); it != map.end()) master_mem_blk_i = it->second;
}

}  // namespace velmora
