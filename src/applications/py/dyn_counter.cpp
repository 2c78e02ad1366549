// Complex hardware: dynamic counters.
#include <nanobind/nanobind.h>

#include "applications/py/converters.h"
#include "applications/py/errors.h"
#include "applications/py/method_def.h"
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

void bind_getter(ArenaClass& cls, const char* method, const char* sig, const char* doc,
                 CounterGetter get) {
    def_method(
        cls, method, sig, doc,
        [=](ArenaObject& self, const CallArgs& a) {
            CcpIdent cnt = counter_arg(a, 0);
            return self.shared([&](const ModelArena& m) {
                a.check_ident(m, 0, cnt);
                return (m.*get)(cnt);
            });
        },
        "cnt_i");
}

}  // namespace

void bind_dyn_counter_methods(ArenaClass& cls) {
    def_method(
        cls, "mk_dyn_counter", "def mk_dyn_counter(self, name: str, width: int) -> CcpIdent",
        "Makes a dynamic counter named `name` of `width` bits. Refuses a width below 1 (\"counter "
        "width must be >= 1, got {width}\") or above the maximum, a call with no module tracked, "
        "and any call once build_flow has run.",
        [](ArenaObject& self, const CallArgs& a) {
            std::string name = a.name(0);
            int32_t width = a.i32(1);
            if (width < 1) raise_value_error(cat("counter width must be >= 1, got ", width));
            a.refuse_if(1, check_bit_width(width));
            return self.exclusive([&](ModelArena& m) {
                check_can_make_component(m, "mk_dyn_counter");
                return m.make_dyn_counter(name, width);
            });
        },
        "name", "width");
    def_method(
        cls, "dyn_counter_add",
        "def dyn_counter_add(self, cnt_i: CcpIdent, addend_i: HcpIdent, addend_slice: Slice | None "
        "= None, enable_i: HcpIdent | None = None, enable_slice: Slice | None = None) -> HcpIdent",
        "Adds `addend_i` (or its slice) to counter `cnt_i`'s next value, while `enable_i` holds "
        "when given. Refuses an identity that is not a counter, an enable that is not one bit, a "
        "slice outside its signal, a call with no module tracked, and any call once build_flow has "
        "run.",
        [](ArenaObject& self, const CallArgs& a) {
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
        },
        "cnt_i", "addend_i", opt("addend_slice"), opt("enable_i"), opt("enable_slice"));
    def_method(
        cls, "dyn_counter_update", "def dyn_counter_update(self, cnt_i: CcpIdent) -> None",
        "Commits the counter's added values to its register, as an assignment of the flow block "
        "being built. Refuses an identity that is not a counter, and any call once build_flow has "
        "run.",
        [](ArenaObject& self, const CallArgs& a) {
            CcpIdent cnt = counter_arg(a, 0);
            self.exclusive([&](ModelArena& m) {
                check_can_make_component(m, "dyn_counter_update");
                a.check_ident(m, 0, cnt);
                if (Problem p = check_assignment_scope(m)) raise_value_error(*p);
                m.dyn_counter_update(cnt);
            });
        },
        "cnt_i");
    bind_getter(cls, "dyn_counter_get_reg",
                "def dyn_counter_get_reg(self, cnt_i: CcpIdent) -> HcpIdent",
                "The register of counter `cnt_i`.", &ModelArena::dyn_counter_get_reg);
    bind_getter(cls, "dyn_counter_get_now",
                "def dyn_counter_get_now(self, cnt_i: CcpIdent) -> HcpIdent",
                "The wire of counter `cnt_i` holding its value with this cycle's additions.",
                &ModelArena::dyn_counter_get_now);
}

}  // namespace velmora::py
