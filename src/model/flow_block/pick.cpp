// The pick. Entry E is the trigger that reaches the block; each pif branch starts from E under its
// own condition, the pidef under "no pif condition holds", and the exit X is the OR of all branch
// exits (and of E itself under "none holds" when there is no pidef). Several branches may run at
// once, so X may be high in more than one cycle.
#include "model/flow_block/pick.h"

#include "model/flow_block/cycle_samples.h"
#include "model/flow_block/pick_if.h"
#include "model/model_store.h"
#include "model/typed_access.h"
#include "util/str_cat.h"
#include "util/warn_line.h"

namespace velmora {
namespace {

constexpr const char* kNoDirect =
    "pick block does not accept direct asm nodes; use a pif/pidef branch";
constexpr const char* kOnlyBranches = "pick sub blocks must be pif/pidef (PickIf)";
constexpr const char* kOneDefault = "pick block accepts at most one pidef default branch";

bool is_default_branch(const ModelArena& arena, const FlowBlockIdent& b) {
    return read_block_as<FlowBlockPickIf>(
        arena, b, [](const FlowBlockPickIf& p) { return !p.cond.has_value(); });
}

}  // namespace

FlowBlockPick FlowBlockPick::make(std::string_view name) {
    FlowBlockPick b;
    b.base = FlowBlockBase::make(FlowBlockType::Pick, FlowBlockJoinPolicy::SubFlow, name, false);
    return b;
}

FlowBlockIdent ModelArena::make_flow_block_pick(std::string_view name) {
    return insert_block(FlowBlockPick::make(name));
}

void FlowBlockPick::add_element_in_flow_block(const ModelArena&, const NcpIdent&) {
    panic(kNoDirect);
}

void FlowBlockPick::add_sub_flow_block(const ModelArena& arena, const FlowBlockIdent& block) {
    if (block.block_type != FlowBlockType::PickIf) panic(kOnlyBranches);
    if (is_default_branch(arena, block)) {
        if (default_branch) panic(kOneDefault);
        default_branch = block;
    }
    base.push_sub_block(block);
}

std::optional<std::string> FlowBlockPick::check_sub_block(const ModelArena& arena,
                                                          const FlowBlock& child) const {
    if (child.get_ident().block_type != FlowBlockType::PickIf) {
        return refuse_child(*this, child, cat(kOnlyBranches, "; put the steps inside a pif"));
    }
    const auto& branch = dynamic_cast<const FlowBlockPickIf&>(child);
    if (default_branch && !branch.cond) {
        std::string first = arena.read_block(*default_branch, block_label);
        return refuse_child(*this, child, cat(kOneDefault, " (", first, " is its default)"));
    }
    return std::nullopt;
}

std::optional<std::string> FlowBlockPick::check_basic_node() const {
    return cat(block_label(*this), " cannot take an assignment: ", kNoDirect);
}

std::optional<std::string> FlowBlockPick::check_prefinalize() const {
    if (base.sub_blocks_i.empty()) return "pick block must have at least one pif branch";
    return std::nullopt;
}

void PickSchematic::build(ModelArena& arena, FlowBlockBase& base) {
    warn_line(cat("pick block '", base.ident.ident_base.rel_view(),
                  "': exit is NOT auto-synchronized; the matching branch drives the exit signal"));
    if (base.sub_blocks_i.empty()) panic("pick block must have at least one pif branch");
    const uint64_t id = base.ident.global_id();
    CycleSamples samples;

    NcpIdent entry = arena.make_pseudo_node(cat("pick_entry_", id), 1, LogicOp::BitwiseOr);
    arena.with_node(entry, [&](NcpNode& n) {
        n.fill_ext_node(base.triggers, false);
        if (base.triggers.int_start_node)
            n.add_depend_node(arena.ident_of(*base.triggers.int_start_node), {});
    });
    base.created_nodes.push_back(entry);
    arena.assign_ncp_node(entry, true, false);
    NcpIdent exit = arena.make_pseudo_node(cat("pick_exit_", id), 1, LogicOp::BitwiseOr);
    arena.with_node(exit, [&](NcpNode& n) { n.fill_ext_node(base.triggers, false); });
    base.created_nodes.push_back(exit);

    // Each pif starts on its own condition; `none` is "no pif condition holds".
    std::vector<NodeWrap> pifs;
    std::optional<NodeWrap> default_wrap;
    OptHcpIdent none;
    for (size_t k = 0; k < base.sub_blocks_i.size(); ++k) {
        const FlowBlockIdent& b = base.sub_blocks_i[k];
        check_assert(b.block_type == FlowBlockType::PickIf,
                     "b.block_type == FlowBlockType::PickIf");
        auto [wrap, cond] = read_block_as<FlowBlockPickIf>(arena, b, [](const FlowBlockPickIf& p) {
            return std::pair(p.summarize_as_block(), p.cond);
        });
        samples.push(wrap.cycle);
        if (!cond) {
            if (default_wrap) panic(kOneDefault);
            default_wrap = std::move(wrap);
            continue;
        }
        for (const NcpIdent& e : wrap.entry_nodes) {
            arena.with_node(e, [&](NcpNode& n) { n.add_depend_node(entry, cond); });
        }
        HcpIdent not_k = arena.make_expression_single(false, cat("pick_not_", id, "_", k),
                                                      LogicOp::BitwiseInvr, *cond, std::nullopt);
        none = combine_optional_conds(arena, none, not_k, LogicOp::BitwiseAnd);
        pifs.push_back(std::move(wrap));
    }

    arena.with_node(exit, [&](NcpNode& n) {
        for (const NodeWrap& w : pifs) n.add_depend_node(w.get_exit_node(), std::nullopt);
    });
    if (default_wrap) {
        for (const NcpIdent& e : default_wrap->entry_nodes) {
            arena.with_node(e, [&](NcpNode& n) { n.add_depend_node(entry, none); });
        }
        arena.with_node(exit, [&](NcpNode& n) {
            n.add_depend_node(default_wrap->get_exit_node(), std::nullopt);
        });
    } else {
        arena.with_node(exit, [&](NcpNode& n) { n.add_depend_node(entry, none); });
    }

    arena.assign_ncp_node(exit, true, true);
    for (const NodeWrap& w : pifs) {
        for (const NcpIdent& e : w.entry_nodes) arena.assign_ncp_node(e, false, true);
    }
    if (default_wrap) {
        for (const NcpIdent& e : default_wrap->entry_nodes) arena.assign_ncp_node(e, false, true);
    }

    // Without a pidef, the path on which no pif matches ends at once: no one fixed length.
    if (base.triggers.int_start_node) samples.push(IN_CONSIST_CYCLE_USED);
    int32_t cycle = default_wrap ? samples.common() : IN_CONSIST_CYCLE_USED;
    // The pick has no state of its own: with no pidef, or a branch that ends at once, it can end
    // in the cycle it starts.
    bool at_once = !default_wrap || default_wrap->may_finish_at_once;
    for (const NodeWrap& w : pifs) at_once = at_once || w.may_finish_at_once;
    result = NodeWrap({entry}, exit, cycle, at_once);
}

}  // namespace velmora
