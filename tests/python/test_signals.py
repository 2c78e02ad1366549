"""Signals and storage: widths, reset and default values, IO marks, memories."""

import pytest

import _velmora as v


@pytest.mark.parametrize(
    "make, width",
    [
        (lambda a: a.mk_reg("r", 8), 8),
        (lambda a: a.mk_wire("w", 3), 3),
        (lambda a: a.mk_val("c", 12, 0x1FF), 12),
        (lambda a: a.mk_val_vv("c", 70, [1, 2, 3]), 70),
        (lambda a: a.mk_val_vv("c", 130, (1,)), 130),
        (lambda a: a.mk_mem_blk("m", 16, 4), 16),
    ],
)
def test_get_hw_bit_sz_reads_the_width(arena, top, make, width):
    assert arena.get_hw_bit_sz(make(arena)) == width


def test_second_reset_value_is_refused(arena, top):
    r = arena.mk_reg("r", 4)
    z = arena.mk_val("z", 4, 0)
    arena.set_reg_reset(r, z)
    with pytest.raises(ValueError) as e:
        arena.set_reg_reset(reset_val_i=arena.mk_val("y", 4, 1), reg_i=r)
    assert str(e.value) == (
        f"argument 'reset_val_i': reset_val is set already; REG_r_{r.global_id} has the reset "
        f"value VAL_z_{z.global_id}, and a register takes one"
    )


def test_second_default_value_is_refused(arena, top):
    w = arena.mk_wire("w", 4)
    z = arena.mk_val("z", 4, 0)
    arena.set_wire_default(w, z)
    with pytest.raises(ValueError) as e:
        arena.set_wire_default(w, z)
    assert str(e.value) == (
        f"argument 'default_val_i': default_val is set already; WIRE_w_{w.global_id} has the "
        f"default value VAL_z_{z.global_id}, and a wire takes one"
    )


def test_io_mark(arena, top):
    r = arena.mk_reg("r", 4)
    w = arena.mk_wire("w", 4)
    assert arena.is_marked_as_io(r) is False
    arena.mark_as_io(r, False, "out_r")
    arena.mark_as_io(r, True, io_name="in_r")
    assert arena.is_marked_as_io(r) is True
    assert arena.is_marked_as_io(w) is False


@pytest.mark.parametrize(
    "call, message",
    [
        (lambda a: a.mk_mem_blk("m", 0, 4), "argument 'bit_width': bit width must be 1 to 65536, got 0"),
        (lambda a: a.mk_mem_blk("m", 8, 0), "argument 'index_width': index width must be 1 to 32, got 0"),
        (lambda a: a.mk_mem_ele("e", a.mk_mem_blk("m", 8, 2), a.mk_wire("i", 2), 0, False),
         "argument 'bit_width': bit width must be 1 to 65536, got 0"),
    ],
)  # fmt: skip
def test_memory_widths_below_one_are_refused(arena, top, call, message):
    with pytest.raises(ValueError) as e:
        call(arena)
    assert str(e.value) == message


def test_mem_ele_accepts_keywords(arena, top):
    mem = arena.mk_mem_blk("mem", 8, 2)
    idx = arena.mk_wire("idx", 2)
    ele = arena.mk_mem_ele(
        is_read=False, bit_width=8, index_ident=idx, master_mem_blk_i=mem, name="wr"
    )
    assert arena.get_hw_bit_sz(ele) == 8


def test_identity_of_another_arena_is_refused(arena, top):
    other = v.ModelArena()
    m = other.mk_module("m")
    other.track_module_at_com_init(m)
    for _ in range(3):
        other.mk_reg("pad", 1)
    foreign = other.mk_reg("foreign", 4)
    with pytest.raises(ValueError) as e:
        arena.get_hw_bit_sz(foreign)
    assert str(e.value) == (
        f"argument 'hcp_i': REG_foreign_{foreign.global_id} is not a component of this arena "
        "(an identity from another ModelArena, or one kept after BackendVerilog took the model)"
    )
