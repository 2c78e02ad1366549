#include "backends/common/hcp_deps.h"

#include "model/model_store.h"

namespace velmora {
namespace {

void gather_clk_srcs(const ModelArena& arena, const UpdateEventIdent& ue, HcpIdentSet& out) {
    arena.read_ue(ue, [&](const auto& event) {
        if (event.common.clk_src) out.insert(arena.ident_of(*event.common.clk_src));
        if constexpr (requires { event.ues; }) {
            for (const UpdateEventIdent& e : event.ues) gather_clk_srcs(arena, e, out);
        }
    });
}

}  // namespace

void gather_hcp_deps(const ModelArena& arena, const HcpIdent& component, HcpIdentSet& out) {
    arena.read_hcp(component, [&](const HcpBase& c) {
        c.gather_dep_hcps(arena, out);
        for (const UpdateEventIdent& ue : c.get_update_pool()) gather_clk_srcs(arena, ue, out);
    });
}

void remap_hcp_deps(ModelArena& arena, const HcpIdent& component, const HcpIdentMap& map) {
    arena.with_hcp(component, [&](HcpBase& c) {
        c.remap_dep_hcps(arena, map);
        // Events live in their own groups, so they can be changed while the component is out.
        for (const UpdateEventIdent& ue : c.get_update_pool()) {
            arena.with_ue(ue, [&](UpdateEvent& e) { e.remap_clk_src(arena, map); });
        }
    });
}

}  // namespace velmora
