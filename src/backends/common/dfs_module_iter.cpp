#include "backends/common/dfs_module_iter.h"

#include "model/model_arena.h"

namespace velmora {

std::optional<ModuleIdent> DfsModuleIter::next_module() {
    if (stack_.empty()) return std::nullopt;
    ModuleIdent m = stack_.back();
    stack_.pop_back();
    std::vector<ModuleIdent> subs =
        arena_.with_module(m, [](Module& mod) { return mod.sub_modules; });
    stack_.insert(stack_.end(), subs.rbegin(), subs.rend());
    return m;
}

std::vector<ModuleIdent> collect_modules_dfs(ModelArena& arena, const ModuleIdent& top) {
    std::vector<ModuleIdent> out;
    DfsModuleIter it(arena, top);
    while (auto m = it.next_module()) out.push_back(*m);
    return out;
}

}  // namespace velmora
