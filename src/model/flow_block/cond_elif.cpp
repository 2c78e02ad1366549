#include "model/flow_block/cond_elif.h"

#include "model/model_store.h"

namespace velmora {
namespace {

const BodyTexts kElifTexts{
    "cond elif/else block does not accept direct asm nodes; use a sub-block",
    "cond elif/else already has a body sub-block",
    "cond elif/else block has no body sub-block",
    "cond elif/else block has no body sub-block",
    "cond elif/else block has not been built",
};

}  // namespace

FlowBlockCondElif FlowBlockCondElif::make(std::string_view name, OptHcpIdent cond) {
    FlowBlockCondElif b;
    b.base =
        FlowBlockBase::make(FlowBlockType::CondElif, FlowBlockJoinPolicy::ConFlow, name, false);
    b.cond = std::move(cond);
    return b;
}

FlowBlockIdent ModelArena::make_flow_block_cselif(std::string_view name, const HcpIdent& cond,
                                                  OptSlice cond_slice) {
    return insert_block(FlowBlockCondElif::make(name, resolve_cond_slice(name, cond, cond_slice)));
}

FlowBlockIdent ModelArena::make_flow_block_cselse(std::string_view name) {
    return insert_block(FlowBlockCondElif::make(name, std::nullopt));
}

const BodyTexts& FlowBlockCondElif::texts() const {
    return kElifTexts;
}

}  // namespace velmora
