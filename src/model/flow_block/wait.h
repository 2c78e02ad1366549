#pragma once
#include <cstdint>
#include <optional>

#include "model/flow_block/flow_block_base.h"
#include "model/hw_component/slice.h"

namespace velmora {

struct WaitSchematic {
    OptHcpIdent cond;  // scwait: the resolved one-bit condition
    Slice cond_slice;
    int32_t cycle = 0;  // sywait
    std::optional<NodeWrap> result;

    void build(ModelArena& arena, FlowBlockBase& base);
};

/// Waits until a condition holds (scwait) or for a number of cycles (sywait).
class FlowBlockWait : public FlowBlockKind<WaitSchematic> {
public:
    static FlowBlockWait make_cond(std::string_view name, const HcpIdent& cond, Slice cond_slice);
    static FlowBlockWait make_cycle(std::string_view name, int32_t cycle);
    std::string_view noun() const override { return schematic.cond ? "scwait" : "sywait"; }
    const NodeWrap& summarize_as_block() const override;
    void add_element_in_flow_block(const ModelArena& arena, const NcpIdent& node) override;
    void add_sub_flow_block(const ModelArena& arena, const FlowBlockIdent& block) override;
    std::optional<std::string> check_sub_block(const ModelArena& arena,
                                               const FlowBlock& child) const override;
    std::optional<std::string> check_basic_node() const override;
    std::optional<std::string> check_prefinalize() const override;
};

}  // namespace velmora
