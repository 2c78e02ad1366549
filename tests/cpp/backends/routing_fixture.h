#pragma once
// Module trees for the routing tests, and what routing left in them.
#include "../model/module_lists.h"
#include "backend_fixture.h"
#include "backends/common/route_io.h"

namespace velmora::testing {

class RoutingFixture : public BackendFixture {
protected:
    /// Starts a module below the one being built (a root when none is).
    ModuleIdent open(const std::string& name) {
        ModuleIdent m = arena.mk_module(name);
        arena.track_module_at_com_init(m);
        return m;
    }
    void close(const ModuleIdent& m) { arena.untrack_module_at_com_init(m); }

    std::vector<HcpIdent> io_wires(const ModuleIdent& m) {
        const Module& mod = arena.get_module(m);
        std::vector<HcpIdent> out = testing::hcp_idents(arena, mod, HwComponentType::IoWire, false);
        std::vector<HcpIdent> user = testing::hcp_idents(arena, mod, HwComponentType::IoWire, true);
        out.insert(out.end(), user.begin(), user.end());
        return out;
    }
    const IoWire& io(const HcpIdent& id) { return arena.group<IoWire>().get(id.handle()); }
    const std::vector<UpdateEventIdent>& pool(const HcpIdent& id) {
        return arena.read_hcp(id, [](const HcpBase& c) -> const std::vector<UpdateEventIdent>& {
            return c.get_update_pool();
        });
    }
    /// Source of the single plain event in the component's pool.
    HcpIdent only_src(const HcpIdent& id) {
        const auto& p = pool(id);
        EXPECT_EQ(p.size(), 1u);
        return arena.ident_of(arena.group<UeBasic>().get(p.at(0).handle()).src);
    }
    OptHcpIdent clk_of(const UpdateEventIdent& ue) {
        return arena.ident_of(arena.get_ue_common(ue).clk_src);
    }
    static uint64_t gid(const HcpIdent& h) { return h.global_id(); }
    static uint64_t gid(const OptHcpIdent& h) { return h ? h->global_id() : ~0ull; }
};

}  // namespace velmora::testing
