#pragma once
// The model's storage with its concrete types: one ArenaGroup per object kind, generated from the
// kind lists, and the dispatch from an identity's kind to its group. Only code that works with
// concrete kinds includes this header; everything else sees ModelArena's declarations.
#include <tuple>
#include <type_traits>
#include <utility>

#include "common/arena.h"
#include "model/complex_hardware/ccp_kinds.h"
#include "model/flow_block/block_kinds.h"
#include "model/hw_component/common/ue_kinds.h"
#include "model/hw_component/hcp_kinds.h"
#include "model/model_arena.h"
#include "model/module/module.h"
#include "model/nodes/node_kinds.h"

namespace velmora {

[[noreturn]] void fail_no_storage(HwComponentType t);
[[noreturn]] void fail_no_storage(UeType t);
[[noreturn]] void fail_no_storage(NodeType t);
[[noreturn]] void fail_no_storage(FlowBlockType t);
[[noreturn]] void fail_no_storage(CcpType t);

#define VELMORA_GROUP_OF(KIND, TYPE) ArenaGroup<TYPE>,
#define VELMORA_VISIT_CASE(KIND, TYPE) \
    case Kind::KIND:                   \
        return f(std::type_identity<TYPE>{});
#define VELMORA_STORES_CASE(KIND, TYPE) \
    case Kind::KIND:                    \
        return true;
/// One family of kinds: `visit(kind, f)` calls f(std::type_identity<T>{}) for the stored type T
/// of the kind, and fails for a kind without storage; `stores(kind)` tells whether it has one.
#define VELMORA_KIND_FAMILY(FAMILY, KIND_ENUM, LIST)    \
    struct FAMILY {                                     \
        using Kind = KIND_ENUM;                         \
        template <class F>                              \
        static decltype(auto) visit(Kind kind, F&& f) { \
            switch (kind) {                             \
                LIST(VELMORA_VISIT_CASE)                \
                default:                                \
                    break;                              \
            }                                           \
            fail_no_storage(kind);                      \
        }                                               \
        static constexpr bool stores(Kind kind) {       \
            switch (kind) {                             \
                LIST(VELMORA_STORES_CASE)               \
                default:                                \
                    return false;                       \
            }                                           \
        }                                               \
    };

VELMORA_KIND_FAMILY(HcpKinds, HwComponentType, VELMORA_HCP_KINDS)
VELMORA_KIND_FAMILY(UeKinds, UeType, VELMORA_UE_KINDS)
VELMORA_KIND_FAMILY(NodeKinds, NodeType, VELMORA_NODE_KINDS)
VELMORA_KIND_FAMILY(BlockKinds, FlowBlockType, VELMORA_BLOCK_KINDS)
VELMORA_KIND_FAMILY(CcpKinds, CcpType, VELMORA_CCP_KINDS)

#undef VELMORA_KIND_FAMILY
#undef VELMORA_VISIT_CASE
#undef VELMORA_STORES_CASE

class ModelStore {
public:
    template <class T>
    ArenaGroup<T>& group() {
        return std::get<ArenaGroup<T>>(groups_);
    }
    template <class T>
    const ArenaGroup<T>& group() const {
        return std::get<ArenaGroup<T>>(groups_);
    }

