#pragma once
// One operator applied to one or two operands, written as one continuous assignment.
#include <optional>

#include "model/hw_component/hcp_base.h"
#include "model/hw_component/logic_op.h"

namespace velmora {

class Expression : public HcpBase {
public:
    using HcpBase::HcpBase;
    HcpIdent a;
    OptHcpIdent b;
    OptSlice a_slice;
    OptSlice b_slice;
    LogicOp op = LogicOp::Assign;
    bool operator_form = false;

    ClockMode retrieve_clk_mode() const override { return ClockMode::ClkFree; }
    NcpIdent do_asm(ModelArena&, const HcpIdent&, OptSlice, int32_t, int32_t) override;
    void gather_dep_hcps(const ModelArena& arena, HcpIdentSet& out) const override;
    void remap_dep_hcps(ModelArena& arena, const HcpIdentMap& map) override;
};

}  // namespace velmora
