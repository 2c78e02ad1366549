#pragma once
#include <optional>

#include "model/flow_block/loop_body.h"

namespace velmora {

struct DoWhileSchematic {
    static constexpr std::string_view kNotBuilt = "do-while block has not been built";
    HcpIdent cond;
    LoopBody body;
    std::optional<NodeWrap> result;

    void build(ModelArena& arena, FlowBlockBase& base);
};

/// Runs its body once, then again while `cond` holds at the end of a pass.
class FlowBlockDoWhile : public FlowBlockKind<DoWhileSchematic> {
public:
    static const LoopTexts kTexts;

    static FlowBlockDoWhile make(std::string_view name, const HcpIdent& cond);
    void add_element_in_flow_block(const ModelArena& arena, const NcpIdent& node) override;
    void add_sub_flow_block(const FlowBlockIdent& block) override;
    std::optional<std::string> refuse_basic_node() const override;
    std::optional<std::string> refuse_sub_block(const FlowBlockIdent& block) const override;
    std::optional<std::string> check_prefinalize() const override;
};

}  // namespace velmora
