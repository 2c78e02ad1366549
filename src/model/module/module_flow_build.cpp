// The flow build of the module tree: design clock, master reset and start pulse in the top
// module, then every module depth first, each before its sub-modules; then, in a second walk of
// the same order, every module's complex components.
#include "model/model_store.h"
#include "model/typed_access.h"

namespace velmora {

void Module::build_flow_as_top_module(Module& module, ModelArena& arena) {
    if (module.start_node) panic("top module start node must not be set before build_flow");
    arena.push_module(module.ident, ModuleInitStage::FlowBlockBuild);
    HcpIdent clk = arena.make_wire(false, "clk", 1);
    arena.mark_as_io(clk, true, "clk");
    HcpIdent mrst = arena.make_wire(false, "mrst", 1);
    arena.mark_as_io(mrst, true, "mrst");
    NcpIdent start = arena.make_start_node("start", mrst);
    NcpIdent start_clk = arena.make_opr_node("start_clk", clk);
    arena.with_node(start, [&](NcpNode& n) { n.set_clk_node(start_clk); });
    arena.assign_ncp_node(start, true, true);
    module.start_node = start;
    arena.pop_module();
    build_flow_base(module, arena, start, clk, mrst);
    build_complex_components(module, arena);
}

void Module::build_flow_base(Module& module, ModelArena& arena, const NcpIdent& start,
                             const HcpIdent& clk, const HcpIdent& mrst) {
    arena.push_module(module.ident, ModuleInitStage::FlowBlockBuild);

    for (const FlowBlockIdent& block : module.flow_blocks) {
        arena.with_block(block, [&](FlowBlock& b) {
            b.get_base_mut().clk_signals.push_back(clk);
            b.get_base_mut().mrst_signals.push_back(mrst);
            b.build_hw_master(arena);
        });
        if (block.join_policy == FlowBlockJoinPolicy::BasicNodeFlow) {
            // A zero-cycle block at top level is plain always-on logic.
            NcpIdent node =
                arena.read_block(block, [](const FlowBlock& b) { return b.summarize_as_node(); });
            if (node.node_type != NodeType::Asm) {
                panic("BasicNodeFlow summarize_as_node must return an AsmNode");
            }
            arena.dry_assign_asm_node(node);
            continue;
        }
        NodeWrap wrap =
            arena.read_block(block, [](const FlowBlock& b) { return b.summarize_as_block(); });
        for (const NcpIdent& entry : wrap.entry_nodes) {
            arena.with_node(entry, [&](NcpNode& n) { n.add_depend_node(start, std::nullopt); });
        }
        for (const NcpIdent& entry : wrap.entry_nodes) arena.assign_ncp_node(entry, false, true);
    }

    for (const NcpIdent& node : module.basic_nodes_i) {
        if (node.node_type != NodeType::Asm) panic("basic_nodes_i must contain only AsmNodes");
        arena.set_asm_node_clk_src_direct(node, clk);
        arena.apply_asm_node_pending_pre_cond(node);
        arena.dry_assign_asm_node(node);
    }

    // Complex components are built in a pass of their own once every module's flow blocks are
    // (build_complex_components): a block anywhere in the tree may still set an arbiter's master
    // acknowledge, which the grant logic reads.

    arena.pop_module();
    register_pending_hcps(module, arena);
    arena.push_module(module.ident, ModuleInitStage::FlowBlockBuild);

    for (bool user : {false, true}) {
        for (HcpRef reg : module.hcp_list(HwComponentType::Reg, user)) {
            with_hcp_as<Reg>(arena, HcpIdent(arena.ident_of(reg)),
                             [&](Reg& r) { r.try_build_reset(arena, clk, mrst); });
        }
    }
    for (bool user : {false, true}) {
        for (HcpRef wire : module.hcp_list(HwComponentType::Wire, user)) {
            with_hcp_as<Wire>(arena, HcpIdent(arena.ident_of(wire)),
                              [&](Wire& w) { w.try_build_default(arena); });
        }
    }

    arena.pop_module();
    register_pending_hcps(module, arena);

    for (const ModuleIdent& sub : module.sub_modules) {
        arena.with_module(sub, [&](Module& m) { build_flow_base(m, arena, start, clk, mrst); });
    }
}

void Module::build_complex_components(Module& module, ModelArena& arena) {
    arena.push_module(module.ident, ModuleInitStage::FlowBlockBuild);
    for (const CcpIdent& ccp : module.ccps) {
        arena.with_ccp(ccp, [&](CcpBase& c) { c.build(arena); });
    }
    arena.pop_module();
    register_pending_hcps(module, arena);
    for (const ModuleIdent& sub : module.sub_modules) {
        arena.with_module(sub, [&](Module& m) { build_complex_components(m, arena); });
    }
}

void Module::register_pending_hcps(Module& module, ModelArena& arena) {
    std::vector<PendingHcp> pending;
    pending.swap(arena.pending_hcps());
    for (const PendingHcp& p : pending) module.add_hcp(p.component, p.is_user);
}

}  // namespace velmora
