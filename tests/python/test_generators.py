"""Combinational generators from Python: results, widths, generated names, warnings and refusals.
Their hardware is checked against Python references in test_simulation_generators.py."""

import re
import warnings

import pytest

import _velmora as v
from design_kit import Design

MAX_WIDTH = 65536

COND_NOT_ONE_BIT = "cond must be 1-bit, got {} (slice the cond variable down to one bit)"
NO_WIDTH_FROM_INTS = ("cannot infer a width from int operands alone — pass width=<bits> (an int "
                      "literal is sized by whatever it is used with)")
ROTATE_TOO_WIDE = ("{} width {} exceeds the signal's {} bits — a rotate is only a rotate over "
                   "bits that are there")
SUM_OF_NOTHING = "sum_cnt of no signals has no width — pass at least one"


def next_id(arena):
    """The global id the next object will take (ids are process-wide and only grow)."""
    return arena.mk_wire("probe", 1).global_id + 1


def emitted_text(d: Design, tmp_path) -> str:
    with d.flow(d.top):
        pass
    return d.emit(tmp_path).top_file.read_text()


def names_in(text: str, kind: str, name: str) -> list[str]:
    """Declared names "{KIND}_{name}_{id}" of the emitted text."""
    return re.findall(rf"^wire\s+(?:\[\d+:0\]\s+)?({kind}_{name}_\d+)\b", text, re.M)


# ---- gen_mux ---------------------------------------------------------------------------------


@pytest.fixture
def sigs(arena, top):
    return {
        "c": arena.mk_wire("c", 1),
        "flags": arena.mk_wire("flags", 8),
        "a8": arena.mk_reg("a8", 8),
        "b4": arena.mk_reg("b4", 4),
    }


@pytest.mark.parametrize(
    "kwargs, width",
    [
        (dict(if_true="a8", if_false="b4"), 8),
        (dict(if_true="b4", if_false="a8"), 4),
        (dict(if_true=3, if_false="b4"), 4),
        (dict(if_true="a8", if_false=1, true_slice=v.Slice(2, 5)), 3),
        (dict(if_true=1, if_false="a8", false_slice=v.Slice(0, 2)), 2),
        (dict(if_true="a8", if_false="b4", width=6), 6),
        (dict(if_true=3, if_false=5, width=4), 4),
        # An unusable slice stands for the whole signal.
        (dict(if_true="a8", if_false="b4", true_slice=v.Slice(4, 4)), 8),
    ],
)  # fmt: skip
def test_gen_mux_width_is_given_or_taken_from_the_first_signal_branch(arena, sigs, kwargs, width):
    kw = {k: sigs.get(val, val) if isinstance(val, str) else val for k, val in kwargs.items()}
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        m = arena.gen_mux("m", sigs["c"], None, **kw)
    assert m.hw_type == "WIRE"
    assert arena.get_hw_bit_sz(m) == width
    assert arena.hcp_verilog_name(m) == f"WIRE_m_{m.global_id}"


def test_gen_mux_of_two_ints_needs_a_width(arena, sigs):
    before = next_id(arena)
    with pytest.raises(TypeError) as e:
        arena.gen_mux("m", sigs["c"], None, 3, 5)
    assert str(e.value) == NO_WIDTH_FROM_INTS
    assert next_id(arena) == before + 1  # nothing was made


def test_gen_mux_int_branches_become_constants_named_after_the_mux(tmp_path):
    d = Design()
    with d.components(d.top):
        c = d.arena.mk_wire("c", 1)
        d.arena.gen_mux("m", c, None, 3, 5, width=4)
    text = emitted_text(d, tmp_path)
    consts = re.findall(r"wire \[3:0\]  VAL_m_c_\d+ = (4'h[0-9a-f]);", text)
    assert consts == ["4'h3", "4'h5"]


