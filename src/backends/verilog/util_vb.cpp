#include "backends/verilog/util_vb.h"

#include "backends/verilog/hcp_vb_dispatch.h"
#include "common/internal_error.h"
#include "util/str_cat.h"

namespace velmora {

std::string width_text_vb(int32_t width) {
    return width > 1 ? cat("[", width - 1, ":0] ") : std::string();
}

std::string slice_text_vb(int32_t width, const std::optional<Slice>& slice) {
    std::string out;
    append_slice_text_vb(out, width, slice);
    return out;
}

void append_slice_text_vb(std::string& out, int32_t width, const std::optional<Slice>& slice) {
    if (width < 2 || !slice || slice->start < 0) return;
    detail::append_piece(out, '[');
    detail::append_piece(out, slice->stop - 1);
    detail::append_piece(out, ':');
    detail::append_piece(out, slice->start);
    detail::append_piece(out, ']');
}

std::pair<std::string, int32_t> operand_name_width_vb(const ModelArena& arena,
                                                      const HcpIdent& operand,
                                                      const CurrentHcpVb& cur) {
    if (operand.global_id() == cur.ident.global_id()) return {cur.name, cur.width};
    // Only the name and width are read, so the operand stays in its slot.
    return read_hcp_vb(arena, operand, [](const HcpBaseVb& vb) {
        return std::pair<std::string, int32_t>(vb.gen_var_name_vb(), vb.hcp().bit_width);
    });
}

std::string fmt_operand(const HcpIdent& operand, const std::optional<Slice>& slice,
                        const ModelArena& arena, const CurrentHcpVb& cur) {
    std::string out;
    append_operand(out, operand, slice, arena, cur);
    return out;
}

void append_operand(std::string& out, const HcpIdent& operand, const std::optional<Slice>& slice,
                    const ModelArena& arena, const CurrentHcpVb& cur) {
    int32_t width = 0;
    if (operand.global_id() == cur.ident.global_id()) {
        out.append(cur.name);
        width = cur.width;
    } else {
        width = read_hcp_vb(arena, operand, [&](const HcpBaseVb& vb) {
            vb.append_var_name_vb(out);
            return vb.hcp().bit_width;
        });
    }
    append_slice_text_vb(out, width, slice);
}

std::string sensitivity_list(ClockMode mode, const std::optional<std::string>& clk_text) {
    switch (mode) {
        case ClockMode::PosEdge:
            if (!clk_text) panic("sensitivity_list: PosEdge with no clk source");
            return "posedge " + *clk_text;
        case ClockMode::NegEdge:
            if (!clk_text) panic("sensitivity_list: NegEdge with no clk source");
            return "negedge " + *clk_text;
        case ClockMode::ClkFree:
        case ClockMode::ClkUnused:
            break;
    }
    return "*";
}

std::string_view logic_op_to_verilog(LogicOp op) {
    switch (op) {
        case LogicOp::BitwiseAnd:
            return "&";
        case LogicOp::BitwiseOr:
            return "|";
        case LogicOp::BitwiseXor:
            return "^";
        case LogicOp::BitwiseInvr:
            return "~";
        case LogicOp::BitwiseShl:
            return "<<";
        case LogicOp::BitwiseShr:
            return ">>";
        case LogicOp::LogicalAnd:
            return "&&";
        case LogicOp::LogicalOr:
            return "||";
        case LogicOp::LogicalNot:
            return "!";
        case LogicOp::RelationEq:
            return "==";
        case LogicOp::RelationNeq:
            return "!=";
        case LogicOp::RelationLe:
            return "<";
        case LogicOp::RelationLeq:
            return "<=";
        case LogicOp::RelationGe:
            return ">";
        case LogicOp::RelationGeq:
            return ">=";
        case LogicOp::RelationSlt:
            return "<";
        case LogicOp::RelationSgt:
            return ">";
        case LogicOp::ArithPlus:
            return "+";
        case LogicOp::ArithMinus:
            return "-";
        case LogicOp::ArithMul:
            return "*";
        case LogicOp::ArithDiv:
            return "/";
        case LogicOp::ArithDivr:
            return "%";
        case LogicOp::ExtendBit:
            panic(
                "logic_op_to_verilog: ExtendBit has no direct Verilog operator; not yet "
                "implemented");
        case LogicOp::SliceBit:
            panic("logic_op_to_verilog: SliceBit has no operator token; handle as wire-through");
        case LogicOp::Assign:
            panic("logic_op_to_verilog: Assign has no operator token; handle as wire-through");
        case LogicOp::Dummy:
            break;
    }
    panic("logic_op_to_verilog: Dummy op must not reach the Verilog backend");
}

}  // namespace velmora
