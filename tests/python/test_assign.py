"""User assignments: width fitting warnings, int sources, re-entrance through warning hooks."""

import warnings

import pytest

import _velmora as v


@pytest.fixture
def sigs(arena, top):
    return {
        "acc": arena.mk_reg("acc", 8),
        "w4": arena.mk_wire("w4", 4),
        "w8": arena.mk_wire("w8", 8),
        "w16": arena.mk_wire("w16", 16),
    }


def assign_warnings(arena, *args, **kwargs):
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        arena.gen_basic_assign(*args, **kwargs)
    return [(w.category, str(w.message)) for w in caught]


def test_narrower_source_is_zero_extended_with_a_warning(arena, sigs):
    assert assign_warnings(arena, sigs["acc"], sigs["w4"]) == [
        (
            UserWarning,
            "assignment source (4 bits) is narrower than destination 'acc' (8 bits); "
            "zero-extended (unsigned) to fit",
        )
    ]


def test_wider_source_drops_msbs_with_a_warning(arena, sigs):
    assert assign_warnings(arena, sigs["acc"], sigs["w16"]) == [
        (
            UserWarning,
            "assignment source (16 bits) is wider than destination 'acc' (8 bits); "
            "MSBs dropped to fit",
        )
    ]


@pytest.mark.parametrize(
    "src, kwargs",
    [
        ("w8", {}),
        ("w16", {"src_slice": v.Slice(8, 16)}),
        ("w4", {"des_slice": v.Slice(4, 8)}),
        (1, {}),
        (-1, {}),
        (7, {"des_slice": v.Slice(0, 3)}),
    ],
)
def test_fitting_sources_warn_nothing(arena, sigs, src, kwargs):
    src = sigs[src] if isinstance(src, str) else src
    assert assign_warnings(arena, sigs["acc"], src, **kwargs) == []


def test_destination_slice_sets_the_destination_width(arena, sigs):
    assert assign_warnings(arena, des_i=sigs["acc"], src=sigs["w8"], des_slice=v.Slice(0, 2)) == [
        (
            UserWarning,
            "assignment source (8 bits) is wider than destination 'acc' (2 bits); "
            "MSBs dropped to fit",
        )
    ]


def test_warning_turned_into_an_error_is_the_result(arena, sigs):
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        with pytest.raises(UserWarning, match="MSBs dropped to fit"):
            arena.gen_basic_assign(sigs["acc"], sigs["w16"])
    # The arena was released.
    assert arena.get_hw_bit_sz(arena.mk_reg("after", 3)) == 3


@pytest.mark.parametrize(
    "reenter, message",
    [
        (lambda a, s: a.mk_reg("inner", 1), "Already borrowed"),
        (lambda a, s: a.gen_basic_assign(s["acc"], 1), "Already borrowed"),
        (lambda a, s: a.set_asm_pri_to_auto(), "Already borrowed"),
        (lambda a, s: a.get_asm_pri_val(), "Already mutably borrowed"),
        (lambda a, s: a.get_asm_pri_mode(), "Already mutably borrowed"),
        (lambda a, s: a.get_hw_bit_sz(s["acc"]), "Already mutably borrowed"),
        (lambda a, s: a.is_marked_as_io(s["acc"]), "Already mutably borrowed"),
        (lambda a, s: a.get_last_skeleton_flow_block_type(), "Already mutably borrowed"),
    ],
)
def test_reentering_a_busy_arena_from_a_warning_hook(arena, sigs, reenter, message):
    seen = []

    def hook(*_args, **_kwargs):
        try:
            reenter(arena, sigs)
        except RuntimeError as e:
            seen.append(str(e))
            raise

    with warnings.catch_warnings():
        warnings.simplefilter("always")
        warnings.showwarning = hook
        with pytest.raises(RuntimeError) as e:
            arena.gen_basic_assign(sigs["acc"], sigs["w4"])
    assert seen == [message]
    assert str(e.value) == message
    assert arena.get_asm_pri_val() == 10
    assert arena.get_hw_bit_sz(arena.mk_wire("after", 2)) == 2


def test_other_arena_may_be_used_from_a_warning_hook(arena, sigs):
    other = v.ModelArena()
    made = []

    def hook(*_args, **_kwargs):
        made.append(other.mk_module("from_hook"))

    with warnings.catch_warnings():
        warnings.simplefilter("always")
        warnings.showwarning = hook
        arena.gen_basic_assign(sigs["acc"], sigs["w4"])
    assert [m.depth_level for m in made] == [0]


def probe_id():
    """The global id the next identity of the process takes."""
    return v.ModelArena().mk_module("probe").global_id + 1


@pytest.mark.parametrize(
    "make, kind, what, refusal, remedy",
    [
        (lambda a, s: a.mk_val("c", 8, 1), "VAL", "a constant",
         "Val::do_asm should not be called", "assign to a register or a wire"),
        (lambda a, s: a.mk_expression("c", v.LogicOp.ArithPlus, s["w8"], 1), "EXPR",
         "an expression, computed from its operands,", "Expression::do_asm — not implemented",
         "assign to a register or a wire"),
        (lambda a, s: a.mk_mem_blk("c", 8, 2), "MEM_BLOCK", "a memory block",
         "MemBlk is not an assignment destination", "assign to one of its ports (mk_mem_ele)"),
    ],
    ids=["constant", "expression", "memory_block"],
)  # fmt: skip
def test_assignment_into_a_constant_expression_or_memory_block_is_a_type_error(
        arena, sigs, make, kind, what, refusal, remedy):
    des = make(arena, sigs)
    before = probe_id()
    with pytest.raises(TypeError) as e:
        arena.gen_basic_assign(des, sigs["w4"])
    assert str(e.value) == (
        f"argument 'des_i': {kind}_c_{des.global_id} is {what} and cannot be assigned "
        f"({refusal}); {remedy}"
    )
    # Refused before the source was widened or any node made.
    assert probe_id() == before + 1
    arena.gen_basic_assign(sigs["acc"], sigs["w8"])
