#pragma once
// Access to a component, node or flow block of a known concrete kind. The arena's dispatch calls
// the callback once per kind, so a callback written for one kind is wrapped here and any other
// kind is refused as an internal error.
#include <type_traits>

#include "model/model_store.h"
#include "util/str_cat.h"

namespace velmora {

/// Takes the component out as a T, calls f(T&), puts it back.
template <class T, class F>
decltype(auto) with_hcp_as(ModelArena& arena, const HcpIdent& id, F&& f) {
    using R = std::invoke_result_t<F, T&>;
    return arena.with_hcp(id, [&](auto& c) -> R {
        if constexpr (std::is_same_v<std::decay_t<decltype(c)>, T>) {
            return f(c);
        } else {
            panic(cat("component '", id.abs_name(), "' is not of the expected kind"));
        }
    });
}

/// Reads the component in place as a T.
template <class T, class F>
decltype(auto) read_hcp_as(const ModelArena& arena, const HcpIdent& id, F&& f) {
    using R = std::invoke_result_t<F, const T&>;
    return arena.read_hcp(id, [&](const auto& c) -> R {
        if constexpr (std::is_same_v<std::decay_t<decltype(c)>, T>) {
            return f(c);
        } else {
            panic(cat("component '", id.abs_name(), "' is not of the expected kind"));
        }
    });
}

/// Takes the node out as a T, calls f(T&), puts it back.
template <class T, class F>
decltype(auto) with_node_as(ModelArena& arena, const NcpIdent& id, F&& f) {
    using R = std::invoke_result_t<F, T&>;
    return arena.with_node(id, [&](auto& n) -> R {
        if constexpr (std::is_same_v<std::decay_t<decltype(n)>, T>) {
            return f(n);
        } else {
            panic(cat("node '", id.ident_base.abs_view(), "' is not of the expected kind"));
        }
    });
}

/// Reads the node in place as a T.
template <class T, class F>
decltype(auto) read_node_as(const ModelArena& arena, const NcpIdent& id, F&& f) {
    using R = std::invoke_result_t<F, const T&>;
    return arena.read_node(id, [&](const auto& n) -> R {
        if constexpr (std::is_same_v<std::decay_t<decltype(n)>, T>) {
            return f(n);
        } else {
            panic(cat("node '", id.ident_base.abs_view(), "' is not of the expected kind"));
        }
    });
}

/// Takes the flow block out as a T, calls f(T&), puts it back.
template <class T, class F>
decltype(auto) with_block_as(ModelArena& arena, const FlowBlockIdent& id, F&& f) {
    using R = std::invoke_result_t<F, T&>;
    return arena.with_block(id, [&](auto& b) -> R {
        if constexpr (std::is_same_v<std::decay_t<decltype(b)>, T>) {
            return f(b);
        } else {
            panic(cat("flow block '", id.ident_base.abs_view(), "' is not of the expected kind"));
        }
    });
}

/// Reads the flow block in place as a T.
template <class T, class F>
decltype(auto) read_block_as(const ModelArena& arena, const FlowBlockIdent& id, F&& f) {
    using R = std::invoke_result_t<F, const T&>;
    return arena.read_block(id, [&](const auto& b) -> R {
        if constexpr (std::is_same_v<std::decay_t<decltype(b)>, T>) {
            return f(b);
        } else {
            panic(cat("flow block '", id.ident_base.abs_view(), "' is not of the expected kind"));
        }
    });
}

}  // namespace velmora
