#pragma once
#include <optional>
#include <vector>

#include "model/common/hcp_ref.h"
#include "model/flow_block/flow_block_base.h"

namespace velmora {

/// One step of a sequence: an assignment step with its own state, or a sub block. A long
/// sequence has one per state, so a step is kept to 24 bytes: links to its nodes, and sub blocks
/// in a list of their own.
struct SequenceEle {
    static constexpr uint32_t kNoBlock = 0xFFFFFFFFu;
    OptNcpRef asm_node_i;       // assignment step: its node (from a block: the block's summary)
    OptNcpRef state_node_i;     // assignment step: the state the build gives it
    uint32_t block = kNoBlock;  // index in SeqSchematic::blocks
    bool is_sub_block = false;  // the block is a step of its own cycles, not an assignment

    bool is_assignment() const { return !is_sub_block; }
};

/// A block in a sequence, with the summary the build reads from it.
struct SeqBlock {
    FlowBlockIdent block;
    std::optional<NodeWrap> wrap;
};

struct SeqSchematic {
    std::vector<SequenceEle> elements;
    std::vector<SeqBlock> blocks;
    std::optional<NodeWrap> result;

    void build(ModelArena& arena, FlowBlockBase& base);

private:
    const NodeWrap& wrap_of(const SequenceEle& e) const { return blocks[e.block].wrap.value(); }
    NcpIdent exit_of(const ModelArena& arena, const SequenceEle& e) const;
    std::vector<NcpIdent> entries_of(const ModelArena& arena, const SequenceEle& e) const;
    void add_depend(ModelArena& arena, const SequenceEle& e, const NcpIdent& on) const;
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
