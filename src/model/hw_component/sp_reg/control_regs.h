#pragma once
// The five registers that hold control state. Control nodes create and drive them; their next-
// state logic is built from the TriggerSig by build_update_event.
#include <optional>

#include "model/hw_component/hcp_base.h"
#include "model/hw_component/sp_reg/trigger_sig.h"

namespace velmora {

/// Shared by the five kinds: clocked, internal priority, no ordinary assignment except for CntReg.
class ControlRegBase : public HcpBase {
public:
    using HcpBase::HcpBase;
    TriggerSig trigger_sig;

    int32_t get_priority() const override { return DEFAULT_UE_PRI_INTERNAL_MIN; }
};

class StateReg : public ControlRegBase {
public:
    using ControlRegBase::ControlRegBase;
    OptHcpRef set_sig;    // "_SET"
    OptHcpRef unset_sig;  // "_UNSET"

    NcpIdent do_asm(ModelArena&, const HcpIdent&, OptSlice, int32_t, int32_t) override;
    void build_update_event(ModelArena& arena);
};

class SyncReg : public ControlRegBase {
public:
    using ControlRegBase::ControlRegBase;
    int32_t size = 1;
    OptHcpIdent up_state, up_full, down_full, test_wire, end_expr, end_expr_inv;

    NcpIdent do_asm(ModelArena&, const HcpIdent&, OptSlice, int32_t, int32_t) override;
    void build_support_signal(ModelArena& arena);
    void build_update_event(ModelArena& arena);
};

class CntReg : public ControlRegBase {
public:
    using ControlRegBase::ControlRegBase;
    int32_t inc_val = 1;
    int32_t max_cycle = 1;
    OptHcpIdent last_cycle, zero, at_last, inc;
    std::vector<UpdateEventIdent> built_events;

    /// "_LAST_CYCLE", "_ZERO", "_AT_LAST", "_INC_VAL", "_INC"; run by the CounterNode's prelim.
    void build_support_signal(ModelArena& arena);
    /// The counter's events from the stored TriggerSig; run by the CounterNode's final step.
    void build_update_event(ModelArena& arena);
};

class CondWaitStateReg : public ControlRegBase {
public:
    using ControlRegBase::ControlRegBase;
    HcpIdent cond;
    Slice cond_slice;
    OptHcpIdent up_state, down_state, self_is_up, end_expr;

    /// Assignments into a condition-wait register carry the current priority, as for a Reg.
    int32_t get_priority() const override { return HcpBase::get_priority(); }
    NcpIdent do_asm(ModelArena&, const HcpIdent&, OptSlice, int32_t, int32_t) override;
    void build_support_signal(ModelArena& arena);
    void build_update_event(ModelArena& arena);
};

enum class CycleWaitEndSource : uint8_t { Internal = 0, External = 1 };

class CycleWaitStateReg : public ControlRegBase {
public:
    using ControlRegBase::ControlRegBase;
    HcpIdent end_cnt;
    CycleWaitEndSource end_source = CycleWaitEndSource::Internal;
    int32_t wait_cycle = 1;
    int32_t cnt_width = 0;
    int32_t full_width = 0;
    OptHcpIdent idle_cnt, start_cnt, inc_step, end_full, is_active, is_end, is_not_end, inc_cond,
        inc_expr;

    NcpIdent do_asm(ModelArena&, const HcpIdent&, OptSlice, int32_t, int32_t) override;
    void build_support_signal(ModelArena& arena);
    void build_update_event(ModelArena& arena);
};

/// Width of a counter for 0 .. max_cycle - 1 (at least 1 bit).
int32_t cnt_reg_width(int32_t max_cycle);
/// Bits of the waited-cycle count of a CycleWaitStateReg; the register is one bit wider.
int32_t cycle_wait_cnt_width(int32_t wait_cycle);

}  // namespace velmora
