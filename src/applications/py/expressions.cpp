// Expressions: binary, unary and bit extension.
#include <nanobind/nanobind.h>
#include <nanobind/stl/string.h>

#include "applications/py/converters.h"
#include "applications/py/errors.h"
#include "applications/py/method_def.h"
#include "applications/py/owned_object.h"
#include "applications/py/register.h"
#include "util/str_cat.h"

namespace nb = nanobind;

namespace velmora::py {
namespace {

bool is_binary_op(LogicOp op) {
    switch (op) {
        case LogicOp::BitwiseInvr:
        case LogicOp::LogicalNot:
        case LogicOp::ExtendBit:
        case LogicOp::SliceBit:
        case LogicOp::Assign:
        case LogicOp::Dummy:
            return false;
        default:
            return true;
    }
}

bool is_unary_op(LogicOp op) {
    return op == LogicOp::BitwiseInvr || op == LogicOp::LogicalNot;
}

/// The width of an int shift amount: its own bit length, so that shifting by more than the
/// shifted signal's width gives 0 as it says; 0 for any other operator. A negative amount is
/// refused.
int32_t shift_amount_width(const CallArgs& args, LogicOp op, const PyOperand& b) {
    if (op != LogicOp::BitwiseShl && op != LogicOp::BitwiseShr) return 0;
    const nb::int_& amount = std::get<nb::int_>(b.value);
    if (int_is_negative(amount)) {
        args.refuse_if(3, cat("a shift amount must not be negative, got ",
                              nb::cast<std::string>(nb::str(amount))));
    }
    int32_t width = int_bits(amount);
    args.refuse_if(3, check_bit_width(width));
    return width;
}

HcpIdent mk_expression(ModelArena& m, const CallArgs& args, const std::string& name, LogicOp op,
                       const PyOperand& a, const PyOperand& b, OptSlice a_slice, OptSlice b_slice) {
    check_can_make_component(m, "mk_expression");
    args.check_operand(m, 2, a);
    args.check_operand(m, 3, b);
    ModuleRef here = *current_module(m);
    if (const HcpIdent* sig = a.ident()) args.refuse_if(2, check_same_tree(m, *sig, here));
    if (const HcpIdent* sig = b.ident()) args.refuse_if(3, check_same_tree(m, *sig, here));
    // The slice of an int operand is not used: the constant is made to size.
    if (const HcpIdent* sig = a.ident()) args.check_slice(m, 4, *sig, a_slice);
    if (const HcpIdent* sig = b.ident()) args.check_slice(m, 5, *sig, b_slice);
    if (!is_binary_op(op)) {
        raise_value_error(cat(member_name(op),
                              " is not a binary expression op (use mk_expression_single / "
                              "mk_extend_bit / the assign path)"));
    }
    if (a.is_int() && b.is_int()) {
        raise_value_error("expression needs at least one signal operand, not two ints");
    }
    // An int operand is sized by the signal on the other side and must fit in it; the constant
    // is used whole.
    if (a.is_int()) {
        int32_t width = used_width(m, *b.ident(), b_slice);
        args.check_int_fits(2, a, width, "the other operand");
        HcpIdent a_sig = operand_signal(m, a, name, width);
        return m.make_expression(true, name, op, a_sig, *b.ident(), std::nullopt, b_slice);
    }
    if (b.is_int()) {
        int32_t width = shift_amount_width(args, op, b);
        if (width == 0) {
            width = used_width(m, *a.ident(), a_slice);
            args.check_int_fits(3, b, width, "the other operand");
        }
        HcpIdent b_sig = operand_signal(m, b, name, width);
        return m.make_expression(true, name, op, *a.ident(), b_sig, a_slice, std::nullopt);
    }
    return m.make_expression(true, name, op, *a.ident(), *b.ident(), a_slice, b_slice);
}

}  // namespace

void bind_expression_methods(ArenaClass& cls) {
    def_method(
        cls, "mk_expression",
        "def mk_expression(self, name: str, op: LogicOp | int, a: HcpIdent | int, b: HcpIdent | "
        "int, a_slice: Slice | None = None, b_slice: Slice | None = None) -> HcpIdent",
        "Makes the expression `a op b` named `name`; a slice selects bits of a signal operand. An "
        "int operand becomes a constant named \"{name}_c\" of the other operand's width (a shift "
        "amount takes its own bit length). Refuses an op that is not binary (ValueError naming "
        "it), two int operands, an int that does not fit, a slice outside its operand, a call with "
        "no module tracked, and any call once build_flow has run.",
        [](ArenaObject& self, const CallArgs& a) {
            std::string name = a.name(0);
            LogicOp op = a.enumeration<LogicOp>(1);
            PyOperand lhs = a.operand(2);
            PyOperand rhs = a.operand(3);
            OptSlice lhs_slice = a.slice(4);
            OptSlice rhs_slice = a.slice(5);
            return self.exclusive([&](ModelArena& m) {
                return mk_expression(m, a, name, op, lhs, rhs, lhs_slice, rhs_slice);
            });
        },
        "name", "op", "a", "b", opt("a_slice"), opt("b_slice"));
    def_method(
        cls, "mk_expression_single",
        "def mk_expression_single(self, name: str, op: LogicOp | int, a: HcpIdent, a_slice: Slice "
        "| None = None) -> HcpIdent",
        "Makes the unary expression `op a` named `name` (BitwiseInvr or LogicalNot). Refuses any "
        "other op, a slice outside `a`, a call with no module tracked, and any call once "
        "build_flow has run.",
        [](ArenaObject& self, const CallArgs& a) {
            std::string name = a.name(0);
            LogicOp op = a.enumeration<LogicOp>(1);
            HcpIdent operand = a.ident<HcpIdent>(2);
            OptSlice operand_slice = a.slice(3);
            return self.exclusive([&](ModelArena& m) {
                check_can_make_component(m, "mk_expression_single");
                a.check_ident(m, 2, operand);
                a.refuse_if(2, check_same_tree(m, operand, *current_module(m)));
                a.check_slice(m, 3, operand, operand_slice);
                if (!is_unary_op(op)) {
                    raise_value_error(cat(member_name(op),
                                          " is not a unary expression op (use mk_expression / the "
                                          "assign path)"));
                }
                return m.make_expression_single(true, name, op, operand, operand_slice);
            });
        },
        "name", "op", "a", opt("a_slice"));
    def_method(
        cls, "mk_extend_bit",
        "def mk_extend_bit(self, name: str, a: HcpIdent, c: int, a_slice: Slice | None = None) -> "
        "HcpIdent",
        "Makes the expression named `name` that zero-extends `a` (or its slice) to `c` bits. "
        "Refuses a width `c` out of range, a slice outside `a`, a call with no module tracked, and "
        "any call once build_flow has run.",
        [](ArenaObject& self, const CallArgs& a) {
            std::string name = a.name(0);
            HcpIdent operand = a.ident<HcpIdent>(1);
            int32_t count = a.bit_width(2);
            OptSlice operand_slice = a.slice(3);
            return self.exclusive([&](ModelArena& m) {
                check_can_make_component(m, "mk_extend_bit");
                a.check_ident(m, 1, operand);
                a.refuse_if(1, check_same_tree(m, operand, *current_module(m)));
                a.check_slice(m, 3, operand, operand_slice);
                return m.make_expression_constant(true, name, LogicOp::ExtendBit, operand, count,
                                                  operand_slice);
            });
        },
        "name", "a", "c", opt("a_slice"));
}

}  // namespace velmora::py
