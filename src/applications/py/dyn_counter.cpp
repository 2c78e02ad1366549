// Complex hardware: dynamic counters.
#include <nanobind/nanobind.h>

#include "applications/py/converters.h"
#include "applications/py/errors.h"
#include "applications/py/owned_object.h"
#include "applications/py/register.h"
#include "model/model_arena.h"
#include "util/str_cat.h"

namespace nb = nanobind;

namespace velmora::py {
namespace {

/// The counter argument `i`: a CcpIdent (TypeError otherwise) of kind DCNT (TypeError otherwise).
CcpIdent counter_arg(const CallArgs& a, size_t i) {
    CcpIdent cnt = a.ident<CcpIdent>(i);
    a.refuse_kind_if(i, check_ccp_kind(cnt, CcpType::DynCounter));
    return cnt;
}

using CounterGetter = HcpIdent (ModelArena::*)(const CcpIdent&) const;

void bind_getter(ArenaClass& cls, const char* method, CounterGetter get) {
    cls.def(method, [=](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a(method, {"cnt_i"}, 1, args, kwargs);
        CcpIdent cnt = counter_arg(a, 0);
        return self.shared([&](const ModelArena& m) {
            a.check_ident(m, 0, cnt);
            return (m.*get)(cnt);
        });
    });
}

}  // namespace

void bind_dyn_counter_methods(ArenaClass& cls) {
    cls.def("mk_dyn_counter", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a("mk_dyn_counter", {"name", "width"}, 2, args, kwargs);
        std::string name = a.name(0);
        int32_t width = a.i32(1);
        if (width < 1) raise_value_error(cat("counter width must be >= 1, got ", width));
        a.refuse_if(1, check_bit_width(width));
        return self.exclusive([&](ModelArena& m) {
            check_can_make_component(m, "mk_dyn_counter");
            return m.make_dyn_counter(name, width);
        });
    });
    cls.def("dyn_counter_add", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a("dyn_counter_add",
                   {"cnt_i", "addend_i", "addend_slice", "enable_i", "enable_slice"}, 2, args,
                   kwargs);
        CcpIdent cnt = counter_arg(a, 0);
        HcpIdent addend = a.ident<HcpIdent>(1);
        OptSlice addend_slice = a.slice(2);
        std::optional<HcpIdent> enable;
        if (a.present(3)) enable = a.ident<HcpIdent>(3);
        OptSlice enable_slice = a.slice(4);
        return self.exclusive([&](ModelArena& m) {
            check_can_make_component(m, "dyn_counter_add");
            a.check_ident(m, 0, cnt);
            a.check_ident(m, 1, addend);
            a.check_slice(m, 2, addend, addend_slice);
            if (enable) a.check_cond(m, 3, *enable, enable_slice);
            return m.dyn_counter_add(cnt, addend, addend_slice, enable, enable_slice);
        });
    });
    cls.def("dyn_counter_update", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a("dyn_counter_update", {"cnt_i"}, 1, args, kwargs);
        CcpIdent cnt = counter_arg(a, 0);
        self.exclusive([&](ModelArena& m) {
            check_open_for_additions(m, "dyn_counter_update");
            a.check_ident(m, 0, cnt);
            if (Problem p = check_assignment_scope(m)) raise_value_error(*p);
            m.dyn_counter_update(cnt);
        });
    });
    bind_getter(cls, "dyn_counter_get_reg", &ModelArena::dyn_counter_get_reg);
    bind_getter(cls, "dyn_counter_get_now", &ModelArena::dyn_counter_get_now);
}

}  // namespace velmora::py
