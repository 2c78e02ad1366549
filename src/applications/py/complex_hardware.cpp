// Complex hardware: arbiters here; dynamic counters and Karrays in their own files.
#include <nanobind/nanobind.h>

#include "applications/py/converters.h"
#include "applications/py/method_def.h"
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
    def_method(
        cls, "mk_arb", "def mk_arb(self, name: str, policy: ArbSamePriPolicy | int) -> CcpIdent",
        "Makes an arbiter named `name` that settles equal priorities by `policy`. Refuses a policy "
        "out of range, a name that breaks the naming rules, a call with no module tracked, and any "
        "call once build_flow has run.",
        [](ArenaObject& self, const CallArgs& a) {
            std::string name = a.name(0);
            auto policy = a.enumeration<ArbSamePriPolicy>(1);
            return self.exclusive([&](ModelArena& m) {
                check_can_make_component(m, "mk_arb");
                return m.make_arb(name, policy);
            });
        },
        "name", "policy");
    def_method(
        cls, "arb_add_leaf", "def arb_add_leaf(self, arb_i: CcpIdent, priority: int) -> int",
        "Adds a requesting leaf of priority `priority` to arbiter `arb_i` and returns its index. "
        "Refuses an identity that is not an arbiter, a call with no module tracked, and any call "
        "once build_flow has run.",
        [](ArenaObject& self, const CallArgs& a) {
            CcpIdent arb = a.arb(0);
            int32_t priority = a.i32(1);
            return self.exclusive([&](ModelArena& m) {
                check_arb_change(m, a, "arb_add_leaf", arb);
                return m.arb_add_leaf(arb, priority);
            });
        },
        "arb_i", "priority");
    def_method(
        cls, "arb_add_leaf_locked",
        "def arb_add_leaf_locked(self, arb_i: CcpIdent, priority: int, channel: ArbLockedChannel | "
        "int) -> int",
        "Adds a leaf of priority `priority` locked to `channel` to arbiter `arb_i` and returns its "
        "index. Refuses a channel out of range, an identity that is not an arbiter, a call with no "
        "module tracked, and any call once build_flow has run.",
        [](ArenaObject& self, const CallArgs& a) {
            CcpIdent arb = a.arb(0);
            int32_t priority = a.i32(1);
            auto channel = a.enumeration<ArbLockedChannel>(2);
            return self.exclusive([&](ModelArena& m) {
                check_arb_change(m, a, "arb_add_leaf_locked", arb);
                return m.arb_add_leaf_locked(arb, priority, channel);
            });
        },
        "arb_i", "priority", "channel");
}

using ArbSignalSetter = void (ModelArena::*)(const CcpIdent&, const HcpIdent&, OptSlice);

/// A method giving the arbiter a one-bit signal (with an optional slice) for `setting`.
void bind_arb_signal_setter(ArenaClass& cls, const char* method, const char* sig, const char* doc,
                            const char* signal_arg, const char* slice_arg, ArbSetting setting,
                            ArbSignalSetter set) {
    def_method(
        cls, method, sig, doc,
        [=](ArenaObject& self, const CallArgs& a) {
            CcpIdent arb = a.arb(0);
            HcpIdent signal = a.ident<HcpIdent>(1);
            OptSlice slice = a.slice(2);
            self.exclusive([&](ModelArena& m) {
                check_arb_change(m, a, method, arb, slice.has_value());
                a.check_cond_as(m, 1, signal, slice, arb_setting_role(arb, setting));
                a.refuse_if(0, check_arb_setting_free(m, arb, setting));
                (m.*set)(arb, signal, slice);
            });
        },
        "arb_i", signal_arg, opt(slice_arg));
}

