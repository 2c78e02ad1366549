#pragma once
#include <optional>
#include <vector>

#include "model/common/ident.h"

namespace velmora {

/// Summary of a built block: who receives the enclosing trigger, whose exit ends it, how long.
struct NodeWrap {
    std::vector<NcpIdent> entry_nodes;
    OptNcpIdent exit_node;
    int32_t cycle = 0;  // -1 when not fixed
    /// The exit can fire in the cycle the block is started (a loop whose condition is false at
    /// once, an if without else): feeding it straight back into the entry would be a
    /// combinational loop.
    bool may_finish_at_once = false;

    NodeWrap() = default;
    NodeWrap(std::vector<NcpIdent> entries, OptNcpIdent exit, int32_t cycle,
             bool may_finish_at_once = false);
    const NcpIdent& get_exit_node() const;
};

}  // namespace velmora
