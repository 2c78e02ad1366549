#pragma once
// Binding of a method with named parameters. nanobind matches positional and keyword arguments
// to the names and fills in defaults, without building a tuple or a dict, and hands each argument
// over as a handle; CallArgs then converts the handles, so that every conversion message names
// its argument. Every parameter lets None through to the converters, which say what they expected.
#include <nanobind/nanobind.h>

#include <array>
#include <cstdint>
#include <utility>

#include "applications/py/converters.h"

namespace velmora::py {

/// What a parameter takes when the call leaves it out.
enum class Fallback : uint8_t { Required, None, False };

struct Param {
    constexpr Param(const char* n) : name(n) {}  // NOLINT: a bare name is a required parameter
    constexpr Param(const char* n, Fallback f) : name(n), fallback(f) {}

    const char* name;
    Fallback fallback = Fallback::Required;
};

/// An optional parameter whose default is None.
constexpr Param opt(const char* name) {
    return Param(name, Fallback::None);
}
/// An optional flag whose default is False.
constexpr Param opt_false(const char* name) {
    return Param(name, Fallback::False);
}

namespace detail {

template <size_t>
using HandleParam = nanobind::handle;

using ParamArg = decltype(nanobind::arg("").none() = nanobind::none());

/// The nanobind annotation of `p`: named, None accepted, with its default (none when required).
inline ParamArg param_arg(const Param& p) {
    nanobind::object value;
    if (p.fallback == Fallback::None) value = nanobind::none();
    if (p.fallback == Fallback::False) value = nanobind::bool_(false);
    return ParamArg(nanobind::arg(p.name).none(), std::move(value));
}

template <class Cls, class F, size_t N, size_t... I>
void def_method(Cls& cls, const char* method, const char* sig, const char* doc, F f,
                const std::array<Param, N>& params, std::index_sequence<I...>) {
    using Self = typename Cls::Type;
    std::array<const char*, N> names{params[I].name...};
    cls.def(
        method,
        [f, names](Self& self, HandleParam<I>... h) {
            const std::array<nanobind::handle, N> values{h...};
            return f(self, CallArgs(names, values));
        },
        param_arg(params[I])..., nanobind::sig(sig), doc);
}

}  // namespace detail

/// Binds `method` of `cls` as f(self, const CallArgs&), its arguments named by `params`; `sig` is
/// its Python signature ("def mk_reg(self, name: str, bit_width: int) -> HcpIdent"), which names
/// the types that handles hide, and `doc` its docstring.
template <class Cls, class F, class... P>
void def_method(Cls& cls, const char* method, const char* sig, const char* doc, F f, P... params) {
    constexpr size_t N = sizeof...(P);
    detail::def_method(cls, method, sig, doc, f, std::array<Param, N>{Param(params)...},
                       std::make_index_sequence<N>{});
}

}  // namespace velmora::py
