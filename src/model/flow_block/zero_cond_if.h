#pragma once
// zif: a zero-cycle if whose zelif / zelse blocks continue it. The whole chain compiles into one
// assignment node whose metas carry the branch conditions, the first true branch winning.
#include "model/flow_block/zero_cycle_block.h"

namespace velmora {

class FlowBlockZeroCondIf : public ZeroCycleBody {
public:
    HcpIdent cond;
    OptNcpIdent result;                        // "zcif_result_{id}", once built
    std::optional<FlowBlockIdent> else_block;  // the zelse, once attached

    static FlowBlockZeroCondIf make(std::string_view name, const HcpIdent& cond);
    std::string_view noun() const override { return "zif"; }
    void add_con_flow_block(const ModelArena& arena, const FlowBlockIdent& block) override;
    std::optional<std::string> check_con_block(const ModelArena& arena,
                                               const FlowBlock& con) const override;
    std::optional<std::string> check_chain_close(const ModelArena& arena) const override;
    NcpIdent summarize_as_node() const override;
    void build_hw_component(ModelArena& arena) override;

protected:
    std::string_view sub_policy_message() const override {
        return "zero-cond-if sub blocks must have BasicNodeFlow join policy";
    }
};

}  // namespace velmora