void bind_arb_settings(ArenaClass& cls) {
    def_method(
        cls, "arb_lock_master_ack", "def arb_lock_master_ack(self, arb_i: CcpIdent) -> None",
        "Locks the master acknowledge of arbiter `arb_i`. Refuses an arbiter whose master "
        "acknowledge is already set, a call with no module tracked, and any call once build_flow "
        "has run.",
        [](ArenaObject& self, const CallArgs& a) {
            CcpIdent arb = a.arb(0);
            self.exclusive([&](ModelArena& m) {
                check_arb_change(m, a, "arb_lock_master_ack", arb);
                a.refuse_if(0, check_arb_setting_free(m, arb, ArbSetting::LockedMasterAck));
                m.arb_lock_master_ack(arb);
            });
        },
        "arb_i");
    bind_arb_signal_setter(
        cls, "arb_set_master_ack",
        "def arb_set_master_ack(self, arb_i: CcpIdent, src_i: HcpIdent, src_slice: Slice | None = "
        "None) -> None",
        "Gives arbiter `arb_i` its master acknowledge, the one-bit signal `src_i` (or its slice). "
        "Refuses a signal that is not one bit, a setting already made, an identity that is not an "
        "arbiter, and any call once build_flow has run.",
        "src_i", "src_slice", ArbSetting::MasterAck, &ModelArena::arb_set_master_ack);
    bind_arb_signal_setter(
        cls, "arb_set_hold",
        "def arb_set_hold(self, arb_i: CcpIdent, cond_i: HcpIdent, cond_slice: Slice | None = "
        "None) -> None",
        "Gives arbiter `arb_i` its user hold, the one-bit signal `cond_i` (or its slice). Refuses "
        "a signal that is not one bit, a setting already made, an identity that is not an arbiter, "
        "and any call once build_flow has run.",
        "cond_i", "cond_slice", ArbSetting::UserHold, &ModelArena::arb_set_hold);
    bind_arb_signal_setter(
        cls, "arb_set_reset",
        "def arb_set_reset(self, arb_i: CcpIdent, cond_i: HcpIdent, cond_slice: Slice | None = "
        "None) -> None",
        "Gives arbiter `arb_i` its user reset, the one-bit signal `cond_i` (or its slice). Refuses "
        "a signal that is not one bit, a setting already made, an identity that is not an arbiter, "
        "and any call once build_flow has run.",
        "cond_i", "cond_slice", ArbSetting::UserReset, &ModelArena::arb_set_reset);
}

using ArbLeafGetter = HcpIdent (ModelArena::*)(const CcpIdent&, uint64_t) const;

void bind_leaf_getter(ArenaClass& cls, const char* method, const char* sig, const char* doc,
                      ArbLeafGetter get) {
    def_method(
        cls, method, sig, doc,
        [=](ArenaObject& self, const CallArgs& a) {
            CcpIdent arb = a.arb(0);
            uint64_t index = a.u64(1);
            return self.shared([&](const ModelArena& m) {
                a.check_ident(m, 0, arb);
                a.refuse_if(1, check_arb_leaf_index(m, arb, index));
                return (m.*get)(arb, index);
            });
        },
        "arb_i", "idx");
}

void bind_arb_queries(ArenaClass& cls) {
    def_method(
        cls, "arb_leaf_count", "def arb_leaf_count(self, arb_i: CcpIdent) -> int",
        "The number of leaves of arbiter `arb_i`.",
        [](ArenaObject& self, const CallArgs& a) {
            CcpIdent arb = a.arb(0);
            return self.shared([&](const ModelArena& m) {
                a.check_ident(m, 0, arb);
                return m.arb_leaf_count(arb);
            });
        },
        "arb_i");
    def_method(
        cls, "arb_get_master_req_wire",
        "def arb_get_master_req_wire(self, arb_i: CcpIdent) -> HcpIdent",
        "The wire that is high while any leaf of arbiter `arb_i` requests.",
        [](ArenaObject& self, const CallArgs& a) {
            CcpIdent arb = a.arb(0);
            return self.shared([&](const ModelArena& m) {
                a.check_ident(m, 0, arb);
                return m.arb_get_master_req_wire(arb);
            });
        },
        "arb_i");
    bind_leaf_getter(
        cls, "arb_get_leaf_req_wire",
        "def arb_get_leaf_req_wire(self, arb_i: CcpIdent, idx: int) -> HcpIdent",
        "The request wire of leaf `idx` of arbiter `arb_i`. Refuses an index past the last leaf.",
        &ModelArena::arb_get_leaf_req_wire);
    bind_leaf_getter(cls, "arb_get_leaf_ack_wire",
                     "def arb_get_leaf_ack_wire(self, arb_i: CcpIdent, idx: int) -> HcpIdent",
                     "The grant (acknowledge) wire of leaf `idx` of arbiter `arb_i`. Refuses an "
                     "index past the last leaf.",
                     &ModelArena::arb_get_leaf_ack_wire);
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
