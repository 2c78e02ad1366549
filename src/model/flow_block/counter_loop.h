#pragma once
#include <optional>

#include "model/flow_block/loop_body.h"

namespace velmora {

struct CounterLoopSchematic {
    static constexpr std::string_view kNotBuilt = "counter loop has not been built";
    int32_t last_loop_cnt = 1;
    std::optional<HcpIdent> loop_id_expr;  // the pass counter, once built
    LoopBody body;
    std::optional<NodeWrap> result;

    void build(ModelArena& arena, FlowBlockBase& base);
};

/// Runs its body exactly `last_loop_cnt` times per start, counting finished passes.
class FlowBlockCounterLoop : public FlowBlockKind<CounterLoopSchematic> {
public:
    static const LoopTexts kTexts;

    static FlowBlockCounterLoop make(std::string_view name, int32_t last_loop_cnt);
    void add_element_in_flow_block(const ModelArena& arena, const NcpIdent& node) override;
    void add_sub_flow_block(const FlowBlockIdent& block) override;
    std::optional<HcpIdent> get_loop_id_expr_i() const override;
    std::optional<std::string> refuse_basic_node() const override;
    std::optional<std::string> refuse_sub_block(const FlowBlockIdent& block) const override;
    std::optional<std::string> check_prefinalize() const override;
};

/// Cycles of `passes` passes of a body of `body_cycle` cycles, with `gap` extra cycles between
/// two passes; -1 when the body's length is not fixed or the total does not fit 32 bits.
int32_t repeated_cycles(int32_t passes, int32_t body_cycle, int32_t gap);

}  // namespace velmora
