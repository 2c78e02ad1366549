#include "backends/common/dfs_module_iter.h"

#include "model/model_store.h"

namespace velmora {

std::optional<ModuleIdent> DfsModuleIter::next_module() {
    if (stack_.empty()) return std::nullopt;
    ModuleIdent m = stack_.back();
    stack_.pop_back();
    const std::vector<ModuleIdent>& subs = arena_.get_module(m).sub_modules;
    stack_.insert(stack_.end(), subs.rbegin(), subs.rend());
    return m;
}

std::vector<ModuleIdent> collect_modules_dfs(const ModelArena& arena, const ModuleIdent& top) {
    std::vector<ModuleIdent> out;
    DfsModuleIter it(arena, top);
    while (auto m = it.next_module()) out.push_back(*m);
    return out;
}

}  // namespace velmora
