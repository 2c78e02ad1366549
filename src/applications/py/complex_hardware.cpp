// Complex hardware: arbiters here; dynamic counters and Karrays in their own files.
#include <nanobind/nanobind.h>

#include "applications/py/converters.h"
#include "applications/py/owned_object.h"
#include "applications/py/register.h"
#include "model/complex_hardware/arb_checks.h"

namespace nb = nanobind;

namespace velmora::py {
namespace {

/// A change to an arbiter: refused once the control is built, and the arbiter must be ours. A
/// change that makes a signal (a leaf, a constant, a condition slice) makes it in the module on
/// top of the trace stack, so one must be tracked.
void check_arb_change(ModelArena& m, const CallArgs& a, const char* method, const CcpIdent& arb,
                      bool makes_signal = true) {
    check_open_for_additions(m, method);
    a.check_ident(m, 0, arb);
    if (makes_signal) refuse(check_module_tracked(m, method));
}

void bind_arb_creation(ArenaClass& cls) {
    cls.def("mk_arb", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a("mk_arb", {"name", "policy"}, 2, args, kwargs);
        std::string name = a.name(0);
        auto policy = a.enumeration<ArbSamePriPolicy>(1);
        return self.exclusive([&](ModelArena& m) {
            check_can_make_component(m, "mk_arb");
            return m.make_arb(name, policy);
        });
    });
    cls.def("arb_add_leaf", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a("arb_add_leaf", {"arb_i", "priority"}, 2, args, kwargs);
        CcpIdent arb = a.arb(0);
        int32_t priority = a.i32(1);
        return self.exclusive([&](ModelArena& m) {
            check_arb_change(m, a, "arb_add_leaf", arb);
            return m.arb_add_leaf(arb, priority);
        });
    });
    cls.def("arb_add_leaf_locked", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a("arb_add_leaf_locked", {"arb_i", "priority", "channel"}, 3, args, kwargs);
        CcpIdent arb = a.arb(0);
        int32_t priority = a.i32(1);
        auto channel = a.enumeration<ArbLockedChannel>(2);
        return self.exclusive([&](ModelArena& m) {
            check_arb_change(m, a, "arb_add_leaf_locked", arb);
            return m.arb_add_leaf_locked(arb, priority, channel);
        });
    });
}

using ArbSignalSetter = void (ModelArena::*)(const CcpIdent&, const HcpIdent&, OptSlice);

/// A method giving the arbiter a one-bit signal (with an optional slice) for `setting`.
void bind_arb_signal_setter(ArenaClass& cls, const char* method, const char* signal_arg,
                            const char* slice_arg, ArbSetting setting, ArbSignalSetter set) {
    cls.def(method, [=](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a(method, {"arb_i", signal_arg, slice_arg}, 2, args, kwargs);
        CcpIdent arb = a.arb(0);
        HcpIdent signal = a.ident<HcpIdent>(1);
        OptSlice slice = a.slice(2);
        self.exclusive([&](ModelArena& m) {
            check_arb_change(m, a, method, arb, slice.has_value());
            a.check_cond_as(m, 1, signal, slice, arb_setting_role(arb, setting));
            a.refuse_if(0, check_arb_setting_free(m, arb, setting));
            (m.*set)(arb, signal, slice);
        });
    });
}

void bind_arb_settings(ArenaClass& cls) {
    cls.def("arb_lock_master_ack", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a("arb_lock_master_ack", {"arb_i"}, 1, args, kwargs);
        CcpIdent arb = a.arb(0);
        self.exclusive([&](ModelArena& m) {
            check_arb_change(m, a, "arb_lock_master_ack", arb);
            a.refuse_if(0, check_arb_setting_free(m, arb, ArbSetting::LockedMasterAck));
            m.arb_lock_master_ack(arb);
        });
    });
    bind_arb_signal_setter(cls, "arb_set_master_ack", "src_i", "src_slice", ArbSetting::MasterAck,
                           &ModelArena::arb_set_master_ack);
    bind_arb_signal_setter(cls, "arb_set_hold", "cond_i", "cond_slice", ArbSetting::UserHold,
                           &ModelArena::arb_set_hold);
    bind_arb_signal_setter(cls, "arb_set_reset", "cond_i", "cond_slice", ArbSetting::UserReset,
                           &ModelArena::arb_set_reset);
}

using ArbLeafGetter = HcpIdent (ModelArena::*)(const CcpIdent&, uint64_t) const;

void bind_leaf_getter(ArenaClass& cls, const char* method, ArbLeafGetter get) {
    cls.def(method, [=](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a(method, {"arb_i", "idx"}, 2, args, kwargs);
        CcpIdent arb = a.arb(0);
        uint64_t index = a.u64(1);
        return self.shared([&](const ModelArena& m) {
            a.check_ident(m, 0, arb);
            a.refuse_if(1, check_arb_leaf_index(m, arb, index));
            return (m.*get)(arb, index);
        });
    });
}

void bind_arb_queries(ArenaClass& cls) {
    cls.def("arb_leaf_count", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a("arb_leaf_count", {"arb_i"}, 1, args, kwargs);
        CcpIdent arb = a.arb(0);
        return self.shared([&](const ModelArena& m) {
            a.check_ident(m, 0, arb);
            return m.arb_leaf_count(arb);
        });
    });
    cls.def("arb_get_master_req_wire", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a("arb_get_master_req_wire", {"arb_i"}, 1, args, kwargs);
        CcpIdent arb = a.arb(0);
        return self.shared([&](const ModelArena& m) {
            a.check_ident(m, 0, arb);
            return m.arb_get_master_req_wire(arb);
        });
    });
    bind_leaf_getter(cls, "arb_get_leaf_req_wire", &ModelArena::arb_get_leaf_req_wire);
    bind_leaf_getter(cls, "arb_get_leaf_ack_wire", &ModelArena::arb_get_leaf_ack_wire);
}

}  // namespace

void bind_complex_hardware_methods(ArenaClass& cls) {
    bind_arb_creation(cls);
    bind_arb_settings(cls);
    bind_arb_queries(cls);
    bind_dyn_counter_methods(cls);
    bind_karray_methods(cls);
}

}  // namespace velmora::py
