"""Int operands become constants of the width they are sized to; an int that does not fit in that
width is refused rather than cut, and an int shift amount is sized by its own value."""

import pytest

import _velmora as v
from design_kit import Design
from verilog_tools import HAVE_IVERILOG, HAVE_VERILATOR, lint

L = v.LogicOp
needs_iverilog = pytest.mark.skipif(not HAVE_IVERILOG, reason="Icarus Verilog is not installed")


def next_global_id():
    return v.ModelArena().mk_module("probe").global_id + 1


def fits_message(arg, value, width, width_of, low, high):
    return (f"argument '{arg}': {value} does not fit in {width} bits, the width of {width_of} "
            f"({width} bits hold {low} to {high} as unsigned or two's complement values); use a "
            "value in that range or a wider signal")


OUT_OF_RANGE = [
    ("eq_19_on_4_bits", lambda a, x4, x8: a.mk_expression("e", L.RelationEq, x4, 19),
     fits_message("b", 19, 4, "the other operand", -8, 15)),
    ("lt_19_on_4_bits", lambda a, x4, x8: a.mk_expression("e", L.RelationLe, x4, 19),
     fits_message("b", 19, 4, "the other operand", -8, 15)),
    ("and_256_on_8_bits", lambda a, x4, x8: a.mk_expression("e", L.LogicalAnd, x8, 256),
     fits_message("b", 256, 8, "the other operand", -128, 255)),
    ("int_on_the_left", lambda a, x4, x8: a.mk_expression("e", L.ArithMinus, 16, x4),
     fits_message("a", 16, 4, "the other operand", -8, 15)),
    ("below_the_range", lambda a, x4, x8: a.mk_expression("e", L.ArithPlus, x4, -9),
     fits_message("b", -9, 4, "the other operand", -8, 15)),
    ("sliced_operand", lambda a, x4, x8: a.mk_expression("e", L.RelationEq, x8, 4,
                                                          a_slice=v.Slice(0, 2)),
     fits_message("b", 4, 2, "the other operand", -2, 3)),
    ("assign_300_to_8_bits", lambda a, x4, x8: a.gen_basic_assign(x8, 300),
     fits_message("src", 300, 8, "the destination", -128, 255)),
    ("assign_to_a_slice", lambda a, x4, x8: a.gen_basic_assign(x8, 4, des_slice=v.Slice(0, 2)),
     fits_message("src", 4, 2, "des_slice", -2, 3)),
    ("wide_value", lambda a, x4, x8: a.gen_basic_assign(x8, 2**70),
     fits_message("src", 2**70, 8, "the destination", -128, 255)),
    ("mk_val_300_in_4_bits", lambda a, x4, x8: a.mk_val("v", 4, 300),
     "argument 'init_val': 300 does not fit in 4 bits (4 bits hold 0 to 15); use a value in that "
     "range or a wider bit_width"),
]


@pytest.mark.parametrize("call, message", [c[1:] for c in OUT_OF_RANGE],
                         ids=[c[0] for c in OUT_OF_RANGE])
def test_int_operands_that_do_not_fit_are_refused(arena, top, call, message):
    x4 = arena.mk_reg("x4", 4)
    x8 = arena.mk_reg("x8", 8)
    before = next_global_id()
    with pytest.raises(ValueError) as e:
        call(arena, x4, x8)
    assert str(e.value) == message
    assert next_global_id() == before + 1


@pytest.mark.parametrize("value", [-8, -1, 0, 15])
def test_int_operands_within_the_range_are_taken(arena, top, value):
    x4 = arena.mk_reg("x4", 4)
    assert arena.get_hw_bit_sz(arena.mk_expression("e", L.ArithPlus, x4, value)) == 4


def test_negative_shift_amount_is_refused(arena, top):
    x4 = arena.mk_reg("x4", 4)
    with pytest.raises(ValueError) as e:
        arena.mk_expression("e", L.BitwiseShl, x4, -1)
    assert str(e.value) == "argument 'b': a shift amount must not be negative, got -1"


@needs_iverilog
def test_int_operands_are_not_cut_in_simulation(tmp_path):
    # x = 11 (4 bits). Shifts by ints past the width give 0; in-range ints compare and assign
    # whole; -1 assigned to 8 bits is all ones.
    d = Design()
    ar = d.arena
    with d.components(d.top):
        x = ar.mk_reg("x", 4)
        ar.set_reg_reset(x, ar.mk_val("x_rst", 4, 11))
        exprs = {
            "shl_17": ar.mk_expression("shl_17", L.BitwiseShl, x, 17),
            "shr_18": ar.mk_expression("shr_18", L.BitwiseShr, x, 18),
            "shl_1": ar.mk_expression("shl_1", L.BitwiseShl, x, 1),
            "shr_2": ar.mk_expression("shr_2", L.BitwiseShr, x, 2),
            "shl_4": ar.mk_expression("shl_4", L.BitwiseShl, x, 4),
            "eq_11": ar.mk_expression("eq_11", L.RelationEq, x, 11),
            "eq_neg5": ar.mk_expression("eq_neg5", L.RelationEq, x, -5),
        }
        for name, e in exprs.items():
            ar.mark_as_io(e, False, name)
        y = ar.mk_reg("y", 8)
        ar.mark_as_io(y, False, "y")
    with d.flow(d.top), d.seq("s"):
        d.assign(y, 200)
        d.assign(y, -1)
    widths = {name: ar.get_hw_bit_sz(e) for name, e in exprs.items()}
    emitted, sim = d.run(tmp_path, {**widths, "y": 8}, cycles=3)
    x_value = 11
    for name, amount, left in (("shl_17", 17, True), ("shr_18", 18, False), ("shl_1", 1, True),
                               ("shr_2", 2, False), ("shl_4", 4, True)):
        want = ((x_value << amount) if left else (x_value >> amount)) & 0xF
        assert sim[name] == [want] * 3, name
    assert sim["eq_11"] == [1, 1, 1]
    assert sim["eq_neg5"] == [1, 1, 1]  # -5 is 1011 in four bits
    assert sim["y"][1:] == [200, 255]
    if HAVE_VERILATOR:
        assert lint(emitted.out_dir, emitted.top_name) == []
