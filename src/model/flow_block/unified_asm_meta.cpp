// The direct assignments of a block and of its zero-cycle children, merged per destination.
#include <algorithm>

#include "model/hw_component/common/asm_meta_helper/grp_pool.h"
#include "model/model_store.h"
#include "model/typed_access.h"

namespace velmora {

std::vector<AssignMeta> FlowBlockBase::gen_unified_asm_meta_flat(ModelArena& arena) const {
    // (insertion number, node): basic nodes directly, BasicNodeFlow blocks by their summary.
    std::vector<std::pair<uint64_t, NcpIdent>> sources;
    for (size_t i = 0; i < basic_nodes_i.size(); ++i) {
        sources.emplace_back(basic_node_order[i], basic_nodes_i[i]);
    }
    for (size_t i = 0; i < sub_blocks_i.size(); ++i) {
        if (sub_blocks_i[i].join_policy != FlowBlockJoinPolicy::BasicNodeFlow) continue;
        NcpIdent node = arena.read_block(sub_blocks_i[i],
                                         [](const FlowBlock& b) { return b.summarize_as_node(); });
        sources.emplace_back(sub_block_order[i], node);
    }
    std::stable_sort(sources.begin(), sources.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });

    AssignMetaGrpPool pool;
    for (const auto& [order, node] : sources) {
        read_node_as<AsmNode>(arena, node, [&](const AsmNode& n) {
            for (const AssignMeta& meta : n.asm_metas) pool.insert(meta, arena);
        });
    }
    return pool.build_unified(arena);
}

}  // namespace velmora
