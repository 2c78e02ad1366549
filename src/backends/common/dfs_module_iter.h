#pragma once
// Depth-first, pre-order walk of the module tree: a module comes before its sub-modules, and
// sub-modules come in the order they were added.
#include <optional>
#include <vector>

#include "model/common/ident.h"

namespace velmora {

class ModelArena;

class DfsModuleIter {
public:
    DfsModuleIter(const ModelArena& arena, const ModuleIdent& top) : arena_(arena), stack_{top} {}

    /// The next module of the walk, or nothing once every module has been returned.
    std::optional<ModuleIdent> next_module();

private:
    const ModelArena& arena_;
    std::vector<ModuleIdent> stack_;
};

/// Every module of the tree below and including `top`, in walk order.
std::vector<ModuleIdent> collect_modules_dfs(const ModelArena& arena, const ModuleIdent& top);

}  // namespace velmora
