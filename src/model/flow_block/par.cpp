// A parallel block: all branches start together; it ends with its longest branch (auto-sync)
// or whenever one branch ends (no sync).
#include "model/flow_block/par.h"

#include "model/flow_block/cycle_samples.h"
#include "model/model_arena.h"
#include "util/str_cat.h"

namespace velmora {

FlowBlockPar FlowBlockPar::make(std::string_view name, bool no_sync) {
    FlowBlockPar p;
    p.base =
        FlowBlockBase::make(FlowBlockType::Parallel, FlowBlockJoinPolicy::SubFlow, name, false);
    p.schematic.no_sync = no_sync;
    return p;
}

void FlowBlockPar::add_element_in_flow_block(const ModelArena&, const NcpIdent& node) {
    if (node.node_type != NodeType::Asm) panic("flow-block basic nodes must be AsmNode");
    base.push_basic_node(node);
}

void FlowBlockPar::add_sub_flow_block(const FlowBlockIdent& block) {
    base.push_sub_block(block);
}

const NodeWrap& FlowBlockPar::summarize_as_block() const {
    if (!schematic.result) panic("flow block has not been built");
    return *schematic.result;
}

std::optional<std::string> FlowBlockPar::check_prefinalize() const {
    if (base.basic_nodes_i.empty() && base.sub_blocks_i.empty()) {
        return "parallel flow block has no element";
    }
    if (!base.con_blocks_i.empty()) return "parallel flow block does not support con blocks";
    return std::nullopt;
}

void ParSchematic::build(ModelArena& arena, FlowBlockBase& base) {
    if (base.basic_nodes_i.empty() && base.sub_blocks_i.empty()) {
        panic("parallel flow block has no element");
    }
    if (!base.con_blocks_i.empty()) panic("parallel flow block does not support con blocks");
    const uint64_t id = base.ident.global_id();
    auto [basic_flow, sub_flow] = base.scan_sub_blocks_by_policy();
    std::vector<AssignMeta> metas = base.gen_unified_asm_meta_flat(arena);
    CycleSamples samples;
    branches.clear();
    basic_state.reset();
    exit.reset();

    // All direct assignments of the block happen together in one state.
    if (!metas.empty()) {
        NcpIdent asm_node = arena.make_asm_node_many(cat("par_asm_", id), std::move(metas));
        NcpIdent state = arena.make_state_node(cat("par_state_", id));
        for (const NcpIdent& n : {asm_node, state}) {
            arena.with_node(n, [&](NcpNode& node) { node.fill_ext_node(base.triggers, false); });
        }
        base.created_nodes.push_back(state);
        basic_state = state;
        samples.push(arena.read_node(state, [](const NcpNode& n) { return n.get_cycle_used(); }));
        arena.assign_ncp_node(state, true, false);
        arena.with_node(asm_node, [&](NcpNode& n) { n.add_depend_node(state, std::nullopt); });
        arena.assign_asm_from_state_node(asm_node);
    }

    for (const FlowBlockIdent& b : sub_flow) {
        branches.push_back(
            arena.read_block(b, [](const FlowBlock& blk) { return blk.summarize_as_block(); }));
        samples.push(branches.back().cycle);
    }
    cycle = samples.max();

    if (base.triggers.int_start_node) {
        const NcpIdent start = *base.triggers.int_start_node;
        auto depend_on_start = [&](const NcpIdent& n) {
            arena.with_node(n, [&](NcpNode& node) { node.add_depend_node(start, std::nullopt); });
        };
        if (basic_state) depend_on_start(*basic_state);
        for (const NodeWrap& w : branches) {
            for (const NcpIdent& e : w.entry_nodes) depend_on_start(e);
        }
        samples.push(IN_CONSIST_CYCLE_USED);
    }

    std::vector<std::pair<NcpIdent, int32_t>> exits;
    if (basic_state) exits.emplace_back(*basic_state, 1);
    for (const NodeWrap& w : branches) exits.emplace_back(w.get_exit_node(), w.cycle);

    auto first_with_cycle = [&](int32_t c) -> std::optional<NcpIdent> {
        for (const auto& [node, node_cycle] : exits) {
            if (node_cycle == c) return node;
        }
        return std::nullopt;
    };
    auto join_node = [&](NcpIdent n) {
        arena.with_node(n, [&](NcpNode& node) {
            node.fill_ext_node(base.triggers, false);
            for (const auto& [e, c] : exits) node.add_depend_node(e, std::nullopt);
        });
        base.created_nodes.push_back(n);
        arena.assign_ncp_node(n, true, true);
        return n;
    };

    if (!no_sync) {
        if (cycle == IN_CONSIST_CYCLE_USED && exits.size() > 1) {
            exit = join_node(
                arena.make_syn_node(cat("par_syn_", id), static_cast<int32_t>(exits.size())));
        } else if (auto found = first_with_cycle(cycle)) {
            exit = found;
        } else {
            if (exits.size() != 1) panic("parallel auto-sync cannot choose exit node");
            exit = exits.front().first;
        }
    } else {
        std::optional<NcpIdent> found;
        if (cycle >= 0) found = first_with_cycle(cycle);
        if (found) {
            exit = found;
        } else if (exits.size() > 1) {
            exit = join_node(arena.make_pseudo_node("par_no_sync_exit", 1, LogicOp::BitwiseOr));
        } else if (exits.size() == 1) {
            exit = exits.front().first;
        }
    }
    if (!exit) panic("parallel block exit node was not found");

    std::vector<NcpIdent> entries;
    if (basic_state) entries.push_back(*basic_state);
    for (const NodeWrap& w : branches) {
        entries.insert(entries.end(), w.entry_nodes.begin(), w.entry_nodes.end());
    }
    result = NodeWrap(std::move(entries), exit, cycle);
}

}  // namespace velmora
