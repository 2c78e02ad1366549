#pragma once
// One module of the design: its components by kind and origin, children, blocks and nodes.
#include <array>
#include <optional>
#include <vector>

#include "model/common/ident.h"

namespace velmora {

class ModelArena;

struct Module {
    std::array<std::vector<HcpIdent>, kHwComponentTypeCount> internal_hcps;
    std::array<std::vector<HcpIdent>, kHwComponentTypeCount> user_hcps;
    std::vector<ModuleIdent> sub_modules;
    std::vector<CcpIdent> ccps;
    std::vector<FlowBlockIdent> flow_blocks;
    std::vector<NcpIdent> basic_nodes_i;
    ModuleIdent ident;
    OptNcpIdent start_node;
    bool is_top = false;

    void set_arena_handle(ArenaHandle h) { ident.ident_base.arena_handle = h; }
    std::vector<HcpIdent>& hcp_list(HwComponentType t, bool is_user) {
        return (is_user ? user_hcps : internal_hcps)[static_cast<int>(t)];
    }
    const std::vector<HcpIdent>& hcp_list(HwComponentType t, bool is_user) const {
        return (is_user ? user_hcps : internal_hcps)[static_cast<int>(t)];
    }
    /// Calls f on every component: kinds in HwComponentType order, internal list before user list.
    template <class F>
    void for_each_hcp(F&& f) const {
        for (int k = 0; k < kHwComponentTypeCount; ++k) {
            for (const HcpIdent& h : internal_hcps[k]) f(h);
            for (const HcpIdent& h : user_hcps[k]) f(h);
        }
    }

    static void build_flow_as_top_module(Module& module, ModelArena& arena);
    static void build_flow_base(Module& module, ModelArena& arena, const NcpIdent& start,
                                const HcpIdent& clk, const HcpIdent& mrst);
    /// Builds the complex components of the module, then of its sub-modules, depth first.
    static void build_complex_components(Module& module, ModelArena& arena);
    static void register_pending_hcps(Module& module, ModelArena& arena);
};

}  // namespace velmora
