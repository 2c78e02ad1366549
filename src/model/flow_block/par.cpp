// A parallel block: all branches start together; it ends with its longest branch (auto-sync)
// or whenever one branch ends (no sync).
#include "model/flow_block/par.h"

#include <algorithm>

#include "model/flow_block/cycle_samples.h"
#include "model/model_store.h"
#include "util/str_cat.h"

namespace velmora {
namespace {

/// A node that ends the block, with the cycles its branch takes.
struct BranchExit {
    NcpIdent node;
    int32_t cycle;
    bool may_finish_at_once;
};

/// The block's exit and whether it can fire in the cycle the block starts.
struct ChosenExit {
    NcpIdent node;
    bool may_finish_at_once;
};

bool all_at_once(const std::vector<BranchExit>& exits) {
    return std::all_of(exits.begin(), exits.end(),
                       [](const BranchExit& e) { return e.may_finish_at_once; });
}

bool any_at_once(const std::vector<BranchExit>& exits) {
    return std::any_of(exits.begin(), exits.end(),
                       [](const BranchExit& e) { return e.may_finish_at_once; });
}

/// The one state in which all direct assignments of the block happen together, if it has any.
OptNcpIdent build_direct_state(ModelArena& arena, FlowBlockBase& base, CycleSamples& samples) {
    std::vector<AssignMeta> metas = base.gen_unified_asm_meta_flat(arena);
    if (metas.empty()) return std::nullopt;
    const uint64_t id = base.ident.global_id();
    NcpIdent asm_node = arena.make_asm_node_many(cat("par_asm_", id), std::move(metas));
    NcpIdent state = arena.make_state_node(cat("par_state_", id));
    for (const NcpIdent& n : {asm_node, state}) {
        arena.with_node(n, [&](NcpNode& node) { node.fill_ext_node(base.triggers, false); });
    }
    base.created_nodes.push_back(state);
    samples.push(arena.read_node(state, [](const NcpNode& n) { return n.get_cycle_used(); }));
    arena.assign_ncp_node(state, true, false);
    arena.with_node(asm_node, [&](NcpNode& n) { n.add_depend_node(state, std::nullopt); });
    arena.assign_asm_from_state_node(asm_node);
    return state;
}

/// Every entry of the block, in order: the direct state first, then each branch's entries.
std::vector<NcpIdent> entries_of(const OptNcpIdent& direct_state,
                                 const std::vector<NodeWrap>& branches) {
    std::vector<NcpIdent> entries;
    if (direct_state) entries.push_back(*direct_state);
    for (const NodeWrap& w : branches) {
        entries.insert(entries.end(), w.entry_nodes.begin(), w.entry_nodes.end());
    }
    return entries;
}

/// An internal start launches every entry again.
void launch_on_internal_start(ModelArena& arena, const FlowBlockBase& base,
                              const std::vector<NcpIdent>& entries) {
    if (!base.triggers.int_start_node) return;
    const NcpIdent start = arena.ident_of(*base.triggers.int_start_node);
    for (const NcpIdent& e : entries) {
        arena.with_node(e, [&](NcpNode& node) { node.add_depend_node(start, std::nullopt); });
    }
}

std::optional<ChosenExit> first_with_cycle(const std::vector<BranchExit>& exits, int32_t cycle) {
    for (const BranchExit& e : exits) {
        if (e.cycle == cycle) return ChosenExit{e.node, e.may_finish_at_once};
    }
    return std::nullopt;
}

/// A node fed by every branch exit, which ends the block when its join completes.
NcpIdent join_exits(ModelArena& arena, FlowBlockBase& base, const std::vector<BranchExit>& exits,
                    NcpIdent join) {
    arena.with_node(join, [&](NcpNode& node) {
        node.fill_ext_node(base.triggers, false);
        for (const BranchExit& e : exits) node.add_depend_node(e.node, std::nullopt);
    });
    base.created_nodes.push_back(join);
    arena.assign_ncp_node(join, true, true);
    return join;
}

/// Auto-sync ends with the longest branch when every length is known, else waits for all.
ChosenExit choose_sync_exit(ModelArena& arena, FlowBlockBase& base,
                            const std::vector<BranchExit>& exits, int32_t cycle) {
    if (cycle == IN_CONSIST_CYCLE_USED && exits.size() > 1) {
        NcpIdent syn = arena.make_syn_node(cat("par_syn_", base.ident.global_id()),
                                           static_cast<int32_t>(exits.size()));
        return {join_exits(arena, base, exits, syn), all_at_once(exits)};
    }
    if (std::optional<ChosenExit> found = first_with_cycle(exits, cycle)) return *found;
    if (exits.size() != 1) panic("parallel auto-sync cannot choose exit node");
    return {exits.front().node, exits.front().may_finish_at_once};
}

/// Without sync the block ends with its shortest known branch, else when any branch ends.
std::optional<ChosenExit> choose_no_sync_exit(ModelArena& arena, FlowBlockBase& base,
                                              const std::vector<BranchExit>& exits, int32_t cycle) {
    if (cycle >= 0) {
        if (std::optional<ChosenExit> found = first_with_cycle(exits, cycle)) return found;
    }
    if (exits.size() > 1) {
        NcpIdent any = arena.make_pseudo_node("par_no_sync_exit", 1, LogicOp::BitwiseOr);
        return ChosenExit{join_exits(arena, base, exits, any), any_at_once(exits)};
    }
    if (exits.size() == 1) return ChosenExit{exits.front().node, exits.front().may_finish_at_once};
    return std::nullopt;
}

}  // namespace

FlowBlockPar FlowBlockPar::make(std::string_view name, bool no_sync) {
    FlowBlockPar p;
    p.base =
        FlowBlockBase::make(FlowBlockType::Parallel, FlowBlockJoinPolicy::SubFlow, name, false);
    p.schematic.no_sync = no_sync;
    return p;
}

FlowBlockIdent ModelArena::make_flow_block_par(std::string_view name, bool no_sync) {
    return insert_block(FlowBlockPar::make(name, no_sync));
}

void ParSchematic::build(ModelArena& arena, FlowBlockBase& base) {
    if (std::optional<std::string> problem = check_plain_block(base, "parallel")) panic(*problem);
    CycleSamples samples;
    branches.clear();
    exit.reset();

    basic_state = build_direct_state(arena, base, samples);
    for (const FlowBlockIdent& b : base.scan_sub_blocks_by_policy().second) {
        branches.push_back(
            arena.read_block(b, [](const FlowBlock& blk) { return blk.summarize_as_block(); }));
        samples.push(branches.back().cycle);
    }
    // The block's length, and the choice of its exit, come from its branches alone.
    cycle = samples.max();
    std::vector<NcpIdent> entries = entries_of(basic_state, branches);
    launch_on_internal_start(arena, base, entries);

    std::vector<BranchExit> exits;
    if (basic_state) exits.push_back({*basic_state, 1, false});
    for (const NodeWrap& w : branches) {
        exits.push_back({w.get_exit_node(), w.cycle, w.may_finish_at_once});
    }
    std::optional<ChosenExit> chosen = no_sync ? choose_no_sync_exit(arena, base, exits, cycle)
                                               : choose_sync_exit(arena, base, exits, cycle);
    if (!chosen) panic("parallel block exit node was not found");
    exit = chosen->node;
    result = NodeWrap(std::move(entries), exit, cycle, chosen->may_finish_at_once);
}

}  // namespace velmora
