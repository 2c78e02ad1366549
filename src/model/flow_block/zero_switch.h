#pragma once
// zstate: a zero-cycle switch on a selector signal. Its zcase blocks compile into one assignment
// node whose metas carry the match values.
#include <cstdint>
#include <unordered_map>

#include "model/flow_block/zero_cycle_block.h"

namespace velmora {

class FlowBlockZeroSwitch : public ZeroCycleBlock {
public:
    HcpIdent selector;
    OptNcpIdent result;  // "zsw_result_{id}", once built
    /// The case attached for each match value, so that a repeat is found at once.
    std::unordered_map<int32_t, FlowBlockIdent> case_of_value;
    bool any_case_assigns = false;  // some attached case holds an assignment

    static FlowBlockZeroSwitch make(std::string_view name, const HcpIdent& selector);
    std::string_view noun() const override { return "zstate"; }
    void add_element_in_flow_block(const ModelArena& arena, const NcpIdent& node) override;
    void add_sub_flow_block(const ModelArena& arena, const FlowBlockIdent& block) override;
    void add_con_flow_block(const ModelArena& arena, const FlowBlockIdent& block) override;
    std::optional<std::string> check_sub_block(const ModelArena& arena,
                                               const FlowBlock& child) const override;
    std::optional<std::string> check_basic_node() const override;
    std::optional<std::string> check_prefinalize() const override;
    NcpIdent summarize_as_node() const override;
    void build_hw_component(ModelArena& arena) override;
};

}  // namespace velmora
