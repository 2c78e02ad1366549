#pragma once
#include <optional>
#include <variant>
#include <vector>

#include "model/flow_block/flow_block_base.h"

namespace velmora {

/// One step of a sequence: a sub block, or an assignment step with its own state.
struct SequenceEle {
    struct Block {
        FlowBlockIdent block;
        std::optional<NodeWrap> wrap;
    };
    struct Basic {
        OptNcpIdent asm_node_i;
        OptNcpIdent state_node_i;
        std::optional<FlowBlockIdent> from_block;
    };
    std::variant<Block, Basic> ele;
};

struct SeqSchematic {
    std::vector<SequenceEle> elements;
    std::optional<NodeWrap> result;

    void build(ModelArena& arena, FlowBlockBase& base);
};

/// Steps one after the other: an assignment takes one state, a sub block its own cycles.
class FlowBlockSeq : public FlowBlockKind<SeqSchematic> {
public:
    static FlowBlockSeq make(std::string_view name);
    void add_element_in_flow_block(const ModelArena& arena, const NcpIdent& node) override;
    std::string_view noun() const override { return "seq"; }
    void add_sub_flow_block(const ModelArena& arena, const FlowBlockIdent& block) override;
    std::optional<std::string> check_prefinalize() const override {
        return check_plain_block(base, "seq");
    }
};

}  // namespace velmora
