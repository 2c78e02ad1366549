// The start node: its state register is set by the master reset and launches the control.
#include "model/model_store.h"
#include "model/typed_access.h"

namespace velmora {

void StartNode::assign_final(ModelArena& arena) {
    TriggerSig sig = to_trigger_sig(arena);
    sig.push_depend_node(mrst_i, std::nullopt);
    with_hcp_as<StateReg>(arena, state_reg_i, [&](StateReg& reg) {
        reg.trigger_sig = std::move(sig);
        reg.build_update_event(arena);
    });
}

}  // namespace velmora
