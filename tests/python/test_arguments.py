"""Conversion of call arguments: names, keywords, defaults, types, ranges, operands."""

import pytest

import _velmora as v

MK_REG = "mk_reg(self, name: str, bit_width: int) -> HcpIdent"


def mismatch(signature, invoked_with):
    """The TypeError of a call whose arguments do not match the parameters (missing, unknown,
    duplicate or too many): the method's signature and the types it was called with."""
    method = signature.split("(")[0]
    return (f"{method}(): incompatible function arguments. The following argument types are "
            f"supported:\n    1. {signature}\n\nInvoked with types: {invoked_with}")


def test_keyword_arguments_in_any_order(arena, top):
    r = arena.mk_reg(bit_width=8, name="r")
    assert arena.get_hw_bit_sz(hcp_i=r) == 8
    c = arena.mk_val("c", init_val=5, bit_width=3)
    assert arena.get_hw_bit_sz(c) == 3


@pytest.mark.parametrize(
    "call, message",
    [
        (lambda a, r, m: a.get_hw_bit_sz(m), "argument 'hcp_i': expected HcpIdent, got ModuleIdent"),
        (lambda a, r, m: a.set_top_module(r), "argument 'module_i': expected ModuleIdent, got HcpIdent"),
        (lambda a, r, m: a.mk_reg("x", "8"), "argument 'bit_width': expected int, got str"),
        (lambda a, r, m: a.mk_reg(8, 8), "argument 'name': expected str, got int"),
        (lambda a, r, m: a.mk_reg("x"), mismatch(MK_REG, "_velmora.ModelArena, str")),
        (lambda a, r, m: a.mk_reg(), mismatch(MK_REG, "_velmora.ModelArena")),
        (lambda a, r, m: a.mark_as_io(r, 1, "p"), "argument 'is_input': expected bool, got int"),
        (lambda a, r, m: a.mark_as_io(r, True, None), "argument 'io_name': expected str, got NoneType"),
        (lambda a, r, m: a.mk_expression("e", 0, r, r, a_slice=(0, 1)),
         "argument 'a_slice': expected Slice or None, got tuple"),
        (lambda a, r, m: a.mk_val_vv("c", 70, "12"), "argument 'limbs': expected a sequence of int, got str"),
        (lambda a, r, m: a.mk_val_vv("c", 70, [1, 2.0]), "argument 'limbs': item 1: expected int, got float"),
        (lambda a, r, m: a.mk_expression("e", "ArithPlus", r, r),
         "argument 'op': expected LogicOp or int, got str"),
        (lambda a, r, m: a.initialize_flow_block(m), "argument 'block_i': expected FlowBlockIdent, got ModuleIdent"),
        (lambda a, r, m: v.BackendVerilog(r), "argument 'arena': expected ModelArena, got HcpIdent"),
        (lambda a, r, m: a.mk_reg("x", 8, bit_width=8),
         mismatch(MK_REG, "_velmora.ModelArena, str, int, kwargs = { bit_width: int }")),
        (lambda a, r, m: a.mk_reg("x", 8, width=8),
         mismatch(MK_REG, "_velmora.ModelArena, str, int, kwargs = { width: int }")),
        (lambda a, r, m: a.mk_reg("x", 8, 9), mismatch(MK_REG, "_velmora.ModelArena, str, int, int")),
        (lambda a, r, m: a.build_flow(1), mismatch("build_flow(self) -> None", "_velmora.ModelArena, int")),
    ],
)  # fmt: skip
def test_conversion_failures_raise_type_error_naming_the_argument(arena, top, call, message):
    r = arena.mk_reg("r", 4)
    with pytest.raises(TypeError) as e:
        call(arena, r, top)
    assert str(e.value) == message


def test_conversion_failure_happens_before_the_model_is_touched(arena, top):
    before = arena.mk_reg("a", 1).global_id
    with pytest.raises(TypeError):
        arena.mk_reg("x", None)
    assert arena.mk_reg("b", 1).global_id == before + 1


@pytest.mark.parametrize(
    "call",
    [
        lambda a, r: a.mk_reg("x", 2**31),
        lambda a, r: a.mk_reg("x", -(2**31) - 1),
        lambda a, r: a.mk_val("x", 8, -1),
        lambda a, r: a.mk_val("x", 8, 2**64),
        lambda a, r: a.mk_val_vv("x", 128, [1, 2**64]),
        lambda a, r: a.set_asm_pri_to_manual(2**31),
        lambda a, r: a.mk_extend_bit("x", r, 2**40),
        lambda a, r: a.mk_expression("e", -1, r, r),
        lambda a, r: a.mk_expression("e", 2**32, r, r),
    ],
)
def test_ints_out_of_range_raise_overflow_error(arena, top, call):
    r = arena.mk_reg("r", 4)
    with pytest.raises(OverflowError):
        call(arena, r)


@pytest.mark.parametrize("width", [1, 65536])
def test_widths_from_one_bit_to_the_maximum_are_accepted(arena, top, width):
    assert arena.get_hw_bit_sz(arena.mk_wire("w", width)) == width


@pytest.mark.parametrize("init_val", [0, 2**64 - 1])
def test_mk_val_takes_unsigned_64_bit_values(arena, top, init_val):
    assert arena.get_hw_bit_sz(arena.mk_val("c", 64, init_val)) == 64


@pytest.mark.parametrize("op", [26, 255, 2**32 - 1])
def test_enum_values_above_the_last_member_raise_value_error(arena, top, op):
    r = arena.mk_reg("r", 4)
    with pytest.raises(ValueError) as e:
        arena.mk_expression("e", op, r, r)
    assert str(e.value) == f"LogicOp index out of range: {op}"


def test_enum_members_and_plain_ints_are_interchangeable(arena, top):
    r = arena.mk_reg("r", 4)
    by_member = arena.mk_expression("e", v.LogicOp.RelationLe, r, r)
    by_int = arena.mk_expression("e", 11, r, r)
    assert arena.get_hw_bit_sz(by_member) == arena.get_hw_bit_sz(by_int) == 1


def test_defaults_apply_and_none_means_no_slice(arena, top):
    r = arena.mk_reg("r", 8)
    e = arena.mk_expression("e", v.LogicOp.BitwiseOr, r, r, None, b_slice=None)
    assert arena.get_hw_bit_sz(e) == 8
    s = arena.mk_expression("s", v.LogicOp.BitwiseOr, r, r, a_slice=v.Slice(2, 5))
    assert arena.get_hw_bit_sz(s) == 3


@pytest.mark.parametrize("value", ["1", 1.5, None, [1]])
def test_operand_that_is_neither_ident_nor_int(arena, top, value):
    r = arena.mk_reg("r", 4)
    with pytest.raises(TypeError) as e:
        arena.mk_expression("e", v.LogicOp.ArithPlus, r, value)
    name = type(value).__name__
    assert str(e.value) == (
        f"argument 'b': cannot convert {name} to PyOperand (Ident | Int): "
        f"alternative Ident: expected HcpIdent, got {name}; "
        f"alternative Int: expected int, got {name}"
    )


def test_operand_must_be_an_hcp_identity_not_another_identity(arena, top):
    r = arena.mk_reg("r", 4)
    with pytest.raises(TypeError, match="argument 'a': .*PyOperand.*got ModuleIdent"):
        arena.mk_expression("e", v.LogicOp.ArithPlus, top, r)
