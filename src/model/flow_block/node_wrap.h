#pragma once
#include <optional>
#include <vector>

#include "model/common/ident.h"

namespace velmora {

/// Summary of a built block: who receives the enclosing trigger, whose exit ends it, how long.
struct NodeWrap {
    std::vector<NcpIdent> entry_nodes;
    std::optional<NcpIdent> exit_node;
    int32_t cycle = 0;  // -1 when not fixed

    NodeWrap() = default;
    NodeWrap(std::vector<NcpIdent> entries, std::optional<NcpIdent> exit, int32_t cycle);
    const NcpIdent& get_exit_node() const;
};

}  // namespace velmora
