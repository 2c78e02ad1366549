// Identity classes (produced by ModelArena, read-only, not constructible) and Slice.
#include <nanobind/nanobind.h>
#include <nanobind/stl/string.h>

#include "applications/py/converters.h"
#include "applications/py/ident_objects.h"
#include "applications/py/register.h"
#include "util/str_cat.h"

namespace nb = nanobind;

namespace velmora::py {
namespace {

std::string hcp_repr(const HcpIdent& i) {
    return cat("HcpIdent(global_id=", i.global_id(), ", hw_type=", text_form(i.hw_type), ")");
}
std::string module_repr(const ModuleIdent& i) {
    return cat("ModuleIdent(global_id=", i.global_id(), ", depth_level=", i.depth_level, ")");
}
std::string block_repr(const FlowBlockIdent& i) {
    return cat("FlowBlockIdent(global_id=", i.global_id(), ", block_type=", text_form(i.block_type),
               ")");
}
std::string ccp_repr(const CcpIdent& i) {
    return cat("CcpIdent(global_id=", i.global_id(), ", ccp_type=", text_form(i.ccp_type), ")");
}
/// A read-only member of the identity class of Id, computed from the record.
template <class Id, class F>
auto on_ident(F f) {
    return [f](const IdentObject<Id>& o) { return f(o.id); };
}

std::string slice_repr(const Slice& s) {
    return cat("Slice(start=", s.start, ", stop=", s.stop, ")");
}

void register_hcp_ident(nb::module_& m) {
    using H = HcpIdent;
    nb::class_<IdentObject<H>>(m, "HcpIdent")
        .def_prop_ro("global_id", on_ident<H>([](const H& i) { return i.global_id(); }))
        .def_prop_ro("hw_type",
                     on_ident<H>([](const H& i) { return std::string(text_form(i.hw_type)); }))
        .def_prop_ro("clocked", on_ident<H>([](const H& i) { return i.is_clocked(); }))
        .def_prop_ro("sensitive_type", on_ident<H>([](const H& i) {
                         return std::string(text_form(i.sensitive_type));
                     }))
        .def("__repr__", on_ident<H>(&hcp_repr))
        .def("__str__", on_ident<H>(&hcp_repr));
}

void register_slice(nb::module_& m) {
    nb::class_<Slice>(m, "Slice")
        .def(
            "__init__",
            [](Slice* self, nb::handle start_h, nb::handle stop_h) {
                static constexpr std::array<const char*, 2> kNames{"start", "stop"};
                const std::array<nb::handle, 2> values{start_h, stop_h};
                CallArgs a(kNames, values);
                int32_t start = a.i32(0);
                int32_t stop = a.i32(1);
                new (self) Slice{start, stop};
            },
            nb::arg("start").none(), nb::arg("stop").none(),
            nb::sig("def __init__(self, start: int, stop: int) -> None"),
            "Bits `start` up to (not including) `stop` of a signal, for the slice arguments.")
        .def_prop_ro("start", [](const Slice& s) { return s.start; })
        .def_prop_ro("stop", [](const Slice& s) { return s.stop; })
        .def_prop_ro("size", &Slice::size)
        .def("is_valid", &Slice::is_valid)
        .def("__repr__", &slice_repr);
}

void register_ccp_ident(nb::module_& m) {
    using C = CcpIdent;
    nb::class_<IdentObject<C>>(m, "CcpIdent")
        .def_prop_ro("global_id", on_ident<C>([](const C& i) { return i.global_id(); }))
        .def_prop_ro("ccp_type",
                     on_ident<C>([](const C& i) { return std::string(text_form(i.ccp_type)); }))
        .def("__repr__", on_ident<C>(&ccp_repr))
        .def("__str__", on_ident<C>(&ccp_repr));
}

void register_flow_block_ident(nb::module_& m) {
    using B = FlowBlockIdent;
    nb::class_<IdentObject<B>>(m, "FlowBlockIdent")
        .def_prop_ro("global_id", on_ident<B>([](const B& i) { return i.global_id(); }))
        .def_prop_ro("block_type",
                     on_ident<B>([](const B& i) { return std::string(text_form(i.block_type)); }))
        .def("__repr__", on_ident<B>(&block_repr))
        .def("__str__", on_ident<B>(&block_repr));
}

void register_module_ident(nb::module_& m) {
    using M = ModuleIdent;
    nb::class_<IdentObject<M>>(m, "ModuleIdent")
        .def_prop_ro("global_id", on_ident<M>([](const M& i) { return i.global_id(); }))
        .def_prop_ro("depth_level", on_ident<M>([](const M& i) { return i.depth_level; }))
        .def("__repr__", on_ident<M>(&module_repr))
        .def("__str__", on_ident<M>(&module_repr));
}

}  // namespace

void register_ident_classes(nb::module_& m) {
    register_hcp_ident(m);
    register_slice(m);
    register_ccp_ident(m);
    register_flow_block_ident(m);
    register_module_ident(m);
}

}  // namespace velmora::py