def test_gen_mux_condition_sliced_to_one_bit_makes_a_condslice(tmp_path):
    d = Design()
    with d.components(d.top):
        flags = d.arena.mk_wire("flags", 8)
        a = d.arena.mk_reg("a", 4)
        d.arena.gen_mux("m", flags, v.Slice(3, 4), a, 0)
    text = emitted_text(d, tmp_path)
    [slice_name] = names_in(text, "EXPR", "m_CONDSLICE")
    assert f"assign {slice_name} = WIRE_flags_" in text
    assert f"if ({slice_name}) begin" in text


@pytest.mark.parametrize(
    "cond, cond_slice, width, message",
    [
        ("flags", None, 4, COND_NOT_ONE_BIT.format(8)),
        ("flags", v.Slice(2, 4), 4, COND_NOT_ONE_BIT.format(2)),
        ("flags", v.Slice(8, 9), 4,
         "cond slice Slice { start: 8, stop: 9 } does not fit cond variable of width 8"),
        ("c", None, 0, "mux needs a width >= 1, got 0"),
        ("c", None, -4, "mux needs a width >= 1, got -4"),
    ],
)  # fmt: skip
def test_gen_mux_refuses_a_bad_condition_or_width_before_making_anything(
    arena, sigs, cond, cond_slice, width, message
):
    before = next_id(arena)
    with pytest.raises(ValueError) as e:
        arena.gen_mux("m", sigs[cond], cond_slice, 1, 2, width=width)
    assert str(e.value) == message
    assert next_id(arena) == before + 1


@pytest.mark.parametrize("width", [MAX_WIDTH + 1, 2**31 - 1])
def test_mux_width_above_the_bit_width_limit_is_refused(arena, sigs, width):
    before = next_id(arena)
    with pytest.raises(ValueError) as e:
        arena.gen_mux("m", sigs["c"], None, sigs["a8"], 0, width=width)
    assert str(e.value) == (f"mux needs a width <= {MAX_WIDTH}, got {width} (no signal is wider); "
                            "pass a narrower width")
    assert next_id(arena) == before + 1


def test_gen_mux_int_branch_must_fit_the_mux(arena, sigs):
    with pytest.raises(ValueError) as e:
        arena.gen_mux("m", sigs["c"], None, sigs["b4"], 16)
    assert str(e.value) == (
        "argument 'if_false': 16 does not fit in 4 bits, the width of the mux (4 bits hold -8 to "
        "15 as unsigned or two's complement values); use a value in that range or a wider signal")


def test_gen_mux_branch_slice_must_lie_within_its_signal(arena, sigs):
    with pytest.raises(ValueError, match=r"^argument 'true_slice': Slice \{ start: 2, stop: 9 \}"):
        arena.gen_mux("m", sigs["c"], None, sigs["a8"], 0, true_slice=v.Slice(2, 9))


@pytest.mark.parametrize(
    "if_true, if_false, width, expected",
    [
        ("a8", "b4", None, ["assignment source (4 bits) is narrower than destination 'm' (8 bits); "
                            "zero-extended (unsigned) to fit"]),
        ("b4", "a8", None, ["assignment source (8 bits) is wider than destination 'm' (4 bits); "
                            "MSBs dropped to fit"]),
        ("a8", "a8", None, []),
        (3, 5, 4, []),
    ],
)  # fmt: skip
def test_gen_mux_warns_when_a_branch_is_resized_as_an_assignment_does(
    arena, sigs, if_true, if_false, width, expected
):
    operands = [sigs.get(x, x) if isinstance(x, str) else x for x in (if_true, if_false)]
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        arena.gen_mux("m", sigs["c"], None, *operands, width=width)
    assert [str(w.message) for w in caught] == expected


