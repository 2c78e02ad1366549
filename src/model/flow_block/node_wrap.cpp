#include "model/flow_block/node_wrap.h"

#include "common/internal_error.h"
#include "model/nodes/ncp_node.h"

namespace velmora {

NodeWrap::NodeWrap(std::vector<NcpIdent> entries, OptNcpIdent exit, int32_t c, bool at_once)
    : entry_nodes(std::move(entries)),
      exit_node(std::move(exit)),
      cycle(c),
      may_finish_at_once(at_once) {
    check_assert(cycle == IN_CONSIST_CYCLE_USED || cycle >= 0,
                 "cycle == IN_CONSIST_CYCLE_USED || cycle >= 0");
}

const NcpIdent& NodeWrap::get_exit_node() const {
    if (!exit_node) panic("NodeWrap exit node is not set");
    return *exit_node;
}

}  // namespace velmora
