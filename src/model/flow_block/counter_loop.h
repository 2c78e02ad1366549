#pragma once
#include <optional>

#include "model/flow_block/single_body_block.h"

namespace velmora {

/// Runs its body exactly `last_loop_cnt` times per start, counting finished passes.
class FlowBlockCounterLoop : public SingleBodyBlock {
public:
    int32_t last_loop_cnt = 1;
    OptHcpIdent loop_id_expr;  // the pass counter, once built
    std::optional<NodeWrap> result;

    static FlowBlockCounterLoop make(std::string_view name, int32_t last_loop_cnt);
    std::string_view noun() const override { return "counter loop"; }
    const NodeWrap& summarize_as_block() const override {
        return built_summary(result, texts().not_built);
    }
    OptHcpIdent get_loop_id_expr_i() const override;
    std::optional<std::string> check_prefinalize() const override;
    void build_hw_component(ModelArena& arena) override;

protected:
    const BodyTexts& texts() const override;
};

/// Cycles of `passes` passes of a body of `body_cycle` cycles, with `gap` extra cycles between
/// two passes; -1 when the body's length is not fixed or the total does not fit 32 bits.
int32_t repeated_cycles(int32_t passes, int32_t body_cycle, int32_t gap);

}  // namespace velmora
