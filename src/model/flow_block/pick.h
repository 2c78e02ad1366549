#pragma once
// The pick: every pif branch whose condition holds starts, together; the pidef branch starts when
// none holds. Each finishing branch drives the exit: the exit is not synchronised.
#include <optional>

#include "model/flow_block/flow_block_base.h"

namespace velmora {

struct PickSchematic {
    std::optional<NodeWrap> result;

    void build(ModelArena& arena, FlowBlockBase& base);
};

class FlowBlockPick : public FlowBlockKind<PickSchematic> {
public:
    std::optional<FlowBlockIdent> default_branch;  // the pidef, once attached

    static FlowBlockPick make(std::string_view name);
    std::string_view noun() const override { return "pick"; }
    void add_element_in_flow_block(const ModelArena& arena, const NcpIdent& node) override;
    void add_sub_flow_block(const ModelArena& arena, const FlowBlockIdent& block) override;
    std::optional<std::string> check_sub_block(const ModelArena& arena,
                                               const FlowBlock& child) const override;
    std::optional<std::string> check_basic_node() const override;
    std::optional<std::string> check_prefinalize() const override;
    const NodeWrap& summarize_as_block() const override {
        return built_summary(schematic.result, "pick block has not been built");
    }
};

}  // namespace velmora
