// Combinational generators: multiplexer, rotations, any-of and population count.
#include <nanobind/nanobind.h>
#include <nanobind/stl/optional.h>

#include "applications/py/converters.h"
#include "applications/py/errors.h"
#include "applications/py/method_def.h"
#include "applications/py/owned_object.h"
#include "applications/py/register.h"
#include "applications/py/resize_warning.h"
#include "model/arena_impl_comb/comb_checks.h"

namespace nb = nanobind;

namespace velmora::py {
namespace {

constexpr const char* kNoWidthFromInts =
    "cannot infer a width from int operands alone — pass width=<bits> (an int literal is sized "
    "by whatever it is used with)";

/// A slice that is not usable (start < 0 or start >= stop) stands for the whole signal here.
OptSlice usable(OptSlice slice) {
    return slice && slice->is_valid() ? slice : std::nullopt;
}

/// A signal branch of the mux with its usable slice, or an int branch made a constant of `width`
/// bits (its slice is not used).
HcpTerm mux_branch(ModelArena& m, const PyOperand& operand, OptSlice slice, std::string_view name,
                   int32_t width) {
    if (operand.is_int()) return HcpTerm{operand_signal(m, operand, name, width), std::nullopt};
    return HcpTerm{*operand.ident(), slice};
}

HcpIdent gen_mux(ModelArena& m, const CallArgs& a, const std::string& name, const HcpIdent& cond,
                 OptSlice cond_slice, const PyOperand& if_true, const PyOperand& if_false,
                 OptSlice true_slice, OptSlice false_slice, std::optional<int32_t> width) {
    check_can_make_component(m, "gen_mux");
    a.check_ident(m, 1, cond);
    a.check_operand(m, 3, if_true);
    a.check_operand(m, 4, if_false);
    if (const HcpIdent* sig = if_true.ident()) a.check_slice(m, 5, *sig, true_slice);
    if (const HcpIdent* sig = if_false.ident()) a.check_slice(m, 6, *sig, false_slice);
    if (!width) {
        if (const HcpIdent* sig = if_true.ident()) {
            width = used_width(m, *sig, true_slice);
        } else if (const HcpIdent* other = if_false.ident()) {
            width = used_width(m, *other, false_slice);
        } else {
            raise_type_error(kNoWidthFromInts);
        }
    }
    if (Problem p = check_gen_mux(m, cond, cond_slice, *width)) raise_value_error(*p);
    a.check_int_fits(3, if_true, *width, "the mux");
    a.check_int_fits(4, if_false, *width, "the mux");
    HcpTerm t = mux_branch(m, if_true, true_slice, name, *width);
    HcpTerm f = mux_branch(m, if_false, false_slice, name, *width);
    MuxResult made = m.gen_mux(name, cond, cond_slice, t, f, *width);
    // Warned while the arena is still in use: a warning hook that calls back in is refused.
    warn_resized(made.fits.if_true, made.wire);
    warn_resized(made.fits.if_false, made.wire);
    return made.wire;
}

void bind_mux(ArenaClass& cls) {
    def_method(
        cls, "gen_mux",
        "def gen_mux(self, name: str, cond_i: HcpIdent, cond_slice: Slice | None, if_true: "
        "HcpIdent | int, if_false: HcpIdent | int, true_slice: Slice | None = None, false_slice: "
        "Slice | None = None, width: int | None = None) -> HcpIdent",
        "Makes the wire named `name` that carries `if_true` while condition `cond_i` holds, else "
        "`if_false`. Its width is `width` when given, else that of the first signal branch (its "
        "slice's size); int branches become constants named \"{name}_c\" of that width. Refuses "
        "two int branches without `width` (TypeError), a condition that is not one bit, an int "
        "that does not fit, a call with no module tracked, and any call once build_flow has run.",
        [](ArenaObject& self, const CallArgs& a) {
            std::string name = a.name(0);
            HcpIdent cond = a.ident<HcpIdent>(1);
            OptSlice cond_slice = a.slice(2);
            PyOperand if_true = a.operand(3);
            PyOperand if_false = a.operand(4);
            OptSlice true_slice = usable(a.slice(5));
            OptSlice false_slice = usable(a.slice(6));
            std::optional<int32_t> width = a.opt_i32(7);
            return self.exclusive([&](ModelArena& m) {
                return gen_mux(m, a, name, cond, cond_slice, if_true, if_false, true_slice,
                               false_slice, width);
            });
        },
        "name", "cond_i", "cond_slice", "if_true", "if_false", opt("true_slice"),
        opt("false_slice"), opt("width"));
}

/// `gen_rotate_left` / `gen_rotate_right`: the right rotation turns by the negated amount.
void bind_rotate(ArenaClass& cls, const char* method, const char* sig, const char* doc,
                 const char* op_name, int64_t direction) {
    def_method(
        cls, method, sig, doc,
        [method, op_name, direction](ArenaObject& self, const CallArgs& a) {
            std::string name = a.name(0);
            HcpIdent sig = a.ident<HcpIdent>(1);
            OptSlice sig_slice = usable(a.slice(2));
            int64_t amount = direction * int64_t{a.i32(3)};
            std::optional<int32_t> width = a.opt_i32(4);
            return self.exclusive([&](ModelArena& m) {
                check_can_make_component(m, method);
                a.check_ident(m, 1, sig);
                a.check_slice(m, 2, sig, sig_slice);
                return m.gen_rotate(op_name, name, sig, sig_slice, amount, width);
            });
        },
        "name", "sig_i", "sig_slice", "amount", opt("width"));
}

void bind_reductions(ArenaClass& cls) {
    def_method(
        cls, "gen_any_of",
        "def gen_any_of(self, name: str, terms: collections.abc.Sequence[tuple[HcpIdent, Slice | "
        "None]]) -> HcpIdent | None",
        "Makes the one-bit wire named `name` that is high when any of `terms` ((signal, slice or "
        "None) pairs) is; None when `terms` holds exactly one element, and a one-bit constant 0 "
        "when it holds none. Refuses a term of another arena or with a slice outside its signal, a "
        "call with no module tracked, and any call once build_flow has run.",
        [](ArenaObject& self, const CallArgs& a) {
            std::string name = a.name(0);
            std::vector<HcpTerm> terms = a.term_list(1);
            return self.exclusive([&](ModelArena& m) {
                check_can_make_component(m, "gen_any_of");
                a.check_terms(m, 1, terms);
                return m.gen_any_of(name, terms);
            });
        },
        "name", "terms");
    def_method(
        cls, "gen_sum_cnt",
        "def gen_sum_cnt(self, name: str, bits: collections.abc.Sequence[tuple[HcpIdent, Slice | "
        "None]], width: int | None = None) -> HcpIdent",
        "Makes the wire named `name` that counts how many of `bits` ((signal, slice or None) "
        "pairs) are high, `width` bits wide when given. Refuses what the count cannot be made of "
        "(the message says why), a call with no module tracked, and any call once build_flow has "
        "run.",
        [](ArenaObject& self, const CallArgs& a) {
            std::string name = a.name(0);
            std::vector<HcpTerm> bits = a.term_list(1);
            std::optional<int32_t> width = a.opt_i32(2);
            return self.exclusive([&](ModelArena& m) {
                check_can_make_component(m, "gen_sum_cnt");
                a.check_terms(m, 1, bits);
                return m.gen_sum_cnt(name, bits, width);
            });
        },
        "name", "bits", opt("width"));
}

}  // namespace

void bind_generator_methods(ArenaClass& cls) {
    bind_mux(cls);
    bind_rotate(cls, "gen_rotate_left",
                "def gen_rotate_left(self, name: str, sig_i: HcpIdent, sig_slice: Slice | None, "
                "amount: int, width: int | None = None) -> HcpIdent | None",
                "Makes the wire named `name` holding `sig_i` (or its slice) rotated left by "
                "`amount` bits; None when the amount is a multiple of the rotated width. Refuses a "
                "bad `width` or slice (the message says why), a call with no module tracked, and "
                "any call once build_flow has run.",
                "rotate_left", 1);
    bind_rotate(cls, "gen_rotate_right",
                "def gen_rotate_right(self, name: str, sig_i: HcpIdent, sig_slice: Slice | None, "
                "amount: int, width: int | None = None) -> HcpIdent | None",
                "Makes the wire named `name` holding `sig_i` (or its slice) rotated right by "
                "`amount` bits; None when the amount is a multiple of the rotated width. Refuses a "
                "bad `width` or slice (the message says why), a call with no module tracked, and "
                "any call once build_flow has run.",
                "rotate_right", -1);
    bind_reductions(cls);
}

}  // namespace velmora::py
