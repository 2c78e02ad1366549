#pragma once
#include <optional>
#include <vector>

#include "model/flow_block/flow_block_base.h"

namespace velmora {

struct ParSchematic {
    std::vector<NodeWrap> branches;
    OptNcpIdent basic_state;
    OptNcpIdent exit;
    int32_t cycle = 0;
    bool no_sync = false;
    std::optional<NodeWrap> result;

    void build(ModelArena& arena, FlowBlockBase& base);
};

/// Branches started together: direct assignments share one state, each sub block is a branch.
class FlowBlockPar : public FlowBlockKind<ParSchematic> {
public:
    static FlowBlockPar make(std::string_view name, bool no_sync);
    std::string_view noun() const override {
        return schematic.no_sync ? "par_no_sync" : "par_auto";
    }
    std::optional<std::string> check_prefinalize() const override {
        return check_plain_block(base, "parallel");
    }
};

}  // namespace velmora
