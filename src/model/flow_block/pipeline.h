#pragma once
#include <optional>

#include "model/flow_block/single_body_block.h"

namespace velmora {

/// Serves the items its arbiter grants, one pass of its body per item, for as long as the design
/// runs; it never ends. Its entrance fires when it can take an item (at its start, at the end of
/// a pass, or after an idle cycle), and only then may the arbiter grant.
class FlowBlockPip : public SingleBodyBlock {
public:
    CcpIdent arb;
    bool auto_restart = false;  // the arbiter's user reset also starts the pipeline again
    std::optional<NodeWrap> result;

    static FlowBlockPip make(std::string_view name, const CcpIdent& arb, bool auto_restart);
    std::string_view noun() const override { return "pip"; }
    const NodeWrap& summarize_as_block() const override {
        return built_summary(result, texts().not_built);
    }
    std::optional<std::string> check_prefinalize() const override;
    /// Takes on the arbiter's user hold and reset before building.
    void build_hw_master(ModelArena& arena) override;
    void build_hw_component(ModelArena& arena) override;

protected:
    const BodyTexts& texts() const override;
};

}  // namespace velmora
