#pragma once
#include <vector>

#include "model/hw_component/common/assign_meta.h"
#include "model/nodes/ncp_node.h"

namespace velmora {

class AsmNode : public NcpNode {
public:
    SmallVector<AssignMeta, 1> asm_metas;  // most nodes assign one destination

    ClockMode get_clock_mode(const ModelArena& arena) const override;
    void assign_prelim(ModelArena& arena) override;
    void assign_final(ModelArena& arena) override;
    OptHcpIdent get_exit_opr() const override;
    int32_t get_cycle_used() const override { return 1; }
    void dry_assign(ModelArena& arena) override;
    bool is_state_full_node() const override { return true; }
    /// Guards every meta with the parent state (and hold / reset), then pools the events.
    void assign_from_state_node(ModelArena& arena);
};

class OprNode : public NcpNode {
public:
    HcpIdent exit_opr;

    bool has_triggers() const override { return false; }
    ClockMode get_clock_mode(const ModelArena&) const override { return ClockMode::ClkFree; }
    void assign_prelim(ModelArena&) override {}
    void assign_final(ModelArena& arena) override;
    OptHcpIdent get_exit_opr() const override { return exit_opr; }
    int32_t get_cycle_used() const override { return 0; }
    bool is_state_full_node() const override { return false; }
};

class PseudoNode : public NcpNode {
public:
    HcpIdent exit_opr;  // the expression made empty as "pseudo_init_expr"
    int32_t width = 1;
    LogicOp join_op = LogicOp::BitwiseOr;

    ClockMode get_clock_mode(const ModelArena&) const override { return ClockMode::ClkFree; }
    void assign_prelim(ModelArena&) override {}
    void assign_final(ModelArena& arena) override;
    OptHcpIdent get_exit_opr() const override { return exit_opr; }
    int32_t get_cycle_used() const override { return 0; }
    bool is_state_full_node() const override { return false; }
};

class StartNode : public NcpNode {
public:
    HcpIdent state_reg_i;
    HcpIdent mrst_i;
    OptHcpIdent start_expr_i;

    ClockMode get_clock_mode(const ModelArena&) const override { return ClockMode::PosEdge; }
    void assign_prelim(ModelArena&) override {}
    void assign_final(ModelArena& arena) override;
    OptHcpIdent get_exit_opr() const override { return start_expr_i; }
    int32_t get_cycle_used() const override { return 1; }
    bool is_state_full_node() const override { return true; }
};

}  // namespace velmora