    /// Takes the object out of its slot, calls f with it as its concrete kind, puts it back.
    template <class Family, class Id, class F>
    decltype(auto) take(typename Family::Kind kind, const Id& id, F&& f) {
        return Family::visit(kind, [&](auto tag) -> decltype(auto) {
            using T = typename decltype(tag)::type;
            TakeGuard<T> guard(group<T>(), id.handle());
            return f(*guard);
        });
    }
    /// Changes the object where it stands, as its concrete kind, for a change that reaches nothing
    /// else of the arena (no take and put back, so no move of the whole object).
    template <class Family, class Id, class F>
    decltype(auto) edit_in_place(typename Family::Kind kind, const Id& id, F&& f) {
        return Family::visit(kind, [&](auto tag) -> decltype(auto) {
            using T = typename decltype(tag)::type;
            return f(group<T>().get_mut(id.handle()));
        });
    }
    /// Reads the object where it stands, as its concrete kind.
    template <class Family, class Id, class F>
    decltype(auto) read(typename Family::Kind kind, const Id& id, F&& f) const {
        return Family::visit(kind, [&](auto tag) -> decltype(auto) {
            using T = typename decltype(tag)::type;
            return f(group<T>().get(id.handle()));
        });
    }

private:
    std::tuple<VELMORA_HCP_KINDS(VELMORA_GROUP_OF) VELMORA_UE_KINDS(VELMORA_GROUP_OF)
                   VELMORA_NODE_KINDS(VELMORA_GROUP_OF) VELMORA_BLOCK_KINDS(VELMORA_GROUP_OF)
                       VELMORA_CCP_KINDS(VELMORA_GROUP_OF) ArenaGroup<Module>>
        groups_;
};

#undef VELMORA_GROUP_OF

// ---- ModelArena's typed access, defined here where the concrete kinds are known ---------------

template <class F>
decltype(auto) ModelArena::with_hcp(const HcpIdent& id, F&& f) {
    return store_->take<HcpKinds>(id.hw_type, id, f);
}
template <class F>
decltype(auto) ModelArena::read_hcp(const HcpIdent& id, F&& f) const {
    return std::as_const(*store_).read<HcpKinds>(id.hw_type, id, f);
}
template <class F>
decltype(auto) ModelArena::with_ue(const UpdateEventIdent& id, F&& f) {
    return store_->take<UeKinds>(id.ue_type, id, f);
}
template <class F>
decltype(auto) ModelArena::read_ue(const UpdateEventIdent& id, F&& f) const {
    return std::as_const(*store_).read<UeKinds>(id.ue_type, id, f);
}
template <class F>
decltype(auto) ModelArena::with_node(const NcpIdent& id, F&& f) {
    return store_->take<NodeKinds>(id.node_type, id, f);
}
template <class F>
decltype(auto) ModelArena::read_node(const NcpIdent& id, F&& f) const {
    return std::as_const(*store_).read<NodeKinds>(id.node_type, id, f);
}
template <class F>
decltype(auto) ModelArena::with_block(const FlowBlockIdent& id, F&& f) {
    return store_->take<BlockKinds>(id.block_type, id, f);
}
template <class F>
decltype(auto) ModelArena::read_block(const FlowBlockIdent& id, F&& f) const {
    return std::as_const(*store_).read<BlockKinds>(id.block_type, id, f);
}
template <class F>
decltype(auto) ModelArena::with_ccp(const CcpIdent& id, F&& f) {
    return store_->take<CcpKinds>(id.ccp_type, id, f);
}
template <class F>
decltype(auto) ModelArena::read_ccp(const CcpIdent& id, F&& f) const {
    return std::as_const(*store_).read<CcpKinds>(id.ccp_type, id, f);
}
template <class F>
decltype(auto) ModelArena::with_module(const ModuleIdent& id, F&& f) {
    TakeGuard<Module> guard(store_->group<Module>(), id.handle());
    return f(*guard);
}

template <class T>
ArenaGroup<T>& ModelArena::group() {
    return store_->group<T>();
}
template <class T>
const ArenaGroup<T>& ModelArena::group() const {
    return std::as_const(*store_).template group<T>();
}

template <class T>
HcpIdent ModelArena::insert_hcp(T object, bool is_user_com) {
    ArenaHandle h = group<T>().insert(std::move(object));
    HcpIdent stored = group<T>().get(h).ident;
    stored.ident_base.give_names_to(names_);
    return stamp_hw_to_parent_module(stored, is_user_com);
}

template <class T>
NcpIdent ModelArena::insert_node(T node) {
    ArenaHandle h = group<T>().insert(std::move(node));
    NcpIdent stored = group<T>().get(h).ident;
    stored.ident_base.give_names_to(names_);
    return stored;
}

template <class Ue>
UpdateEventIdent ModelArena::insert_ue(Ue ue) {
    ArenaHandle h = group<Ue>().insert(std::move(ue));
    return group<Ue>().get(h).ident;
}

template <class T>
FlowBlockIdent ModelArena::insert_block(T block) {
    ArenaHandle h = group<T>().insert(std::move(block));
    FlowBlockIdent stored = group<T>().get(h).get_ident();
    stored.ident_base.give_names_to(names_);
    return stored;
}

template <class T>
CcpIdent ModelArena::insert_ccp(T ccp) {
    ArenaHandle h = group<T>().insert(std::move(ccp));
    CcpIdent stored = group<T>().get(h).get_ccp_ident();
    stored.ident_base.give_names_to(names_);
    return stamp_ccp_to_parent_module(stored);
}

}  // namespace velmora
