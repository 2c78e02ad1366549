#pragma once
// zelif / zelse: a branch continuing a zif chain.
#include "model/flow_block/zero_cycle_block.h"

namespace velmora {

class FlowBlockZeroCondElif : public ZeroCycleBody {
public:
    OptHcpIdent cond;  // absent for zelse

    static FlowBlockZeroCondElif make(std::string_view name, OptHcpIdent cond);
    std::string_view noun() const override { return cond ? "zelif" : "zelse"; }
    void build_hw_component(ModelArena& arena) override { compute_unified_metas(arena); }

protected:
    std::string_view sub_policy_message() const override {
        return "zero-cond-if sub blocks must have BasicNodeFlow join policy";
    }
};

}  // namespace velmora
