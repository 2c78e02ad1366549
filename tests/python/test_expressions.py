"""Expressions: result widths, binding checks, int operands."""

import pytest

import _velmora as v

L = v.LogicOp


@pytest.mark.parametrize(
    "op, width",
    [
        (L.RelationLe, 1), (L.RelationSlt, 1), (L.RelationEq, 1), (L.LogicalAnd, 1),
        (L.ArithPlus, 8), (L.BitwiseXor, 8), (L.BitwiseShl, 8), (L.ArithMul, 8),
    ],
)  # fmt: skip
def test_binary_expression_width(arena, top, op, width):
    a = arena.mk_wire("a", 8)
    b = arena.mk_wire("b", 8)
    assert arena.get_hw_bit_sz(arena.mk_expression("e", op, a, b)) == width


@pytest.mark.parametrize(
    "op", [L.BitwiseInvr, L.LogicalNot, L.ExtendBit, L.SliceBit, L.Assign, L.Dummy]
)
def test_non_binary_ops_are_refused_by_mk_expression(arena, top, op):
    a = arena.mk_wire("a", 8)
    with pytest.raises(ValueError) as e:
        arena.mk_expression("e", op, a, a)
    assert str(e.value) == (
        f"{op.name} is not a binary expression op "
        "(use mk_expression_single / mk_extend_bit / the assign path)"
    )


def test_two_int_operands_are_refused(arena, top):
    with pytest.raises(ValueError) as e:
        arena.mk_expression("e", L.ArithPlus, 1, 2)
    assert str(e.value) == "expression needs at least one signal operand, not two ints"


def test_refused_expression_creates_nothing(arena, top):
    first = arena.mk_wire("a", 8)
    with pytest.raises(ValueError):
        arena.mk_expression("e", L.ArithPlus, 1, 2)
    assert arena.mk_wire("b", 1).global_id == first.global_id + 1


@pytest.mark.parametrize("value", [-1, 0, 5, 255, -128])
@pytest.mark.parametrize("int_first", [True, False])
def test_int_operand_becomes_a_constant_sized_by_the_signal(arena, top, value, int_first):
    a = arena.mk_wire("a", 8)
    operands = (value, a) if int_first else (a, value)
    e = arena.mk_expression("e", L.ArithPlus, *operands)
    # The constant "e_c" takes the id just before the expression.
    assert e.global_id == a.global_id + 2
    assert arena.get_hw_bit_sz(e) == 8


def test_int_operand_next_to_a_sliced_signal(arena, top):
    a = arena.mk_wire("a", 8)
    e = arena.mk_expression("e", L.BitwiseAnd, a, 3, a_slice=v.Slice(0, 2))
    assert arena.get_hw_bit_sz(e) == 2


def test_wide_int_operand(arena, top):
    a = arena.mk_wire("a", 200)
    e = arena.mk_expression("e", L.BitwiseOr, a, -1)
    assert arena.get_hw_bit_sz(e) == 200


@pytest.mark.parametrize("op, width", [(L.BitwiseInvr, 8), (L.LogicalNot, 1)])
def test_unary_expression_width(arena, top, op, width):
    a = arena.mk_wire("a", 8)
    assert arena.get_hw_bit_sz(arena.mk_expression_single("e", op, a)) == width
    sliced = arena.mk_expression_single("e", op, a, a_slice=v.Slice(1, 4))
    assert arena.get_hw_bit_sz(sliced) == (3 if op == L.BitwiseInvr else 1)


@pytest.mark.parametrize("op", [L.ArithPlus, L.SliceBit, L.ExtendBit, L.RelationEq])
def test_non_unary_ops_are_refused_by_mk_expression_single(arena, top, op):
    a = arena.mk_wire("a", 8)
    with pytest.raises(ValueError) as e:
        arena.mk_expression_single("e", op, a)
    assert str(e.value) == (
        f"{op.name} is not a unary expression op (use mk_expression / the assign path)"
    )


def test_unary_op_index_out_of_range(arena, top):
    a = arena.mk_wire("a", 8)
    with pytest.raises(ValueError, match="^LogicOp index out of range: 26$"):
        arena.mk_expression_single("e", 26, a)


def test_extend_bit_takes_the_requested_width(arena, top):
    a = arena.mk_wire("a", 4)
    assert arena.get_hw_bit_sz(arena.mk_extend_bit("x", a, 12)) == 12
    assert arena.get_hw_bit_sz(arena.mk_extend_bit("x", a, c=9, a_slice=v.Slice(0, 2))) == 9


def test_extend_bit_takes_signals_only(arena, top):
    with pytest.raises(TypeError, match="^argument 'a': expected HcpIdent, got int$"):
        arena.mk_extend_bit("x", 3, 12)

