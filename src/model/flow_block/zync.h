#pragma once
#include <optional>
#include <vector>

#include "model/flow_block/flow_block_base.h"
#include "model/flow_block/zync_bind.h"

namespace velmora {

struct ZyncSchematic {
    std::vector<ZyncArbBind> binds;
    bool match_all = false;
    std::optional<NodeWrap> result;

    void build(ModelArena& arena, FlowBlockBase& base);
};

/// Waits in a state of its own, asking its arbiters, until it is granted; its assignments take
/// effect in the grant cycle, which is also the one cycle its exit is high.
class FlowBlockZync : public FlowBlockKind<ZyncSchematic> {
public:
    static FlowBlockZync make(std::string_view name, std::vector<ZyncArbBind> binds,
                              bool match_all);
    std::string_view noun() const override { return "zync"; }
    const NodeWrap& summarize_as_block() const override;
    void add_sub_flow_block(const ModelArena& arena, const FlowBlockIdent& block) override;
    std::optional<std::string> check_sub_block(const ModelArena& arena,
                                               const FlowBlock& child) const override;
    std::optional<std::string> check_prefinalize() const override;
};

}  // namespace velmora