def test_generators_are_refused_after_build_flow(arena, top):
    c = arena.mk_wire("c", 1)
    arena.untrack_module_at_com_init(top)
    arena.set_top_module(top)
    arena.build_flow()
    calls = {
        "gen_mux": lambda: arena.gen_mux("m", c, None, c, c),
        "gen_rotate_left": lambda: arena.gen_rotate_left("r", c, None, 1),
        "gen_rotate_right": lambda: arena.gen_rotate_right("r", c, None, 1),
        "gen_any_of": lambda: arena.gen_any_of("a", [(c, None), (c, None)]),
        "gen_sum_cnt": lambda: arena.gen_sum_cnt("s", [(c, None)]),
    }
    for method, call in calls.items():
        with pytest.raises(ValueError) as e:
            call()
        assert str(e.value) == (f"{method}: build_flow has already built the design's control; "
                                "nothing can be added to the model after it")


def test_gen_mux_leaves_the_flow_block_stack_unchanged(tmp_path):
    d = Design()
    ar = d.arena
    with d.components(d.top):
        sel = ar.mk_wire("sel", 1)
        r = ar.mk_reg("r", 4)
        ar.mark_as_io(r, False, "r")
    with d.flow(d.top):
        outer = ar.mk_flow_block_seq("outer")
        ar.initialize_flow_block(outer)
        ar.gen_basic_assign(r, 1)
        ar.gen_mux("m", sel, None, r, 0)
        # The next assignment is still the sequence's next step, and the sequence still closes
        # as the innermost open block.
        ar.gen_basic_assign(r, 2)
        ar.check_flow_block_prefinalize(outer)
        ar.finalize_flow_block(outer)
        ar.gen_mux("after", sel, None, r, 0)
    text = d.emit(tmp_path).top_file.read_text()
    assert text.count("reg   SR_ST_seq_state_") == 2
    assert "zif" not in text and "zelse" not in text


# ---- rotations -------------------------------------------------------------------------------


@pytest.mark.parametrize("method", ["gen_rotate_left", "gen_rotate_right"])
@pytest.mark.parametrize(
    "amount, width", [(0, None), (8, None), (-8, None), (24, None), (3, 3), (-6, 3)]
)
def test_rotation_by_a_multiple_of_its_width_creates_nothing(arena, top, method, amount, width):
    x = arena.mk_reg("x", 8)
    before = next_id(arena)
    assert getattr(arena, method)("r", x, None, amount, width) is None
    assert next_id(arena) == before + 1


@pytest.mark.parametrize("method", ["gen_rotate_left", "gen_rotate_right"])
@pytest.mark.parametrize(
    "sig_slice, width, result_width",
    [(None, None, 8), (v.Slice(2, 7), None, 5), (None, 3, 3), (v.Slice(1, 7), 4, 4),
     (v.Slice(5, 5), None, 8)],
)  # fmt: skip
def test_rotation_result_is_as_wide_as_the_rotated_bits(
    arena, top, method, sig_slice, width, result_width
):
    x = arena.mk_reg("x", 8)
    r = getattr(arena, method)("r", x, sig_slice, 1, width)
    assert r.hw_type == "EXPR"
    assert arena.get_hw_bit_sz(r) == result_width


def test_rotation_names_its_parts_after_the_result(tmp_path):
    d = Design()
    with d.components(d.top):
        x = d.arena.mk_reg("x", 8)
        d.arena.gen_rotate_left("rot", x, None, 3)
    text = emitted_text(d, tmp_path)
    assert re.findall(r"wire \[7:0\]  VAL_rot_c_\d+ = (8'h[0-9a-f]+);", text) == ["8'h3", "8'h5"]
    [shl] = names_in(text, "EXPR", "rot_shl")
    [shr] = names_in(text, "EXPR", "rot_shr")
    [rot] = names_in(text, "EXPR", "rot")
    assert f"assign {rot} = {shl} | {shr};" in text


