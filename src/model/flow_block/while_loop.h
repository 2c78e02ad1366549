#pragma once
#include <optional>

#include "model/flow_block/single_body_block.h"

namespace velmora {

/// Repeats its body while `cond` holds, testing before every pass: combinationally (cwhile, the
/// body may start in the cycle the loop starts) or in a state of its own (swhile).
class FlowBlockWhile : public SingleBodyBlock {
public:
    HcpIdent cond;
    bool is_sync = false;
    std::optional<NodeWrap> result;

    static FlowBlockWhile make(std::string_view name, const HcpIdent& cond, bool is_sync);
    std::string_view noun() const override { return is_sync ? "swhile" : "cwhile"; }
    const NodeWrap& summarize_as_block() const override {
        return built_summary(result, texts().not_built);
    }
    std::optional<std::string> check_prefinalize() const override;
    void build_hw_component(ModelArena& arena) override;

protected:
    const BodyTexts& texts() const override;
};

}  // namespace velmora
