// The arena's storage: creation, moves, and the lookups that need concrete kinds.
#include "model/model_store.h"

#include "util/str_cat.h"

namespace velmora {

void fail_no_storage(HwComponentType t) {
    panic(cat("HwComponentType ", member_name(t), " is not HcpBase"));
}
void fail_no_storage(UeType) {
    panic("UpdateEventIdent has UeType::Untype");
}
void fail_no_storage(NodeType) {
    panic("unknown NodeType");
}
void fail_no_storage(FlowBlockType t) {
    panic(cat("flow block type ", member_name(t), " has no storage in this arena"));
}
void fail_no_storage(CcpType t) {
    panic(cat("complex component type ", text_form(t), " has no storage in this arena"));
}

ModelArena::ModelArena() : store_(std::make_unique<ModelStore>()) {}
ModelArena::~ModelArena() = default;
ModelArena::ModelArena(ModelArena&&) noexcept = default;
ModelArena& ModelArena::operator=(ModelArena&&) noexcept = default;

const Module& ModelArena::get_module(const ModuleIdent& id) const {
    return group<Module>().get(id.handle());
}

const Module* ModelArena::find_module(const ModuleIdent& id) const {
    return group<Module>().try_get(id.handle());
}

const HcpBase* ModelArena::find_hcp(const HcpIdent& id) const {
    if (id.hw_type == HwComponentType::Nest) return nullptr;
    return HcpKinds::visit(id.hw_type, [&](auto tag) -> const HcpBase* {
        using T = typename decltype(tag)::type;
        return group<T>().try_get(id.handle());
    });
}

const HcpIdent& ModelArena::ident_of(HcpRef ref) const {
    return HcpKinds::visit(ref.hw_type, [&](auto tag) -> const HcpIdent& {
        using T = typename decltype(tag)::type;
        return group<T>().resident(ref.slot).ident;
    });
}

const NcpIdent& ModelArena::ident_of(NcpRef ref) const {
    return NodeKinds::visit(ref.node_type, [&](auto tag) -> const NcpIdent& {
        using T = typename decltype(tag)::type;
        return group<T>().resident(ref.slot).ident;
    });
}

const FlowBlock* ModelArena::find_block(const FlowBlockIdent& id) const {
    return BlockKinds::visit(id.block_type, [&](auto tag) -> const FlowBlock* {
        using T = typename decltype(tag)::type;
        return group<T>().try_get(id.handle());
    });
}

const CcpBase* ModelArena::find_ccp(const CcpIdent& id) const {
    if (!CcpKinds::stores(id.ccp_type)) return nullptr;
    return CcpKinds::visit(id.ccp_type, [&](auto tag) -> const CcpBase* {
        using T = typename decltype(tag)::type;
        return group<T>().try_get(id.handle());
    });
}

int32_t ModelArena::hcp_width(const HcpIdent& id) const {
    return read_hcp(id, [](const HcpBase& c) { return c.bit_width; });
}

UeCommon ModelArena::get_ue_common(const UpdateEventIdent& id) const {
    return read_ue(id, [](const UpdateEvent& ue) { return ue.common; });
}

}  // namespace velmora
