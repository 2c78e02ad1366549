// Preparing the update pools of the module tree before anything is written.
#include "backends/common/dfs_module_iter.h"
#include "backends/verilog/module_vb.h"
#include "model/model_store.h"

namespace velmora {

void sort_update_event_pool(const Module& module, ModelArena& arena) {
    constexpr int kLastAssignableKind = static_cast<int>(HwComponentType::MemBlockIndexer);
    for (int k = 0; k <= kLastAssignableKind; ++k) {
        auto kind = static_cast<HwComponentType>(k);
        for (bool is_user : {false, true}) {
            for (HcpRef ref : module.hcp_list(kind, is_user)) {
                arena.with_hcp(HcpIdent(arena.ident_of(ref)),
                               [&](HcpBase& c) { c.sort_events(arena); });
            }
        }
    }
}

void init_module_vb(const ModuleIdent& top, ModelArena& arena) {
    // Sorting changes components only; the modules are read where they stand.
    DfsModuleIter it(arena, top);
    while (std::optional<ModuleIdent> m = it.next_module()) {
        sort_update_event_pool(arena.get_module(*m), arena);
    }
}

}  // namespace velmora
