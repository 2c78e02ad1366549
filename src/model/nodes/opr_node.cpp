// A node that only names an existing signal as its exit; it has no triggers to assign.
#include "model/model_arena.h"
#include "model/nodes/simple_nodes.h"

namespace velmora {

void OprNode::assign_final(ModelArena&) {
    panic("OprNode: assign() is not implemented");
}

}  // namespace velmora
