// Expressions: binary, unary and bit extension.
#include <nanobind/nanobind.h>
#include <nanobind/stl/string.h>

#include "applications/py/converters.h"
#include "applications/py/errors.h"
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
    check_open_for_additions(m, "mk_expression");
    refuse(check_module_tracked(m, "mk_expression"));
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
    cls.def("mk_expression", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a("mk_expression", {"name", "op", "a", "b", "a_slice", "b_slice"}, 4, args,
                   kwargs);
        std::string name = a.name(0);
        LogicOp op = a.enumeration<LogicOp>(1);
        PyOperand lhs = a.operand(2);
        PyOperand rhs = a.operand(3);
        OptSlice lhs_slice = a.slice(4);
        OptSlice rhs_slice = a.slice(5);
        return self.exclusive([&](ModelArena& m) {
            return mk_expression(m, a, name, op, lhs, rhs, lhs_slice, rhs_slice);
        });
    });
    cls.def("mk_expression_single", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a("mk_expression_single", {"name", "op", "a", "a_slice"}, 3, args, kwargs);
        std::string name = a.name(0);
        LogicOp op = a.enumeration<LogicOp>(1);
        HcpIdent operand = a.ident<HcpIdent>(2);
        OptSlice operand_slice = a.slice(3);
        return self.exclusive([&](ModelArena& m) {
            check_open_for_additions(m, "mk_expression_single");
            refuse(check_module_tracked(m, "mk_expression_single"));
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
    });
    cls.def("mk_extend_bit", [](ArenaObject& self, nb::args args, nb::kwargs kwargs) {
        CallArgs a("mk_extend_bit", {"name", "a", "c", "a_slice"}, 3, args, kwargs);
        std::string name = a.name(0);
        HcpIdent operand = a.ident<HcpIdent>(1);
        int32_t count = a.bit_width(2);
        OptSlice operand_slice = a.slice(3);
        return self.exclusive([&](ModelArena& m) {
            check_open_for_additions(m, "mk_extend_bit");
            refuse(check_module_tracked(m, "mk_extend_bit"));
            a.check_ident(m, 1, operand);
            a.refuse_if(1, check_same_tree(m, operand, *current_module(m)));
            a.check_slice(m, 3, operand, operand_slice);
            return m.make_expression_constant(true, name, LogicOp::ExtendBit, operand, count,
                                              operand_slice);
        });
    });
}

}  // namespace velmora::py
