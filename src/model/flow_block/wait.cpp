// The wait block: one state-holding node that waits for a condition or counts cycles.
#include "model/flow_block/wait.h"

#include "model/model_store.h"
#include "util/str_cat.h"

namespace velmora {
namespace {
constexpr std::string_view kNoDirectNodes = "wait block accepts no direct nodes";
constexpr std::string_view kNoSubBlocks = "wait block accepts no sub-blocks";
constexpr std::string_view kNoConBlocks = "wait block does not support con blocks";

FlowBlockWait new_wait(std::string_view name) {
    FlowBlockWait b;
    b.base = FlowBlockBase::make(FlowBlockType::Wait, FlowBlockJoinPolicy::SubFlow, name, false);
    return b;
}
}  // namespace

FlowBlockWait FlowBlockWait::make_cond(std::string_view name, const HcpIdent& cond,
                                       Slice cond_slice) {
    FlowBlockWait b = new_wait(name);
    b.schematic.cond = cond;
    b.schematic.cond_slice = cond_slice;
    return b;
}

FlowBlockWait FlowBlockWait::make_cycle(std::string_view name, int32_t cycle) {
    FlowBlockWait b = new_wait(name);
    b.schematic.cycle = cycle;
    return b;
}

FlowBlockIdent ModelArena::make_flow_block_scwait(std::string_view name, const HcpIdent& cond,
                                                  OptSlice cond_slice) {
    // Resolved here, as the loops do, so that the wait register always tests one whole bit.
    HcpIdent resolved = resolve_cond_slice(name, cond, cond_slice);
    return insert_block(FlowBlockWait::make_cond(name, resolved, hcp_full_slice(resolved)));
}

FlowBlockIdent ModelArena::make_flow_block_sywait(std::string_view name, int32_t cycle) {
    if (cycle <= 0) panic(cat("sywait cycle must be positive, got ", cycle));
    return insert_block(FlowBlockWait::make_cycle(name, cycle));
}

const NodeWrap& FlowBlockWait::summarize_as_block() const {
    return built_summary(schematic.result, "wait block has not been built");
}

void FlowBlockWait::add_element_in_flow_block(const ModelArena&, const NcpIdent&) {
    panic(std::string(kNoDirectNodes));
}

void FlowBlockWait::add_sub_flow_block(const ModelArena&, const FlowBlockIdent&) {
    panic(std::string(kNoSubBlocks));
}

std::optional<std::string> FlowBlockWait::check_sub_block(const ModelArena&,
                                                          const FlowBlock& child) const {
    return refuse_child(*this, child, kNoSubBlocks);
}

std::optional<std::string> FlowBlockWait::check_basic_node() const {
    return cat(block_label(*this), " cannot take an assignment: ", kNoDirectNodes);
}

std::optional<std::string> FlowBlockWait::check_prefinalize() const {
    if (!base.sub_blocks_i.empty()) return std::string(kNoSubBlocks);
    if (!base.con_blocks_i.empty()) return std::string(kNoConBlocks);
    return std::nullopt;
}

void WaitSchematic::build(ModelArena& arena, FlowBlockBase& base) {
    if (!base.con_blocks_i.empty()) panic(std::string(kNoConBlocks));
    const uint64_t id = base.ident.global_id();
    NcpIdent node = cond ? arena.make_wait_cond_node(cat("scwait_", id), *cond, cond_slice)
                         : arena.make_wait_cycle_node(cat("sywait_", id), cycle);
    adopt_node(arena, base, node);
    if (base.triggers.int_start_node)
        add_depend(arena, node, arena.ident_of(*base.triggers.int_start_node));
    arena.assign_ncp_node(node, true, false);
    int32_t used = arena.read_node(node, [](const NcpNode& n) { return n.get_cycle_used(); });
    result = NodeWrap({node}, node, used);
}

}  // namespace velmora
