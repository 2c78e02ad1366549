#include "model/flow_block/zero_cond_elif.h"

#include "model/model_store.h"

namespace velmora {

FlowBlockZeroCondElif FlowBlockZeroCondElif::make(std::string_view name, OptHcpIdent cond) {
    FlowBlockZeroCondElif b;
    b.base =
        FlowBlockBase::make(FlowBlockType::ZeroCondElif, FlowBlockJoinPolicy::ConFlow, name, false);
    b.cond = std::move(cond);
    return b;
}

FlowBlockIdent ModelArena::make_flow_block_zelif(std::string_view name, const HcpIdent& cond,
                                                 OptSlice cond_slice) {
    return insert_block(
        FlowBlockZeroCondElif::make(name, resolve_cond_slice(name, cond, cond_slice)));
}

FlowBlockIdent ModelArena::make_flow_block_zelse(std::string_view name) {
    return insert_block(FlowBlockZeroCondElif::make(name, std::nullopt));
}

}  // namespace velmora
