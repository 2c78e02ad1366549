#include "backends/verilog/expression_vb.h"

#include "common/internal_error.h"
#include "model/model_arena.h"
#include "util/file_writer.h"
#include "util/str_cat.h"

namespace velmora {
namespace {

/// The truth value of a logical operator's operand: a wider operand is reduced to one bit first
/// (a nonzero value is true), which is what the operator means and keeps the operand 1-bit wide.
std::string truth_operand(std::string text, const std::optional<Slice>& slice,
                          const HcpIdent& operand, const ModelArena& arena) {
    int32_t width = slice ? slice->size() : arena.hcp_width(operand);
    return width > 1 ? cat("(|", text, ")") : text;
}

}  // namespace

void ExpressionVb::gen_procedure_blk_vb(int, const ModelArena& arena, FileWriter& writer) const {
    if (!expr_.operator_form) return;
    writer.write(cat("assign ", gen_var_name_vb(), " = ", gen_rhs_vb(arena), ";\n"));
}

std::string ExpressionVb::gen_rhs_vb(const ModelArena& arena) const {
    CurrentHcpVb cur = current();
    std::string a = fmt_operand(expr_.a, expr_.a_slice, arena, cur);
    auto operand_b = [&] {
        if (!expr_.b) {
            panic(cat("Expression '", expr_.get_global_name(), "': operator ",
                      member_name(expr_.op), " needs a second operand"));
        }
        return fmt_operand(*expr_.b, expr_.b_slice, arena, cur);
    };
    switch (expr_.op) {
        case LogicOp::BitwiseInvr:
            return cat(logic_op_to_verilog(expr_.op), a);
        case LogicOp::LogicalNot:
            return cat(logic_op_to_verilog(expr_.op),
                       truth_operand(a, expr_.a_slice, expr_.a, arena));
        case LogicOp::LogicalAnd:
        case LogicOp::LogicalOr: {
            std::string b = operand_b();
            return cat(truth_operand(a, expr_.a_slice, expr_.a, arena), " ",
                       logic_op_to_verilog(expr_.op), " ",
                       truth_operand(b, expr_.b_slice, *expr_.b, arena));
        }
        case LogicOp::RelationSlt:
        case LogicOp::RelationSgt:
            return cat("$signed(", a, ") ", logic_op_to_verilog(expr_.op), " $signed(", operand_b(),
                       ")");
        case LogicOp::SliceBit:
        case LogicOp::Assign:
            return a;
        case LogicOp::ExtendBit: {
            // Without a slice the whole operand is extended: padding by the full result width
            // would write a value wider than the expression.
            int32_t a_size = expr_.a_slice ? expr_.a_slice->size() : arena.hcp_width(expr_.a);
            int32_t pad = expr_.bit_width - a_size;
            if (pad <= 0) return a;
            std::string fill = expr_.b ? operand_b() : std::string("1'b0");
            return cat("{{", pad, "{", fill, "}}, ", a, "}");
        }
        default:
            return cat(a, " ", logic_op_to_verilog(expr_.op), " ", operand_b());
    }
}

}  // namespace velmora
