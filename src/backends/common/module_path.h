#pragma once
// Paths through the module tree. A path starts at a module and lists each parent in turn.
#include <utility>
#include <vector>

#include "model/common/ident.h"

namespace velmora {

class ModelArena;

using ModulePath = std::vector<ModuleIdent>;

/// Same module: global id, name, handle and depth agree.
bool same_module(const ModuleIdent& a, const ModuleIdent& b);

/// The module's identity as stored in the arena (the module must be in its slot).
ModuleIdent stored_module_ident(const ModelArena& arena, const ModuleIdent& m);

/// From the component's own module up to the root of its tree (depth level 0).
ModulePath find_module_path_to_top_from_hcp(const ModelArena& arena, const HcpIdent& component);

/// Paths from `a` and from `b`, each ending at their lowest common ancestor.
std::pair<ModulePath, ModulePath> find_common_ancestor_module_paths(const ModelArena& arena,
                                                                    const ModuleIdent& a,
                                                                    const ModuleIdent& b);

}  // namespace velmora
