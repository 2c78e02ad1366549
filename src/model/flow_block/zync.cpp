// The zync block: its record, its factories (which take a leaf on every arbiter at once) and the
// structural rules. The schematic is in zync_schematic.cpp.
#include "model/flow_block/zync.h"

#include <unordered_map>

#include "model/complex_hardware/arb.h"
#include "model/model_store.h"
#include "model/typed_access.h"
#include "util/str_cat.h"

namespace velmora {
namespace {
constexpr std::string_view kOnlyBasicFlow =
    "zync block accepts only basic-flow sub-blocks; use a direct asm node or a basic-flow block";
}  // namespace

Problem check_zync_arbs_distinct(const std::vector<ZyncBindRequest>& binds) {
    std::unordered_map<uint64_t, size_t> first_bind;  // arbiter's global id -> bind index
    for (size_t k = 0; k < binds.size(); ++k) {
        auto [it, fresh] = first_bind.emplace(binds[k].arb.global_id(), k);
        if (!fresh) {
            return cat("bind ", k, " contends on ", binds[k].arb.ident_base.abs_text(),
                       " again (bind ", it->second,
                       " already does); a zync takes one leaf on each of its arbiters");
        }
    }
    return std::nullopt;
}

FlowBlockZync FlowBlockZync::make(std::string_view name, std::vector<ZyncArbBind> binds,
                                  bool match_all) {
    if (binds.empty()) panic("ZyncSchematic::new: at least one arb bind required");
    FlowBlockZync b;
    b.base = FlowBlockBase::make(FlowBlockType::Zync, FlowBlockJoinPolicy::SubFlow, name, false);
    b.schematic.binds = std::move(binds);
    b.schematic.match_all = match_all;
    return b;
}

FlowBlockIdent ModelArena::make_flow_block_zync(std::string_view name, const CcpIdent& arb,
                                                int32_t priority, bool auto_ack) {
    return make_flow_block_zync_multi(name, {ZyncBindRequest{arb, priority, auto_ack, {}}}, false);
}

FlowBlockIdent ModelArena::make_flow_block_zync_multi(std::string_view name,
                                                      const std::vector<ZyncBindRequest>& binds,
                                                      bool match_all) {
    if (binds.empty()) panic("make_flow_block_zync_multi: at least one arb required");
    for (const ZyncBindRequest& b : binds) {
        if (b.arb.ccp_type != CcpType::Arb) panic("ZyncArbBind::new: ccp must be an Arb");
    }
    if (Problem p = check_zync_arbs_distinct(binds)) panic(*p);
    std::vector<ZyncArbBind> made;
    made.reserve(binds.size());
    for (const ZyncBindRequest& b : binds) {
        uint64_t leaf = b.auto_ack ? arb_add_leaf_locked(b.arb, b.priority, ArbLockedChannel::Ack)
                                   : arb_add_leaf(b.arb, b.priority);
        made.push_back(ZyncArbBind{b.cond, b.arb, leaf});
    }
    return insert_block(FlowBlockZync::make(name, std::move(made), match_all));
}

const NodeWrap& FlowBlockZync::summarize_as_block() const {
    return built_summary(schematic.result, "zync block has not been built");
}

void FlowBlockZync::add_sub_flow_block(const ModelArena&, const FlowBlockIdent& block) {
    if (block.join_policy != FlowBlockJoinPolicy::BasicNodeFlow) panic(std::string(kOnlyBasicFlow));
    base.push_sub_block(block);
}

std::optional<std::string> FlowBlockZync::check_sub_block(const ModelArena&,
                                                          const FlowBlock& child) const {
    if (child.get_ident().join_policy == FlowBlockJoinPolicy::BasicNodeFlow) return std::nullopt;
    return refuse_child(*this, child,
                        cat(kOnlyBasicFlow,
                            "; a zync's assignments all take effect in its grant "
                            "cycle, so only assignments, zif chains and zstates "
                            "go inside it"));
}

std::optional<std::string> FlowBlockZync::check_prefinalize() const {
    if (base.basic_nodes_i.empty() && base.sub_blocks_i.empty()) {
        return "zync block must hold at least one basic node or basic-flow sub-block";
    }
    if (!base.con_blocks_i.empty()) return "zync block does not support con blocks";
    return std::nullopt;
}

}  // namespace velmora
