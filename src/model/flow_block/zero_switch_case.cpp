#include "model/flow_block/zero_switch_case.h"

#include "model/model_store.h"

namespace velmora {

FlowBlockZeroSwitchCase FlowBlockZeroSwitchCase::make(std::string_view name, int32_t match_val) {
    FlowBlockZeroSwitchCase b;
    b.base = FlowBlockBase::make(FlowBlockType::ZeroSwitchCase, FlowBlockJoinPolicy::SubFlow, name,
                                 false);
    b.match_val = match_val;
    return b;
}

FlowBlockIdent ModelArena::make_flow_block_zcase(std::string_view name, int32_t match_val) {
    return insert_block(FlowBlockZeroSwitchCase::make(name, match_val));
}

void FlowBlockZeroSwitchCase::add_con_flow_block(const ModelArena&, const FlowBlockIdent&) {
    panic("zero-switch-case does not accept continuation blocks");
}

}  // namespace velmora
