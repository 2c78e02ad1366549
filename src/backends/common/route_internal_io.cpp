// Internal routing: signals read across module boundaries.
#include <algorithm>

#include "backends/common/dfs_module_iter.h"
#include "backends/common/hcp_deps.h"
#include "backends/common/io_wire_route.h"
#include "backends/common/module_path.h"
#include "backends/common/route_io.h"
#include "common/user_error.h"
#include "model/model_store.h"
#include "model/validate.h"
#include "util/str_cat.h"

namespace velmora {
namespace {

// An input port's pool is never written out: the port is driven by its instance connection, so
// what the pool reads is not read by the module.
bool is_input_io_wire(const ModelArena& arena, const HcpIdent& id) {
    if (id.hw_type != HwComponentType::IoWire) return false;
    return arena.group<IoWire>().get(id.handle()).is_input;
}

// An output port of a direct sub-module is visible in the module as the net of the same name.
bool is_sub_module_output(const ModelArena& arena, const HcpIdent& dep, const ModuleIdent& m) {
    if (dep.hw_type != HwComponentType::IoWire || is_input_io_wire(arena, dep)) return false;
    return stored_module_ident(arena, dep.parent_module).master_module_handle == m.handle();
}

/// Calls f on each component of m that the module reads from, in place: routing adds ports to
/// modules, but never while a module's list is being walked.
template <class F>
void for_each_reading_component(const ModelArena& arena, const ModuleIdent& m, F f) {
    arena.get_module(m).for_each_hcp([&](HcpRef ref) {
        HcpIdent id = arena.ident_of(ref);
        if (!is_input_io_wire(arena, id)) f(id);
    });
}

/// The signals of other modules that module m reads, by global id.
std::vector<HcpIdent> gather_foreign_deps(ModelArena& arena, const ModuleIdent& m) {
    HcpIdentSet deps{ModuleRef(m)};
    for_each_reading_component(arena, m,
                               [&](const HcpIdent& id) { gather_hcp_deps(arena, id, deps); });
    std::vector<HcpIdent> sorted(deps.begin(), deps.end());
    std::sort(sorted.begin(), sorted.end(),
              [](const HcpIdent& a, const HcpIdent& b) { return a.global_id() < b.global_id(); });
    return sorted;
}

// Routes one signal from its module to `reader`; returns the signal the reader sees instead.
HcpIdent route_io_base(ModelArena& arena, const HcpIdent& dep, const ModuleIdent& reader) {
    ModuleIdent dep_module = stored_module_ident(arena, dep.parent_module);
    auto [up, down] = find_common_ancestor_module_paths(arena, dep_module, reader);
    if (up.empty() || down.empty()) panic("route_io_base: path vectors must not be empty");
    if (up.size() == 1 && down.size() == 1) {
        if (!same_module(up[0], down[0])) {
            panic("route_io_base: single-element paths must refer to the same module (LCA)");
        }
        return dep;
    }
    HcpIdent cur = dep;
    for (size_t i = 0; i + 1 < up.size(); ++i) {
        OptHcpIdent found = find_reusable_io_wire(arena, up[i], dep, false);
        cur = found ? *found
                    : make_routed_io_wire(arena, up[i], cat("IO_OUT_", dep.rel_name()), false,
                                          arena.hcp_width(cur), cur, dep);
    }
    for (size_t i = down.size() - 1; i-- > 0;) {
        OptHcpIdent found = find_reusable_io_wire(arena, down[i], dep, true);
        cur = found ? *found
                    : make_routed_io_wire(arena, down[i], cat("IO_IN_", dep.rel_name()), true,
                                          arena.hcp_width(cur), cur, dep);
    }
    return cur;
}

void route_module(ModelArena& arena, const ModuleIdent& m) {
    HcpIdentMap remap;
    for (const HcpIdent& dep : gather_foreign_deps(arena, m)) {
        if (is_sub_module_output(arena, dep, m)) continue;
        HcpIdent mapped = route_io_base(arena, dep, m);
        if (mapped.global_id() != dep.global_id()) remap.emplace(dep, mapped);
    }
    if (remap.empty()) return;
    for_each_reading_component(arena, m,
                               [&](const HcpIdent& id) { remap_hcp_deps(arena, id, remap); });
}

/// Every signal a module reads from another module must be in the design's module tree; checked
/// for all modules before routing changes anything.
void check_module_trees(ModelArena& arena, const ModuleIdent& top) {
    DfsModuleIter it(arena, top);
    while (std::optional<ModuleIdent> m = it.next_module()) {
        for (const HcpIdent& dep : gather_foreign_deps(arena, *m)) {
            if (Problem p = check_same_tree(arena, dep, *m)) fail_user(cat("emit: ", *p));
        }
    }
}

}  // namespace

void route_and_remap_io_model(ModelArena& arena) {
    if (!arena.get_top_module()) panic("route_and_remap_io_model: no top module set");
    check_module_trees(arena, *arena.get_top_module());
    DfsModuleIter it(arena, *arena.get_top_module());
    while (std::optional<ModuleIdent> m = it.next_module()) route_module(arena, *m);
}

}  // namespace velmora
