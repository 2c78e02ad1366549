#pragma once
#include <optional>

#include "model/flow_block/single_body_block.h"

namespace velmora {

/// Runs its body once, then again while `cond` holds at the end of a pass.
class FlowBlockDoWhile : public SingleBodyBlock {
public:
    HcpIdent cond;
    std::optional<NodeWrap> result;

    static FlowBlockDoWhile make(std::string_view name, const HcpIdent& cond);
    std::string_view noun() const override { return "do-while"; }
    const NodeWrap& summarize_as_block() const override {
        return built_summary(result, texts().not_built);
    }
    std::optional<std::string> check_prefinalize() const override;
    void build_hw_component(ModelArena& arena) override;

protected:
    const BodyTexts& texts() const override;
};

}  // namespace velmora
