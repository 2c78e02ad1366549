#pragma once
// Nodes that hold control state across cycles, each owning one control register.
#include <optional>
#include <string_view>

#include "model/hw_component/slice.h"
#include "model/hw_component/sp_reg/control_regs.h"
#include "model/nodes/ncp_node.h"

namespace velmora {

/// A value a node sets in assign_prelim; reading it earlier is the internal error `missing`.
const HcpIdent& set_in_prelim(const OptHcpIdent& value, std::string_view missing);

/// What the nodes that each drive one control register of kind Reg share: a clocked node whose
/// triggers become the register's TriggerSig.
template <class Reg>
class CtrlRegNode : public NcpNode {
public:
    ClockMode get_clock_mode(const ModelArena&) const override { return ClockMode::PosEdge; }

protected:
    /// Hands the node's triggers to the register, which builds its next-state events from them.
    void drive_register(ModelArena& arena, const HcpIdent& reg) const;
    /// Lets the register build its support signals and returns the one in `end`; `missing` is
    /// the internal error when the register did not make it.
    HcpIdent build_register_support(ModelArena& arena, const HcpIdent& reg, OptHcpIdent Reg::*end,
                                    std::string_view missing) const;
};

class StateNode : public CtrlRegNode<StateReg> {
public:
    HcpIdent state_reg_i;
    OptHcpIdent exit_opr_i;

    void assign_prelim(ModelArena& arena) override;
    void assign_final(ModelArena& arena) override;
    OptHcpIdent get_exit_opr() const override;
    OptHcpIdent get_state_operating() const override;
    int32_t get_cycle_used() const override;
    bool is_state_full_node() const override { return true; }
};

class SynNode : public CtrlRegNode<SyncReg> {
public:
    HcpIdent sync_reg_i;
    OptHcpIdent end_expr_i;
    OptHcpIdent bound_exit_i;
    int32_t syn_size = 1;

    void assign_prelim(ModelArena& arena) override;
    void assign_final(ModelArena& arena) override;
    OptHcpIdent get_exit_opr() const override;
    int32_t get_cycle_used() const override { return 0; }
    bool is_state_full_node() const override { return false; }
};

class WaitCondNode : public CtrlRegNode<CondWaitStateReg> {
public:
    HcpIdent wait_reg_i;
    OptHcpIdent raw_state_op_i;
    OptHcpIdent bound_exit_i;

    void assign_prelim(ModelArena& arena) override;
    void assign_final(ModelArena& arena) override;
    OptHcpIdent get_exit_opr() const override;
    OptHcpIdent get_state_operating() const override;
    int32_t get_cycle_used() const override { return IN_CONSIST_CYCLE_USED; }
    bool is_state_full_node() const override { return true; }
};

class WaitCycleNode : public CtrlRegNode<CycleWaitStateReg> {
public:
    HcpIdent wait_reg_i;
    OptHcpIdent end_expr_i;
    OptHcpIdent bound_exit_i;
    std::optional<int32_t> cycle;

    void assign_prelim(ModelArena& arena) override;
    void assign_final(ModelArena& arena) override;
    OptHcpIdent get_exit_opr() const override;
    int32_t get_cycle_used() const override;
    bool is_state_full_node() const override { return true; }
};

class CounterNode : public CtrlRegNode<CntReg> {
public:
    HcpIdent cnt_reg_i;
    OptHcpIdent end_expr_i;
    int32_t last_loop_cnt = 1;

    void assign_prelim(ModelArena& arena) override;
    void assign_final(ModelArena& arena) override;
    OptHcpIdent get_exit_opr() const override;
    int32_t get_cycle_used() const override;
    bool is_state_full_node() const override { return true; }
};

}  // namespace velmora
