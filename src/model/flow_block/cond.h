#pragma once
// The multi-cycle if: a condition, a body, and its elif/else blocks (con blocks), of which the
// first whose condition holds runs.
#include <optional>

#include "model/flow_block/single_body_block.h"

namespace velmora {

struct CondSchematic {
    HcpIdent cond;
    bool state_entry = false;  // sif: the condition is sampled in a state of its own
    std::optional<NodeWrap> result;

    void build(ModelArena& arena, FlowBlockBase& base);
};

/// cif / sif. A chain master: after it is closed it waits on the flow block stack for its
/// cselif / cselse blocks.
class FlowBlockCond : public SingleBodyBlock {
public:
    CondSchematic schematic;
    std::optional<FlowBlockIdent> else_block;  // the cselse, once attached

    static FlowBlockCond make(std::string_view name, const HcpIdent& cond, bool state_entry);
    std::string_view noun() const override { return schematic.state_entry ? "sif" : "cif"; }
    void add_con_flow_block(const ModelArena& arena, const FlowBlockIdent& block) override;
    std::optional<std::string> check_con_block(const ModelArena& arena,
                                               const FlowBlock& con) const override;
    const NodeWrap& summarize_as_block() const override {
        return built_summary(schematic.result, "cond block has not been built");
    }
    void build_hw_component(ModelArena& arena) override { schematic.build(arena, base); }

protected:
    const BodyTexts& texts() const override;
};

}  // namespace velmora
