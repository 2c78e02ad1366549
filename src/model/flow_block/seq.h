#pragma once
#include <optional>
#include <variant>
#include <vector>

#include "model/flow_block/flow_block_base.h"

namespace velmora {

/// One step of a sequence: a sub block, or an assignment step with its own state.
struct SequenceEle {
    struct Block {
        FlowBlockIdent block;
        std::optional<NodeWrap> wrap;
    };
    struct Basic {
        std::optional<NcpIdent> asm_node_i;
        std::optional<NcpIdent> state_node_i;
        std::optional<FlowBlockIdent> from_block;
    };
    std::variant<Block, Basic> ele;
};

struct SeqSchematic {
    std::vector<SequenceEle> elements;
    std::optional<NodeWrap> result;

    void build(ModelArena& arena, FlowBlockBase& base);
};

class FlowBlockSeq : public FlowBlock {
public:
    FlowBlockBase base;
    SeqSchematic schematic;

    static FlowBlockSeq make(std::string_view name);
    FlowBlockBase& get_base_mut() override { return base; }
    const FlowBlockBase& get_base() const override { return base; }
    void add_element_in_flow_block(const ModelArena& arena, const NcpIdent& node) override;
    void add_sub_flow_block(const FlowBlockIdent& block) override;
    const NodeWrap& summarize_as_block() const override;
    std::optional<std::string> check_prefinalize() const override;
    void build_hw_component(ModelArena& arena) override { schematic.build(arena, base); }
};

}  // namespace velmora
