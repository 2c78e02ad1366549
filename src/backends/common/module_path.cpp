#include "backends/common/module_path.h"

#include "model/model_store.h"
#include "util/str_cat.h"

namespace velmora {

bool same_module(const ModuleIdent& a, const ModuleIdent& b) {
    return a.global_id() == b.global_id() && a.ident_base.same_abs_name(b.ident_base) &&
           a.handle() == b.handle() && a.depth_level == b.depth_level;
}

ModuleIdent stored_module_ident(const ModelArena& arena, const ModuleRef& m) {
    return arena.group<Module>().get(m.handle()).ident;
}

ModulePath find_module_path_to_top_from_hcp(const ModelArena& arena, const HcpIdent& component) {
    ModulePath path{stored_module_ident(arena, component.parent_module)};
    while (path.back().depth_level > 0) path.push_back(arena.get_parent_module_ident(path.back()));
    return path;
}

std::pair<ModulePath, ModulePath> find_common_ancestor_module_paths(const ModelArena& arena,
                                                                    const ModuleIdent& a,
                                                                    const ModuleIdent& b) {
    ModulePath up{a};
    ModulePath down{b};
    while (up.back().depth_level > down.back().depth_level) {
        up.push_back(arena.get_parent_module_ident(up.back()));
    }
    while (down.back().depth_level > up.back().depth_level) {
        down.push_back(arena.get_parent_module_ident(down.back()));
    }
    while (!same_module(up.back(), down.back())) {
        if (up.back().depth_level == 0) {
            panic(cat("find_common_ancestor_module_paths: modules \"", a.ident_base.abs_text(),
                      "\" (id ", a.global_id(), ") and \"", b.ident_base.abs_text(), "\" (id ",
                      b.global_id(),
                      ") share no common ancestor — they are in different module trees"));
        }
        up.push_back(arena.get_parent_module_ident(up.back()));
        down.push_back(arena.get_parent_module_ident(down.back()));
    }
    return {std::move(up), std::move(down)};
}

}  // namespace velmora
