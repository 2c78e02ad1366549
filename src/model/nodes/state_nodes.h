#pragma once
// Nodes that hold control state across cycles, each owning one control register.
#include <optional>

#include "model/hw_component/slice.h"
#include "model/nodes/ncp_node.h"

namespace velmora {

class StateNode : public NcpNode {
public:
    HcpIdent state_reg_i;
    std::optional<HcpIdent> state_op_i;
    std::optional<HcpIdent> exit_opr_i;

    ClockMode get_clock_mode(const ModelArena&) const override { return ClockMode::PosEdge; }
    void assign_prelim(ModelArena& arena) override;
    void assign_final(ModelArena& arena) override;
    std::optional<HcpIdent> get_exit_opr() const override;
    std::optional<HcpIdent> get_state_operating() const override;
    int32_t get_cycle_used() const override;
    bool is_state_full_node() const override { return true; }
};

class SynNode : public NcpNode {
public:
    HcpIdent sync_reg_i;
    std::optional<HcpIdent> end_expr_i;
    std::optional<HcpIdent> bound_exit_i;
    int32_t syn_size = 1;

    ClockMode get_clock_mode(const ModelArena&) const override { return ClockMode::PosEdge; }
    void assign_prelim(ModelArena& arena) override;
    void assign_final(ModelArena& arena) override;
    std::optional<HcpIdent> get_exit_opr() const override;
    int32_t get_cycle_used() const override { return 0; }
    bool is_state_full_node() const override { return false; }
};

class WaitCondNode : public NcpNode {
public:
    HcpIdent wait_reg_i;
    std::optional<HcpIdent> raw_state_op_i;
    std::optional<HcpIdent> bound_exit_i;

    ClockMode get_clock_mode(const ModelArena&) const override { return ClockMode::PosEdge; }
    void assign_prelim(ModelArena& arena) override;
    void assign_final(ModelArena& arena) override;
    std::optional<HcpIdent> get_exit_opr() const override;
    std::optional<HcpIdent> get_state_operating() const override;
    int32_t get_cycle_used() const override { return IN_CONSIST_CYCLE_USED; }
    bool is_state_full_node() const override { return true; }
};

class WaitCycleNode : public NcpNode {
public:
    HcpIdent wait_reg_i;
    std::optional<HcpIdent> end_expr_i;
    std::optional<HcpIdent> bound_exit_i;
    std::optional<int32_t> cycle;

    ClockMode get_clock_mode(const ModelArena&) const override { return ClockMode::PosEdge; }
    void assign_prelim(ModelArena& arena) override;
    void assign_final(ModelArena& arena) override;
    std::optional<HcpIdent> get_exit_opr() const override;
    int32_t get_cycle_used() const override;
    bool is_state_full_node() const override { return true; }
};

class CounterNode : public NcpNode {
public:
    HcpIdent cnt_reg_i;
    std::optional<HcpIdent> end_expr_i;
    int32_t last_loop_cnt = 1;

    ClockMode get_clock_mode(const ModelArena&) const override { return ClockMode::PosEdge; }
    void assign_prelim(ModelArena& arena) override;
    void assign_final(ModelArena& arena) override;
    std::optional<HcpIdent> get_exit_opr() const override;
    int32_t get_cycle_used() const override;
    bool is_state_full_node() const override { return true; }
};

}  // namespace velmora
