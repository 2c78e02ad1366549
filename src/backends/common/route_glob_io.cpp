// Global routing: design inputs and outputs marked on components anywhere in the tree.
#include "backends/common/dfs_module_iter.h"
#include "backends/common/io_wire_route.h"
#include "backends/common/module_path.h"
#include "backends/common/route_io.h"
#include "model/model_store.h"
#include "model/typed_access.h"
#include "util/str_cat.h"

namespace velmora {
namespace {

std::optional<IoMark> io_mark_of(const ModelArena& arena, const HcpIdent& id) {
    return arena.read_hcp(id, [](const HcpBase& c) {
        const IoMark* mark = c.get_io_mark();
        return mark ? std::optional<IoMark>(*mark) : std::nullopt;
    });
}

// Input: ports from the top down to the component's module, each fed by the one above; the
// component then takes its value from the port in its own module.
HcpIdent route_input(ModelArena& arena, const HcpIdent& x, const ModulePath& path) {
    int32_t width = arena.hcp_width(x);
    OptHcpIdent above;
    OptHcpIdent top_wire;
    for (size_t i = path.size(); i-- > 0;) {
        HcpIdent wire =
            make_routed_io_wire(arena, path[i], "IO_IN_anon", true, width, above, std::nullopt);
        if (!top_wire) top_wire = wire;
        above = wire;
    }
    arena.with_hcp(x, [&](HcpBase& c) {
        c.bind_src(arena, *above, Slice{0, width}, 0, width, std::nullopt, std::nullopt,
                   std::nullopt);
    });
    return *top_wire;
}

// Output: ports from the component's module up to the top, each reading the one below.
HcpIdent route_output(ModelArena& arena, const HcpIdent& x, const ModulePath& path) {
    std::string name = cat("IO_OUT_", x.rel_name());
    HcpIdent below = x;
    for (const ModuleIdent& m : path) {
        below = make_routed_io_wire(arena, m, name, false, arena.hcp_width(below), below, x);
    }
    return below;
}

}  // namespace

void route_glob_io_hw_comp(ModelArena& arena, const HcpIdent& x) {
    std::optional<IoMark> mark = io_mark_of(arena, x);
    if (!mark) panic("route_glob_io_hw_comp: expected an IO-marked component");
    ModulePath path = find_module_path_to_top_from_hcp(arena, x);
    if (path.empty()) panic("route_glob_io_hw_comp: module path must be non-empty");

    HcpIdent top_wire = mark->is_input ? route_input(arena, x, path) : route_output(arena, x, path);

    mark = io_mark_of(arena, x);
    if (!mark) panic("route_glob_io_hw_comp: target must be IO-marked");
    with_hcp_as<IoWire>(arena, top_wire, [&](IoWire& wire) {
        wire.port_name = mark->io_name;
        wire.is_input = mark->is_input;
    });
}

void route_glob_io_model(ModelArena& arena) {
    if (!arena.get_top_module()) panic("route_glob_io_model: no top module set");
    std::vector<HcpIdent> marked;
    DfsModuleIter it(arena, *arena.get_top_module());
    while (std::optional<ModuleIdent> m = it.next_module()) {
        arena.get_module(*m).for_each_hcp([&](HcpRef ref) {
            HcpIdent id = arena.ident_of(ref);
            if (io_mark_of(arena, id)) marked.push_back(id);
        });
    }
    for (const HcpIdent& x : marked) route_glob_io_hw_comp(arena, x);
}

}  // namespace velmora
