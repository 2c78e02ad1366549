#pragma once
#include <optional>

#include "model/flow_block/loop_body.h"

namespace velmora {

struct WhileSchematic {
    static constexpr std::string_view kNotBuilt = "while block has not been built";
    HcpIdent cond;
    bool is_sync = false;  // swhile: the test takes a cycle of its own
    LoopBody body;
    std::optional<NodeWrap> result;

    void build(ModelArena& arena, FlowBlockBase& base);
};

/// Repeats its body while `cond` holds, testing before every pass: combinationally (cwhile, the
/// body may start in the cycle the loop starts) or in a state of its own (swhile).
class FlowBlockWhile : public FlowBlockKind<WhileSchematic> {
public:
    static const LoopTexts kTexts;

    static FlowBlockWhile make(std::string_view name, const HcpIdent& cond, bool is_sync);
    void add_element_in_flow_block(const ModelArena& arena, const NcpIdent& node) override;
    void add_sub_flow_block(const FlowBlockIdent& block) override;
    std::optional<std::string> refuse_basic_node() const override;
    std::optional<std::string> refuse_sub_block(const FlowBlockIdent& block) const override;
    std::optional<std::string> check_prefinalize() const override;
};

}  // namespace velmora
