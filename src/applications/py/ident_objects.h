#pragma once
// The Python identity objects. Each holds one identity record plus a reference on its names, so
// that it still reads its names after the arena that made them is gone. Identity records cross
// into Python as these objects: the type casters below are what every binding file returns
// through.
#include <nanobind/nanobind.h>

#include "model/common/ident.h"

namespace velmora::py {

template <class Id>
struct IdentObject {
    Id id;

    explicit IdentObject(const Id& i) : id(i) { id.ident_base.retain_names(); }
    IdentObject(const IdentObject& o) : IdentObject(o.id) {}
    IdentObject& operator=(const IdentObject&) = delete;
    ~IdentObject() { id.ident_base.release_names(); }
};

}  // namespace velmora::py

namespace nanobind::detail {

template <class Id>
bool ident_from_python(handle src, Id& out) noexcept {
    using Object = velmora::py::IdentObject<Id>;
    if (!nanobind::isinstance<Object>(src) || !nanobind::inst_ready(src)) return false;
    out = nanobind::inst_ptr<Object>(src)->id;
    return true;
}

template <class Id>
handle ident_from_cpp(const Id& id) noexcept {
    try {
        return nanobind::cast(velmora::py::IdentObject<Id>(id), rv_policy::move).release();
    } catch (python_error& e) {
        e.restore();
    } catch (...) {
        PyErr_SetString(PyExc_RuntimeError, "could not wrap an identity");
    }
    return handle();
}

#define VELMORA_IDENT_CASTER(T)                                                           \
    template <>                                                                           \
    struct type_caster<velmora::T> {                                                      \
        NB_TYPE_CASTER(velmora::T, const_name(#T))                                        \
        bool from_python(handle src, uint8_t, cleanup_list*) noexcept {                   \
            return ident_from_python(src, value);                                         \
        }                                                                                 \
        static handle from_cpp(const velmora::T& id, rv_policy, cleanup_list*) noexcept { \
            return ident_from_cpp(id);                                                    \
        }                                                                                 \
    };

VELMORA_IDENT_CASTER(HcpIdent)
VELMORA_IDENT_CASTER(ModuleIdent)
VELMORA_IDENT_CASTER(FlowBlockIdent)
VELMORA_IDENT_CASTER(CcpIdent)

#undef VELMORA_IDENT_CASTER

/// An optional identity link crosses as the identity or None.
template <class Id>
struct type_caster<velmora::OptIdent<Id>> {
    NB_TYPE_CASTER(velmora::OptIdent<Id>, make_caster<Id>::Name + const_name(" | None"))
    bool from_python(handle src, uint8_t, cleanup_list*) noexcept {
        if (src.is_none()) {
            value.reset();
            return true;
        }
        Id id;
        if (!ident_from_python(src, id)) return false;
        value = id;
        return true;
    }
    static handle from_cpp(const velmora::OptIdent<Id>& id, rv_policy, cleanup_list*) noexcept {
        if (!id) return none().release();
        return ident_from_cpp(*id);
    }
};

}  // namespace nanobind::detail
