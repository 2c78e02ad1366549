#pragma once
#include <optional>
#include <vector>

#include "model/flow_block/flow_block_base.h"

namespace velmora {

struct ParSchematic {
    std::vector<NodeWrap> branches;
    std::optional<NcpIdent> basic_state;
    std::optional<NcpIdent> exit;
    int32_t cycle = 0;
    bool no_sync = false;
    std::optional<NodeWrap> result;

    void build(ModelArena& arena, FlowBlockBase& base);
};

class FlowBlockPar : public FlowBlock {
public:
    FlowBlockBase base;
    ParSchematic schematic;

    static FlowBlockPar make(std::string_view name, bool no_sync);
    FlowBlockBase& get_base_mut() override { return base; }
    const FlowBlockBase& get_base() const override { return base; }
    void add_element_in_flow_block(const ModelArena& arena, const NcpIdent& node) override;
    void add_sub_flow_block(const FlowBlockIdent& block) override;
    const NodeWrap& summarize_as_block() const override;
    std::optional<std::string> check_prefinalize() const override;
    void build_hw_component(ModelArena& arena) override { schematic.build(arena, base); }
};

}  // namespace velmora
