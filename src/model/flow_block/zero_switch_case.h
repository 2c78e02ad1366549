#pragma once
// zcase: the assignments a zstate makes when its selector equals the case's match value.
#include <cstdint>

#include "model/flow_block/zero_cycle_block.h"

namespace velmora {

class FlowBlockZeroSwitchCase : public ZeroCycleBody {
public:
    int32_t match_val = 0;

    static FlowBlockZeroSwitchCase make(std::string_view name, int32_t match_val);
    std::string_view noun() const override { return "zcase"; }
    void add_con_flow_block(const ModelArena& arena, const FlowBlockIdent& block) override;
    void build_hw_component(ModelArena& arena) override { compute_unified_metas(arena); }

protected:
    std::string_view sub_policy_message() const override {
        return "zero-switch-case sub blocks must have BasicNodeFlow join policy";
    }
};

}  // namespace velmora