@pytest.mark.parametrize(
    "method, op",
    [("gen_rotate_left", "rotate_left"), ("gen_rotate_right", "rotate_right")],
)
@pytest.mark.parametrize(
    "sig_slice, width, message",
    [
        (None, 0, "{} needs a width >= 1, got 0"),
        (None, -1, "{} needs a width >= 1, got -1"),
        (None, 9, ROTATE_TOO_WIDE.format("{}", 9, 8)),
        (v.Slice(2, 6), 5, ROTATE_TOO_WIDE.format("{}", 5, 4)),
    ],
)  # fmt: skip
def test_rotation_refuses_a_bad_width_before_making_anything(
    arena, top, method, op, sig_slice, width, message
):
    x = arena.mk_reg("x", 8)
    before = next_id(arena)
    with pytest.raises(ValueError) as e:
        getattr(arena, method)("r", x, sig_slice, 1, width)
    assert str(e.value) == message.format(op)
    assert next_id(arena) == before + 1


def test_rotation_slice_must_lie_within_the_signal(arena, top):
    x = arena.mk_reg("x", 8)
    with pytest.raises(ValueError, match=r"^argument 'sig_slice': Slice \{ start: 4, stop: 12 \}"):
        arena.gen_rotate_left("r", x, v.Slice(4, 12), 1)


# ---- any-of and sum count --------------------------------------------------------------------


def test_any_of_no_term_is_a_one_bit_zero_and_one_term_is_none(tmp_path):
    d = Design()
    with d.components(d.top):
        x = d.arena.mk_reg("x", 4)
        none = d.arena.gen_any_of("none", [])
        assert none.hw_type == "VAL"
        assert d.arena.get_hw_bit_sz(none) == 1
        before = next_id(d.arena)
        assert d.arena.gen_any_of("one", [(x, v.Slice(0, 2))]) is None
        assert next_id(d.arena) == before + 1
    text = emitted_text(d, tmp_path)
    assert re.search(r"wire  VAL_none_\d+ = 1'b0;", text)


@pytest.mark.parametrize("n, pairs", [(2, 1), (3, 2), (5, 4), (8, 7)])
def test_any_of_builds_one_pair_expression_per_term_but_one(tmp_path, n, pairs):
    d = Design()
    with d.components(d.top):
        bits = [d.arena.mk_wire(f"b{i}", 1) for i in range(n)]
        r = d.arena.gen_any_of("any", [(b, None) for b in bits])
        assert d.arena.get_hw_bit_sz(r) == 1
    text = emitted_text(d, tmp_path)
    assert len(names_in(text, "EXPR", "any_t")) == pairs


def reference_sum_width(n: int, m: int) -> int:
    if m > 100:
        return m + (n - 1).bit_length()
    return (n * (2**m - 1)).bit_length()


@pytest.mark.parametrize(
    "n, m",
    [(1, 1), (3, 1), (4, 1), (7, 1), (8, 1), (9, 1), (3, 5), (2, 63), (3, 64), (5, 64),
     (3, 100), (2, 101), (3, 101), (5, 101), (2, MAX_WIDTH - 1)],
)  # fmt: skip
def test_sum_cnt_width_holds_the_largest_sum(arena, top, n, m):
    wide = arena.mk_reg("wide", m)
    r = arena.gen_sum_cnt("sum", [(wide, None)] * n)
    assert arena.get_hw_bit_sz(r) == reference_sum_width(n, m)


def test_sum_cnt_width_comes_from_the_widest_term(arena, top):
    x = arena.mk_reg("x", 8)
    r = arena.gen_sum_cnt("sum", [(x, v.Slice(0, 1)), (x, v.Slice(1, 6)), (x, None)])
    assert arena.get_hw_bit_sz(r) == reference_sum_width(3, 8)
    assert arena.get_hw_bit_sz(arena.gen_sum_cnt("given", [(x, None)], width=13)) == 13


@pytest.mark.parametrize("n", [1, 2, 5])
def test_sum_cnt_extends_each_term_then_adds_pairwise(tmp_path, n):
    d = Design()
    with d.components(d.top):
        bits = [d.arena.mk_wire(f"b{i}", 1) for i in range(n)]
        d.arena.gen_sum_cnt("sum", [(b, None) for b in bits])
    text = emitted_text(d, tmp_path)
    assert len(names_in(text, "EXPR", "sum_ext")) == n
    assert len(names_in(text, "EXPR", "sum_t")) == n - 1


