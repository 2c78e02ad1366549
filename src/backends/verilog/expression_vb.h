#pragma once
// Expressions: a wire and one continuous assignment of the operator's right-hand side.
#include "backends/verilog/hcp_vb.h"
#include "model/hw_component/expression.h"

namespace velmora {

class ExpressionVb : public HcpBaseVb {
public:
    explicit ExpressionVb(const Expression& expr) : HcpBaseVb(expr), expr_(expr) {}
    std::string gen_type_vb() const override { return "wire " + width_text_vb(hcp_.bit_width); }
    /// An expression still empty (never given a source) has no assignment.
    int amt_precedure_blk_vb() const override { return expr_.operator_form ? 1 : 0; }
    /// "assign {name} = {right-hand side};\n"
    void gen_procedure_blk_vb(int j, const ModelArena& arena, FileWriter& writer) const override;
    std::string gen_rhs_vb(const ModelArena& arena) const;

private:
    const Expression& expr_;
};

}  // namespace velmora
