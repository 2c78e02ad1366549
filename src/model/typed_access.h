#pragma once
// Access to an object of a known concrete kind. The arena's dispatch calls the callback once per
// kind of the family, so a callback written for one kind is wrapped here and any other kind is
// refused as an internal error.
#include <string_view>
#include <type_traits>

#include "model/model_store.h"
#include "util/str_cat.h"

namespace velmora {

/// Calls f with the object when it is a T (const when the arena hands out a const object).
template <class T, class F>
struct OnlyKind {
    F& f;
    std::string_view family;  // "component", "node", ... for the message
    const IdentBase& ident;

    template <class Obj>
    using Result = std::invoke_result_t<F, std::conditional_t<std::is_const_v<Obj>, const T, T>&>;

    template <class Obj>
    Result<Obj> operator()(Obj& obj) const {
        if constexpr (std::is_same_v<std::remove_const_t<Obj>, T>) {
            return f(obj);
        } else {
            panic(cat(family, " '", ident.abs_text(), "' is not of the expected kind"));
        }
    }
};

template <class T, class F>
decltype(auto) with_hcp_as(ModelArena& arena, const HcpIdent& id, F&& f) {
    return arena.with_hcp(id, OnlyKind<T, F>{f, "component", id.ident_base});
}
template <class T, class F>
decltype(auto) read_hcp_as(const ModelArena& arena, const HcpIdent& id, F&& f) {
    return arena.read_hcp(id, OnlyKind<T, F>{f, "component", id.ident_base});
}
template <class T, class F>
decltype(auto) with_node_as(ModelArena& arena, const NcpIdent& id, F&& f) {
    return arena.with_node(id, OnlyKind<T, F>{f, "node", id.ident_base});
}
template <class T, class F>
decltype(auto) read_node_as(const ModelArena& arena, const NcpIdent& id, F&& f) {
    return arena.read_node(id, OnlyKind<T, F>{f, "node", id.ident_base});
}
template <class T, class F>
decltype(auto) with_block_as(ModelArena& arena, const FlowBlockIdent& id, F&& f) {
    return arena.with_block(id, OnlyKind<T, F>{f, "flow block", id.ident_base});
}
template <class T, class F>
decltype(auto) read_block_as(const ModelArena& arena, const FlowBlockIdent& id, F&& f) {
    return arena.read_block(id, OnlyKind<T, F>{f, "flow block", id.ident_base});
}
template <class T, class F>
decltype(auto) with_ccp_as(ModelArena& arena, const CcpIdent& id, F&& f) {
    return arena.with_ccp(id, OnlyKind<T, F>{f, "complex component", id.ident_base});
}
template <class T, class F>
decltype(auto) read_ccp_as(const ModelArena& arena, const CcpIdent& id, F&& f) {
    return arena.read_ccp(id, OnlyKind<T, F>{f, "complex component", id.ident_base});
}

}  // namespace velmora
