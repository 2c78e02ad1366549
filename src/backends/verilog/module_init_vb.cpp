// Preparing the update pools of the module tree before anything is written.
#include "backends/verilog/module_vb.h"
#include "model/model_store.h"

namespace velmora {

void sort_update_event_pool(const Module& module, ModelArena& arena) {
    constexpr int kLastAssignableKind = static_cast<int>(HwComponentType::MemBlockIndexer);
    for (int k = 0; k <= kLastAssignableKind; ++k) {
        auto kind = static_cast<HwComponentType>(k);
        for (bool is_user : {false, true}) {
            for (const HcpIdent& id : module.hcp_list(kind, is_user)) {
                arena.with_hcp(id, [&](HcpBase& c) { c.sort_events(arena); });
            }
        }
    }
}

void init_module_vb(Module& module, ModelArena& arena) {
    sort_update_event_pool(module, arena);
    for (const ModuleIdent& sub : module.sub_modules) {
        arena.with_module(sub, [&](Module& m) { init_module_vb(m, arena); });
    }
}

}  // namespace velmora
