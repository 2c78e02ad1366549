// The multi-cycle if/elif/else. Its entry node E samples the condition (in the cycle control
// arrives for cif, in a state of its own for sif); each branch starts from E under its chain
// condition (c for the body, ~c & c0 for the first elif, ...), and the exit X is the OR of the
// branch exits, plus E itself under "no condition held" when there is no else.
#include "model/flow_block/cond.h"

#include <algorithm>

#include "model/flow_block/cond_chain.h"
#include "model/flow_block/cond_elif.h"
#include "model/flow_block/cycle_samples.h"
#include "model/model_store.h"
#include "model/typed_access.h"
#include "util/str_cat.h"

namespace velmora {
namespace {

const BodyTexts kCondTexts{
    "cond block does not accept direct asm nodes; use a sub-block",
    "cond block already has a body sub-block",
    "cond block must have at least one body block",
    "cond block must have at least one body block",
    "cond block has not been built",
};

void depend_entries_on(ModelArena& arena, const NodeWrap& w, const NcpIdent& on,
                       const OptHcpIdent& cond) {
    for (const NcpIdent& entry : w.entry_nodes) {
        arena.with_node(entry, [&](NcpNode& n) { n.add_depend_node(on, cond); });
    }
}

}  // namespace

FlowBlockCond FlowBlockCond::make(std::string_view name, const HcpIdent& cond, bool state_entry) {
    FlowBlockCond b;
    b.base = FlowBlockBase::make(FlowBlockType::CondIf, FlowBlockJoinPolicy::SubFlow, name, true);
    b.schematic.cond = cond;
    b.schematic.state_entry = state_entry;
    return b;
}

FlowBlockIdent ModelArena::make_flow_block_cif(std::string_view name, const HcpIdent& cond,
                                               OptSlice cond_slice) {
    return insert_block(
        FlowBlockCond::make(name, resolve_cond_slice(name, cond, cond_slice), false));
}

FlowBlockIdent ModelArena::make_flow_block_sif(std::string_view name, const HcpIdent& cond,
                                               OptSlice cond_slice) {
    return insert_block(
        FlowBlockCond::make(name, resolve_cond_slice(name, cond, cond_slice), true));
}

const BodyTexts& FlowBlockCond::texts() const {
    return kCondTexts;
}

void FlowBlockCond::add_con_flow_block(const ModelArena& arena, const FlowBlockIdent& block) {
    if (block.block_type != FlowBlockType::CondElif) {
        panic("cond block con blocks must be cselif / cselse (CondElif)");
    }
    if (else_block) panic("cond block already ends with its else block");
    bool is_else = read_block_as<FlowBlockCondElif>(
        arena, block, [](const FlowBlockCondElif& e) { return !e.cond.has_value(); });
    if (is_else) else_block = block;
    base.push_con_block(block);
}

std::optional<std::string> FlowBlockCond::check_con_block(const ModelArena& arena,
                                                          const FlowBlock& con) const {
    if (con.get_ident().block_type != FlowBlockType::CondElif) {
        return refuse_child(*this, con, cat("a ", noun(), " continues with cselif or cselse"));
    }
    if (else_block) {
        std::string ends = arena.read_block(*else_block, block_label);
        return refuse_child(*this, con,
                            cat("the chain already ends with its else ", ends,
                                "; an else is the last branch of a chain"));
    }
    return std::nullopt;
}

void CondSchematic::build(ModelArena& arena, FlowBlockBase& base) {
    if (base.sub_blocks_i.empty()) panic("cond block must have at least one body block");
    const uint64_t id = base.ident.global_id();
    CycleSamples samples;

    // Entry: sif samples the condition in a state of its own, cif in the cycle control arrives.
    NcpIdent entry = state_entry
                         ? arena.make_state_node(cat("sif_cond_", id))
                         : arena.make_pseudo_node(cat("cif_cond_", id), 1, LogicOp::BitwiseOr);
    arena.with_node(entry, [&](NcpNode& n) {
        n.fill_ext_node(base.triggers, false);
        if (base.triggers.int_start_node)
            n.add_depend_node(arena.ident_of(*base.triggers.int_start_node), {});
    });
    base.created_nodes.push_back(entry);
    arena.assign_ncp_node(entry, true, false);

    // Branches: the body under c, each con block under "no earlier branch, and its own cond".
    std::vector<NodeWrap> branches;
    branches.push_back(arena.read_block(base.sub_blocks_i.front(),
                                        [](const FlowBlock& b) { return b.summarize_as_block(); }));
    depend_entries_on(arena, branches.back(), entry, cond);
    samples.push(branches.back().cycle);
    CondChain chain = CondChain::new_inv("cif", id, cond);
    for (size_t k = 0; k < base.con_blocks_i.size(); ++k) {
        const FlowBlockIdent& con = base.con_blocks_i[k];
        check_assert(con.block_type == FlowBlockType::CondElif,
                     "con.block_type == FlowBlockType::CondElif");
        auto [wrap, con_cond] = read_block_as<FlowBlockCondElif>(
            arena, con,
            [](const FlowBlockCondElif& e) { return std::pair(e.summarize_as_block(), e.cond); });
        depend_entries_on(arena, wrap, entry, chain.step(arena, k, con_cond));
        samples.push(wrap.cycle);
        branches.push_back(std::move(wrap));
    }

    // Exit: any branch finishing, or, without an else, E when no branch is taken.
    NcpIdent exit = arena.make_pseudo_node(cat("cif_exit_", id), 1, LogicOp::BitwiseOr);
    const bool no_branch_path = chain.open();
    OptHcpIdent none_taken;
    if (no_branch_path) none_taken = chain.current(arena);
    arena.with_node(exit, [&](NcpNode& n) {
        n.fill_ext_node(base.triggers, false);
        for (const NodeWrap& w : branches) n.add_depend_node(w.get_exit_node(), std::nullopt);
        if (no_branch_path) n.add_depend_node(entry, none_taken);
    });
    base.created_nodes.push_back(exit);
    if (base.triggers.int_start_node) samples.push(IN_CONSIST_CYCLE_USED);
    arena.assign_ncp_node(exit, true, true);
    for (const NodeWrap& w : branches) {
        for (const NcpIdent& e : w.entry_nodes) arena.assign_ncp_node(e, false, true);
    }

    // One fixed length only when every path takes it: the path taking no branch (no else) takes
    // none, and sif's entry state is one more cycle on every path.
    int32_t cycle = no_branch_path ? IN_CONSIST_CYCLE_USED : samples.common();
    if (state_entry && cycle != IN_CONSIST_CYCLE_USED) {
        cycle = cycle == INT32_MAX ? IN_CONSIST_CYCLE_USED : cycle + 1;
    }
    // cif has no state of its own: taking no branch, or a branch that ends at once, ends it in
    // the cycle it starts.
    const bool at_once =
        !state_entry &&
        (no_branch_path || std::any_of(branches.begin(), branches.end(),
                                       [](const NodeWrap& w) { return w.may_finish_at_once; }));
    result = NodeWrap({entry}, exit, cycle, at_once);
}

}  // namespace velmora
