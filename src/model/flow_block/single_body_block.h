#pragma once
// Blocks whose content is one body sub block that takes cycles: cif/sif, cselif/cselse,
// pif/pidef. The body is the one entry of `sub_blocks_i`.
#include <optional>
#include <string>
#include <string_view>

#include "model/flow_block/flow_block_base.h"

namespace velmora {

/// The texts a single-body kind reports (the same rules, its own words).
struct BodyTexts {
    std::string_view no_direct_nodes;   // an assignment made directly in the block
    std::string_view second_body;       // a second body attached
    std::string_view no_body;           // closed without a body (pre-finalise check)
    std::string_view no_body_at_build;  // built without a body
    std::string_view not_built;         // summarised before the build
};

class SingleBodyBlock : public FlowBlock {
public:
    FlowBlockBase base;

    FlowBlockBase& get_base_mut() override { return base; }
    const FlowBlockBase& get_base() const override { return base; }
    void add_element_in_flow_block(const ModelArena& arena, const NcpIdent& node) override;
    void add_sub_flow_block(const ModelArena& arena, const FlowBlockIdent& block) override;
    std::optional<std::string> check_sub_block(const ModelArena& arena,
                                               const FlowBlock& child) const override;
    std::optional<std::string> check_sub_block_after(const ModelArena& arena,
                                                     const FlowBlockIdent& pending,
                                                     const FlowBlock& child) const override;
    std::optional<std::string> check_basic_node() const override;
    std::optional<std::string> check_prefinalize() const override;

    /// The body's summary (after the build).
    NodeWrap summarize_body(const ModelArena& arena) const;

protected:
    virtual const BodyTexts& texts() const = 0;

private:
    /// The refusal of `child` when `body` (if any) is the body already.
    std::optional<std::string> check_body(const ModelArena& arena, const FlowBlockIdent* body,
                                          const FlowBlock& child) const;
};

/// A branch of a chain or a pick: a condition (absent for an else or a default) and a body, whose
/// summary is the branch's own.
class BranchBlock : public SingleBodyBlock {
public:
    OptHcpIdent cond;
    std::optional<NodeWrap> result;

    const NodeWrap& summarize_as_block() const override {
        return built_summary(result, texts().not_built);
    }
    void build_hw_component(ModelArena& arena) override { result = summarize_body(arena); }
};

}  // namespace velmora
