#include "model/flow_block/pick_if.h"

#include "model/model_store.h"

namespace velmora {
namespace {

const BodyTexts kPickIfTexts{
    "pick branch (pif/pidef) does not accept direct asm nodes; use a sub-block",
    "pick branch already has a body sub-block",
    "pick branch (pif/pidef) has no body sub-block",
    "pick branch has no body sub-block",
    "pick branch has not been built",
};

}  // namespace

FlowBlockPickIf FlowBlockPickIf::make(std::string_view name, OptHcpIdent cond) {
    FlowBlockPickIf b;
    b.base = FlowBlockBase::make(FlowBlockType::PickIf, FlowBlockJoinPolicy::SubFlow, name, false);
    b.cond = std::move(cond);
    return b;
}

FlowBlockIdent ModelArena::make_flow_block_pif(std::string_view name, const HcpIdent& cond,
                                               OptSlice cond_slice) {
    return insert_block(FlowBlockPickIf::make(name, resolve_cond_slice(name, cond, cond_slice)));
}

FlowBlockIdent ModelArena::make_flow_block_pidef(std::string_view name) {
    return insert_block(FlowBlockPickIf::make(name, std::nullopt));
}

const BodyTexts& FlowBlockPickIf::texts() const {
    return kPickIfTexts;
}

}  // namespace velmora
