#pragma once
// Zero-cycle blocks: combinational choice among assignments. They compile into assign metas that
// the enclosing block places like one plain assignment, so they have no summary with cycles.
#include <optional>
#include <string>
#include <vector>

#include "model/flow_block/flow_block_base.h"

namespace velmora {

class ZeroCycleBlock : public FlowBlock {
public:
    FlowBlockBase base;

    FlowBlockBase& get_base_mut() override { return base; }
    const FlowBlockBase& get_base() const override { return base; }
    const NodeWrap& summarize_as_block() const override;
};

/// zif, zelif / zelse and zcase: blocks that hold assignments and other zero-cycle blocks, and
/// merge them into one list of metas per destination.
class ZeroCycleBody : public ZeroCycleBlock {
public:
    std::vector<AssignMeta> unified_metas;  // filled by the build

    void add_sub_flow_block(const ModelArena& arena, const FlowBlockIdent& block) override;
    std::optional<std::string> check_sub_block(const ModelArena& arena,
                                               const FlowBlock& child) const override;
    /// Holds an assignment or a nested zero-cycle block.
    bool has_content() const { return !base.basic_nodes_i.empty() || !base.sub_blocks_i.empty(); }

protected:
    /// The message of a child that is not zero-cycle.
    virtual std::string_view sub_policy_message() const = 0;
    void compute_unified_metas(ModelArena& arena) {
        unified_metas = base.gen_unified_asm_meta_flat(arena);
    }
};

}  // namespace velmora