@pytest.mark.parametrize("width", [0, -1, MAX_WIDTH + 1])
def test_sum_cnt_width_outside_the_bit_width_limit_is_refused(arena, top, width):
    x = arena.mk_reg("x", 4)
    before = next_id(arena)
    with pytest.raises(ValueError) as e:
        arena.gen_sum_cnt("sum", [(x, None), (x, None)], width=width)
    assert str(e.value) == f"sum_cnt needs a width from 1 to {MAX_WIDTH}, got {width}"
    assert next_id(arena) == before + 1


def test_sum_cnt_inferred_width_of_wide_terms_does_not_overflow(arena, top):
    widest = arena.mk_reg("widest", MAX_WIDTH)
    before = next_id(arena)
    with pytest.raises(ValueError) as e:
        arena.gen_sum_cnt("sum", [(widest, None)] * 3)
    assert str(e.value) == (
        f"sum_cnt of 3 terms of up to {MAX_WIDTH} bits needs {MAX_WIDTH + 2} bits, more than the "
        f"{MAX_WIDTH}-bit limit of a signal; pass a narrower width (the sum is then kept modulo "
        "2^width)")
    assert next_id(arena) == before + 1
    # A width given by the caller needs no inference.
    assert arena.get_hw_bit_sz(arena.gen_sum_cnt("sum", [(widest, None)] * 3, width=8)) == 8


def test_sum_cnt_of_no_term_is_refused(arena, top):
    with pytest.raises(ValueError) as e:
        arena.gen_sum_cnt("sum", [])
    assert str(e.value) == SUM_OF_NOTHING


@pytest.mark.parametrize("method", ["gen_any_of", "gen_sum_cnt"])
@pytest.mark.parametrize(
    "terms, error, message",
    [
        (5, TypeError, "argument '{arg}': expected a sequence of (HcpIdent, Slice or None) pairs, "
                       "got int"),
        ("ab", TypeError, "argument '{arg}': expected a sequence of (HcpIdent, Slice or None) "
                          "pairs, got str"),
        ([("x",)], TypeError, "argument '{arg}': item 0: expected an (HcpIdent, Slice or None) "
                              "pair, got tuple"),
        ([("x", None), (3, None)], TypeError, "argument '{arg}': item 1: expected an (HcpIdent, "
                                              "Slice or None) pair, got (int, NoneType)"),
        ([("x", (0, 1))], TypeError, "argument '{arg}': item 0: expected an (HcpIdent, Slice or "
                                     "None) pair, got (HcpIdent, tuple)"),
        ([("x", v.Slice(2, 9)), ("x", None)], ValueError,
         "argument '{arg}': Slice {{ start: 2, stop: 9 }} does not lie within REG_x_{id} (8 bits): "
         "a slice needs 0 <= start < stop <= 8"),
    ],
)  # fmt: skip
def test_term_lists_are_checked_item_by_item(arena, top, method, terms, error, message):
    x = arena.mk_reg("x", 8)
    if isinstance(terms, list):
        terms = [tuple(x if part == "x" else part for part in t) for t in terms]
    arg = "terms" if method == "gen_any_of" else "bits"
    with pytest.raises(error) as e:
        getattr(arena, method)("g", terms)
    assert str(e.value) == message.format(arg=arg, id=x.global_id)


def test_term_from_another_arena_is_refused(arena, top):
    other = v.ModelArena()
    other.track_module_at_com_init(other.mk_module("m"))
    stranger = other.mk_reg("stranger", 1)
    mine = arena.mk_reg("mine", 1)
    with pytest.raises(ValueError, match=r"^argument 'terms': REG_stranger_\d+ is not a component"):
        arena.gen_any_of("any", [(mine, None), (stranger, None)])
