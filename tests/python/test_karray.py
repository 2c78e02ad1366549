"""Karrays from Python: creation, element numbering and names, queries, reads and writes with
every selector kind, the select fn contract of a reduce, warnings, and the refusals of a caller's
mistakes (each raised before anything is created)."""

import re
import warnings

import pytest

import _velmora as v

REG = v.HwComponentType.REG
WIRE = v.HwComponentType.WIRE


def next_id(arena) -> int:
    """The global id the next object takes (made with a throwaway wire)."""
    return arena.mk_wire("probe", 1).global_id + 1


def name(arena, hcp) -> str:
    return arena.hcp_verilog_name(hcp)


def static(*idx):
    return [("static", [i], []) for i in idx]


@pytest.fixture
def k23(arena, top):
    """shape [2, 3], fields a (4 bits) and b (1 bit), reg-backed."""
    return arena.mk_karray("k", [2, 3], [("a", 4), ("b", 1)], REG)


def test_mk_karray_makes_every_element_field_then_the_array(arena, top):
    first = next_id(arena)
    k = arena.mk_karray("k", [2, 3], [("a", 4), ("b", 1)], REG)
    assert isinstance(k, v.CcpIdent)
    assert k.ccp_type == "KARRAY"
    assert repr(k) == f"CcpIdent(global_id={k.global_id}, ccp_type=KARRAY)"
    assert arena.karray_shape(k) == [2, 3]
    assert arena.karray_fields(k) == [("a", 4), ("b", 1)]
    assert arena.karray_is_clocked(k) is True
    # 12 signals, element-major, in row-major element order; the array's identity comes last.
    assert k.global_id == first + 12
    for e in range(6):
        for f, (field, width) in enumerate((("a", 4), ("b", 1))):
            sig = arena.karray_element_hcp(k, [e // 3, e % 3], field)
            assert sig.global_id == first + 2 * e + f
            assert name(arena, sig) == f"REG_k_E{e}_{field}_{sig.global_id}"
            assert arena.get_hw_bit_sz(sig) == width


def test_wire_backed_array_is_made_of_wires(arena, top):
    k = arena.mk_karray("w", [4], [("v", 8)], WIRE)
    assert arena.karray_is_clocked(k) is False
    sig = arena.karray_element_hcp(k, [3], "v")
    assert (sig.hw_type, name(arena, sig)) == ("WIRE", f"WIRE_w_E3_v_{sig.global_id}")


def test_backing_may_be_given_as_its_int(arena, top):
    assert arena.karray_is_clocked(arena.mk_karray("w", [1], [("v", 1)], 6)) is False


def test_static_read_is_the_element_itself(arena, k23):
    first = next_id(arena)
    sig = arena.karray_read_field_hcp(k23, static(1, 2), None, "b")
    assert name(arena, sig) == f"REG_k_E5_b_{sig.global_id}"
    assert next_id(arena) == first + 1


def test_dynamic_read_returns_the_root_of_its_mux_tree(arena, top):
    k = arena.mk_karray("k", [5], [("v", 8)], REG)
    idx = arena.mk_wire("idx", 3)
    out = arena.karray_read_field_hcp(k, [("dyn", [], [idx])], [], "v")
    # The last of the levels of 5, 3, 2 and 1 candidates.
    assert name(arena, out) == f"WIRE_k_D0L2N0F0_DMUX_{out.global_id}"
    assert arena.get_hw_bit_sz(out) == 8


def test_reset_with_an_int_makes_one_kconst_c_constant(arena, k23):
    first = next_id(arena)
    arena.karray_reset_field(k23, "a", 9)
    assert next_id(arena) == first + 2  # the constant only


# ---- the select fn of a reduce -----------------------------------------------------------------

def test_select_fn_sees_whole_candidates_and_may_build_logic_through_the_arena(arena, top):
    k = arena.mk_karray("k", [3], [("score", 8), ("id", 2)], REG)
    seen = []

    def pick_higher(a, a_idx, b, b_idx, level):
        seen.append(([n for n, _ in a], a_idx, [n for n, _ in b], b_idx, level))
        sa, sb = dict(a)["score"], dict(b)["score"]
        # Logic made while the read runs: the arena is free for the select fn.
        ge = arena.mk_expression(f"ge{level}", v.LogicOp.RelationGeq, sa, sb)
        return ge, []

    out = arena.karray_read_field_hcp(k, [("reduce", [], [])], [pick_higher], "id")
    assert seen == [(["score", "id"], [0], ["score", "id"], [1], 0),
                    (["score", "id"], [0, 1], ["score", "id"], [2], 1)]
    assert out.hw_type == "WIRE" and arena.get_hw_bit_sz(out) == 2


def test_select_fns_may_be_given_by_dimension(arena, top):
    k = arena.mk_karray("k", [2, 2], [("v", 8)], REG)
    levels = []

    def pick(a, a_idx, b, b_idx, level):
        levels.append(level)
        return arena.mk_wire("p", 1), []

    arena.karray_read_field_hcp(k, [("static", [0], []), ("reduce", [], [])], {1: pick}, "v")
    arena.karray_read_field_hcp(k, [("static", [1], []), ("reduce", [], [])], [None, pick], "v")
    assert levels == [0, 0]


def test_select_fn_extras_are_merged_by_name(arena, top):
    k = arena.mk_karray("k", [4], [("v", 8)], REG)
    seen = []

    def tag(a, a_idx, b, b_idx, level):
        seen.append([n for n, _ in a])
        return arena.mk_wire("p", 1), [("tag", arena.mk_wire(f"t{a_idx[0]}", 2))]

    arena.karray_read_field_hcp(k, [("reduce", [], [])], [tag], "v")
    assert seen == [["v"], ["v"], ["v", "tag"]]


def test_select_fn_exception_reaches_the_caller_with_the_model_consistent(arena, top, tmp_path):
    k = arena.mk_karray("k", [4], [("v", 8)], REG)

    class Boom(Exception):
        pass

    def failing(a, a_idx, b, b_idx, level):
        if level == 1:
            raise Boom("no pick")
        return arena.mk_wire("p", 1), []

    with pytest.raises(Boom, match="no pick"):
        arena.karray_read_field_hcp(k, [("reduce", [], [])], [failing], "v")
    # The array is in its slot and the arena takes calls again, up to the emitted Verilog.
    assert arena.karray_shape(k) == [4]
    out = arena.karray_read_field_hcp(k, static(2), None, "v")
    arena.mark_as_io(out, False, "out")
    arena.untrack_module_at_com_init(top)
    arena.set_top_module(top)
    arena.build_flow()
    v.BackendVerilog(arena).emit(str(tmp_path), "top")
    assert (tmp_path / "top.v").exists()


@pytest.mark.parametrize(
    "answer, exc, message",
    [
        (lambda ar, bit: None, TypeError,
         "the select fn of dimension 0 must return a (pick_a, extras) pair, got NoneType"),
        (lambda ar, bit: (bit,), TypeError,
         "the select fn of dimension 0 must return a (pick_a, extras) pair, got tuple"),
        (lambda ar, bit: ("bit", []), TypeError,
         "the select fn of dimension 0 must return an HcpIdent as pick_a, got str"),
        (lambda ar, bit: (bit, None), TypeError,
         "the select fn of dimension 0 must return a list of (name, HcpIdent) pairs as extras, "
         "got NoneType"),
        (lambda ar, bit: (bit, [("x", 3)]), TypeError,
         "the select fn of dimension 0: extra 0 must be a (name, HcpIdent) pair, got tuple"),
        (lambda ar, bit: (ar.mk_wire("wide", 2), []), ValueError,
         "the select fn of dimension 0 must return a 1-bit pick, got 2 bits"),
        (lambda ar, bit: (_foreign_bit(), []), ValueError,
         "the select fn of dimension 0 returned a pick: WIRE_f_"),
    ],
    ids=["none", "one_item", "pick_not_a_signal", "extras_not_a_list", "extra_not_a_pair",
         "wide_pick", "foreign_pick"],
)
def test_select_fn_answer_is_checked(arena, top, answer, exc, message):
    k = arena.mk_karray("k", [2], [("v", 8)], REG)
    bit = arena.mk_wire("bit", 1)
    with pytest.raises(exc, match="^Karray reduce: " + re.escape(message)):
        arena.karray_read_field_hcp(k, [("reduce", [], [])], [lambda *a: answer(arena, bit)], "v")


def _foreign_bit():
    other = v.ModelArena()
    m = other.mk_module("f")
    other.track_module_at_com_init(m)
    for _ in range(50):  # a handle this arena's wire group does not hold
        w = other.mk_wire("f", 1)
    return w


@pytest.mark.parametrize("step", ["untrack", "track", "open_block", "backend"])
def test_select_fn_may_only_build_logic(arena, top, step):
    k = arena.mk_karray("k", [2], [("v", 8)], REG)
    m = arena.mk_module("other")

    def meddle(a, a_idx, b, b_idx, level):
        pick = arena.mk_wire("p", 1)
        if step == "untrack":
            arena.untrack_module_at_com_init(top)
        elif step == "track":
            arena.track_module_at_com_init(m)
        elif step == "open_block":
            arena.untrack_module_at_com_init(top)
            arena.track_module_at_flow_init(top)
            arena.initialize_flow_block(arena.mk_flow_block_seq("s"))
        else:
            arena.set_top_module(top)
            v.BackendVerilog(arena)
        return pick, []

    with pytest.raises(ValueError, match="^Karray reduce: the select fn of dimension 0 changed "
                                         "the module or flow block being described"):
        arena.karray_read_field_hcp(k, [("reduce", [], [])], [meddle], "v")


# ---- warnings ----------------------------------------------------------------------------------

def test_sources_naming_no_field_are_skipped_with_a_warning(arena, k23):
    d = arena.mk_wire("d", 4)
    with pytest.warns(UserWarning, match="^karray assign: skipped sources with no matching "
                                         "field$"):
        arena.karray_assign_hcps(k23, static(0, 0), {"a": d, "zz": d}, True)


def test_skip_warning_turned_error_leaves_nothing_made(arena, k23):
    d = arena.mk_wire("d", 4)
    first = next_id(arena)
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        with pytest.raises(UserWarning, match="skipped sources"):
            arena.karray_assign_hcps(k23, static(0, 0), {"a": 3, "zz": d}, True)
    assert next_id(arena) == first + 1


@pytest.mark.parametrize(
    "src_width, message",
    [
        (2, "assignment source (2 bits) is narrower than destination 'k_E4_a' (4 bits); "
            "zero-extended (unsigned) to fit"),
        (7, "assignment source (7 bits) is wider than destination 'k_E4_a' (4 bits); MSBs "
            "dropped to fit"),
    ],
    ids=["narrower", "wider"],
)
def test_write_source_of_another_width_is_fitted_with_the_assignment_warning(arena, k23,
                                                                             src_width, message):
    d = arena.mk_wire("d", src_width)
    with pytest.warns(UserWarning, match=f"^{re.escape(message)}$"):
        arena.karray_assign_hcps(k23, static(1, 1), {"a": d}, True)


def test_equal_widths_warn_nothing(arena, k23):
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        arena.karray_assign_hcps(k23, static(1, 1), {"a": arena.mk_wire("d", 4)}, True)


def test_copy_skips_destination_fields_without_a_name_and_width_match(arena, top):
    src = arena.mk_karray("s", [2], [("a", 8), ("b", 4)], REG)
    dst = arena.mk_karray("t", [2], [("a", 8), ("b", 8), ("c", 1)], REG)
    with pytest.warns(UserWarning, match=r"^karray-to-karray assign: skipped destination fields "
                                         r"with no name\+width match$"):
        arena.karray_assign_k2k(dst, static(0), src, static(1), None, True)


# ---- refusals ----------------------------------------------------------------------------------

def mk(shape=(2,), fields=(("v", 8),), backing=REG, name="k"):
    return lambda ar: ar.mk_karray(name, list(shape), list(fields), backing)


@pytest.mark.parametrize(
    "make, exc, message",
    [
        (mk(backing=v.HwComponentType.VAL), ValueError,
         "Karray backing must be HwComponentType.REG / WIRE, got HwComponentType.VAL"),
        (mk(backing=13), ValueError, "HwComponentType index out of range: 13"),
        (mk(shape=()), ValueError, "Karray 'k': shape must have at least one dimension"),
        (mk(shape=(2, 0)), ValueError, "Karray 'k': every dimension must be positive"),
        (mk(fields=()), ValueError, "Karray 'k': element must have at least one field"),
        (mk(fields=(("v", 8), ("w", 0))), ValueError,
         "KarrayType: field 'w' width must be positive, got 0"),
        (mk(fields=(("v", -3),)), ValueError, "KarrayType: field 'v' width must be positive, got -3"),
        (mk(fields=(("v", 8), ("v", 1))), ValueError,
         "Karray 'k': field 'v' is declared twice; field names must be distinct"),
        (mk(fields=(("v", 70000),)), ValueError,
         "KarrayType: field 'v' width must be at most 65536 bits, got 70000"),
        (mk(shape=(1025, 1024)), ValueError,
         "Karray 'k': 1049600 elements (the product of the shape) exceed the limit of 1048576 "
         "(2^20); every field of every element is a signal of its own, so use fewer or smaller "
         "dimensions"),
        (mk(shape=(2**40, 2**40, 2**40)), ValueError,
         "Karray 'k': more than 18446744073709551615 elements (the product of the shape) exceed "
         "the limit of 1048576 (2^20)"),
        (mk(shape=(1024, 1024), fields=(("v", 5),)), ValueError,
         "Karray 'k': 5242880 bits (1048576 elements of 5 bits) exceed the limit of 4194304 bits "
         "(2^22); use fewer elements or narrower fields"),
        (mk(shape=(-1,)), OverflowError, ""),
        (mk(fields=(("v",),)), TypeError, "argument 'fields': item 0: expected a (name, width) "
                                          "pair, got tuple"),
        (mk(name="k" * 129), ValueError, "Karray '" + "k" * 129 + "': the name is 129 bytes long"),
    ],
    ids=["backing_val", "backing_range", "empty_shape", "zero_dim", "no_fields", "zero_width",
         "negative_width", "duplicate_field", "field_too_wide", "too_many_elements",
         "count_past_64_bits", "too_many_bits", "negative_dim", "field_not_a_pair", "long_name"],
)
def test_mk_karray_refusals(arena, top, make, exc, message):
    first = next_id(arena)
    with pytest.raises(exc, match="^" + re.escape(message)):
        make(arena)
    assert next_id(arena) == first + 1


def sel_of(arena, kind):
    """Selectors over the [2, 3] array `k23`."""
    i1 = arena.mk_wire("i1", 1)
    j1 = arena.mk_wire("j1", 1)
    j2 = arena.mk_wire("j2", 2)
    e = arena.mk_wire("e", 1)
    e4 = arena.mk_wire("e4", 4)
    return {
        "ok": [("dyn", [], [i1]), ("dyn", [], [j2])],
        "short": [("static", [0], [])],
        "static_oor": [("static", [0], []), ("static", [3], [])],
        "dyn_narrow": [("static", [0], []), ("dyn", [], [j1])],
        "reduce": [("static", [0], []), ("reduce", [], [])],
        "custom": [("cus", [], [e, e]), ("static", [0], [])],
        "custom_count": [("cus", [], [e]), ("static", [0], [])],
        "custom_wide": [("cus", [], [e, e4]), ("static", [0], [])],
        "kind": [("foo", [], []), ("static", [0], [])],
        "static_two_ints": [("static", [0, 1], []), ("static", [0], [])],
        "dyn_no_signal": [("dyn", [], []), ("static", [0], [])],
        "reduce_signal": [("reduce", [], [e]), ("static", [0], [])],
        "cus_int": [("cus", [1], [e, e]), ("static", [0], [])],
    }[kind]


READ_REFUSALS = [
    ("short", None, "a", "a Karray selection must index every dimension: got 1 indices for a 2-D "
                         "Karray"),
    ("static_oor", None, "a", "index 3 out of bounds for dimension 1 of size 3"),
    ("dyn_narrow", None, "a", "dynamic index for dim 1 needs >= 2 bits to address 3 elements, "
                              "got 1"),
    ("reduce", None, "a", "Karray reduce: dimension 1 has no select fn"),
    ("reduce", [lambda *a: None], "a", "Karray reduce: dimension 1 has no select fn"),
    ("custom", None, "a", "a custom write-enable index cannot select a read; on the read side a "
                          "custom fn is a reduce select (fn(a, b, level) -> pick-a)"),
    ("custom_count", None, "a", "custom write index for dimension 0 needs one enable bit per "
                                "index (2), got 1"),
    ("ok", None, "c", "Karray has no field 'c' (fields: a, b)"),
    ("kind", None, "a", "malformed Karray index selector of kind 'foo'"),
    ("static_two_ints", None, "a", "malformed Karray index selector of kind 'static'"),
    ("dyn_no_signal", None, "a", "malformed Karray index selector of kind 'dyn'"),
    ("reduce_signal", None, "a", "malformed Karray index selector of kind 'reduce'"),
    ("cus_int", None, "a", "malformed Karray index selector of kind 'cus'"),
]


@pytest.mark.parametrize("kind, fns, field, message", READ_REFUSALS,
                         ids=[f"{r[0]}-{i}" for i, r in enumerate(READ_REFUSALS)])
def test_read_refusals(arena, k23, kind, fns, field, message):
    sel = sel_of(arena, kind)
    first = next_id(arena)
    with pytest.raises(ValueError, match=f"^{re.escape(message)}$"):
        arena.karray_read_field_hcp(k23, sel, fns, field)
    assert next_id(arena) == first + 1


WRITE_REFUSALS = [
    ("reg", "ok", {"a": "d4"}, False, TypeError,
     "`*=` (combinational assign) requires a wire-backed Karray"),
    ("wire", "ok2", {"a": "d4"}, True, TypeError,
     "`|=` (clocked assign) requires a reg-backed Karray"),
    ("wire", "dyn2", {"a": "d4"}, False, TypeError,
     "a dynamic (signal / custom-fn indexed) Karray write requires a reg-backed Karray; a wire "
     "cannot hold its non-selected elements"),
    ("reg", "reduce", {"a": "d4"}, True, ValueError,
     "a reduce (read-side custom) index cannot be a write destination; on the write side a "
     "custom fn is a per-index enable (fn(i) -> 1-bit)"),
    ("reg", "custom_wide", {"a": "d4"}, True, ValueError,
     "custom write enable 1 for dimension 0 must be 1-bit, got 4 (slice or reduce it to one bit)"),
    ("reg", "custom_count", {"a": "d4"}, True, ValueError,
     "custom write index for dimension 0 needs one enable bit per index (2), got 1"),
    ("reg", "dyn_narrow", {"a": "d4"}, True, ValueError,
     "dynamic index for dim 1 needs >= 2 bits to address 3 elements, got 1"),
    ("reg", "static_oor", {"a": "d4"}, True, ValueError,
     "index 3 out of bounds for dimension 1 of size 3"),
    ("reg", "ok", "d4", True, ValueError,
     "a bare scalar source can only drive a single-field Karray; use a {field_name: source} "
     "mapping"),
    ("reg", "ok", {"zz": "d4"}, True, ValueError, "Karray assignment: no source matched any field"),
    ("reg", "ok", {"a": 16}, True, ValueError,
     "argument 'sources': 16 does not fit in 4 bits, the width of field 'a'"),
    ("reg", "ok", {"a": "x"}, True, TypeError,
     "argument 'sources': source 'a': expected HcpIdent or int, got str"),
    ("reg", "ok", {1: "d4"}, True, TypeError,
     "argument 'sources': expected field names (str) as keys, got int"),
]


@pytest.mark.parametrize("backing, kind, sources, clocked, exc, message", WRITE_REFUSALS,
                         ids=[f"{r[1]}-{i}" for i, r in enumerate(WRITE_REFUSALS)])
def test_write_refusals(arena, top, backing, kind, sources, clocked, exc, message):
    if backing == "reg":
        k = arena.mk_karray("k", [2, 3], [("a", 4), ("b", 1)], REG)
        sel = sel_of(arena, kind)
    else:
        k = arena.mk_karray("k", [2], [("a", 4), ("b", 1)], WIRE)
        sel = {"ok2": static(0), "dyn2": [("dyn", [], [arena.mk_wire("i", 1)])]}[kind]
    d4 = arena.mk_wire("d4", 4)

    def resolve(x):
        return d4 if x == "d4" else x

    src = {key: resolve(x) for key, x in sources.items()} if isinstance(sources, dict) \
        else resolve(sources)
    first = next_id(arena)
    with pytest.raises(exc, match=f"^{re.escape(message)}"):
        arena.karray_assign_hcps(k, sel, src, clocked)
    assert next_id(arena) == first + 1


def test_copy_without_any_matching_field_is_refused(arena, top):
    src = arena.mk_karray("s", [2], [("a", 8)], REG)
    dst = arena.mk_karray("t", [2], [("a", 4), ("b", 8)], REG)
    first = next_id(arena)
    with pytest.raises(ValueError, match="^Karray assignment: no destination field matches a "
                                         r"source field by name\+width$"):
        arena.karray_assign_k2k(dst, static(0), src, static(0), None, True)
    assert next_id(arena) == first + 1


def test_copy_refuses_a_bad_source_selection(arena, top):
    src = arena.mk_karray("s", [2], [("a", 8)], REG)
    dst = arena.mk_karray("t", [2], [("a", 8)], REG)
    with pytest.raises(ValueError, match="^Karray reduce: dimension 0 has no select fn$"):
        arena.karray_assign_k2k(dst, static(0), src, [("reduce", [], [])], None, True)
    with pytest.raises(TypeError, match="requires a reg-backed Karray"):
        arena.karray_assign_k2k(arena.mk_karray("w", [2], [("a", 8)], WIRE), static(0), src,
                                static(0), None, True)


RESET_REFUSALS = [
    ("wire", "a", 1, ValueError,
     "reset(...) requires a reg-backed Karray (a wire has no state to reset; use default(...))"),
    ("reg", "zz", 1, ValueError, "Karray has no field 'zz' (fields: a, b)"),
    ("reg", "a", "wide", ValueError, "Karray 'k': the reset value of field 'a' must be 4-bit, got 8"),
    ("reg", "a", 16, ValueError, "argument 'value': 16 does not fit in 4 bits, the width of field 'a'"),
    ("reg", "a", "twice", ValueError,
     "Karray 'k': field 'a' of element 0 has a reset value already; a field is reset once"),
]


@pytest.mark.parametrize("backing, field, value, exc, message", RESET_REFUSALS,
                         ids=["wire", "no_field", "wide_value", "int_too_big", "twice"])
def test_reset_refusals(arena, top, backing, field, value, exc, message):
    k = arena.mk_karray("k", [2, 3], [("a", 4), ("b", 1)], REG if backing == "reg" else WIRE)
    if value == "wide":
        value = arena.mk_val("wide", 8, 1)
    elif value == "twice":
        arena.karray_reset_field(k, "a", 1)
        value = 2
    first = next_id(arena)
    with pytest.raises(exc, match=f"^{re.escape(message)}"):
        arena.karray_reset_field(k, field, value)
    assert next_id(arena) == first + 1


@pytest.mark.parametrize(
    "coord, field, message",
    [
        ([1], "a", "a Karray coordinate must name every dimension: got 1 for a 2-D Karray"),
        ([1, 2, 0], "a", "a Karray coordinate must name every dimension: got 3 for a 2-D Karray"),
        ([1, 3], "a", "Karray: index 3 out of bounds for dimension of size 3"),
        ([2**64 - 1, 0], "a",
         "Karray: index 18446744073709551615 out of bounds for dimension of size 2"),
        ([1, 2], "c", "Karray has no field 'c' (fields: a, b)"),
    ],
    ids=["short", "long", "out_of_range", "huge_index", "no_field"],
)
def test_element_lookup_refusals(arena, k23, coord, field, message):
    with pytest.raises(ValueError, match=f"^{re.escape(message)}$"):
        arena.karray_element_hcp(k23, coord, field)


@pytest.mark.parametrize("method, args", [
    ("karray_shape", ()), ("karray_fields", ()), ("karray_is_clocked", ()),
    ("karray_element_hcp", ([0], "v")), ("karray_reset_field", ("v", 0)),
    ("karray_read_field_hcp", ([("static", [0], [])], None, "v")),
    ("karray_assign_hcps", ([("static", [0], [])], 0, True)),
])
def test_an_arbiter_is_not_a_karray(arena, top, method, args):
    arb = arena.mk_arb("a", v.ArbSamePriPolicy.AckOne)
    with pytest.raises(TypeError, match="argument 'karray_i': expected a complex component of "
                                        "kind KARRAY"):
        getattr(arena, method)(arb, *args)


@pytest.mark.parametrize(
    "sel, message",
    [
        ("nope", "argument 'sel': expected a list of selectors, got str"),
        ([("static", [0])], "argument 'sel': item 0: expected a (kind, [ints], [signals]) "
                            "selector, got tuple"),
        ([(3, [0], [])], "argument 'sel': item 0: expected a (kind, [ints], [signals]) selector, "
                         "got a kind of type int"),
        ([("dyn", [], [3])], "argument 'sel': item 0: expected a (kind, [ints], [signals]) "
                             "selector, got a signal of type int"),
    ],
    ids=["not_a_list", "pair", "kind_not_str", "signal_not_ident"],
)
def test_selectors_of_the_wrong_shape_are_type_errors(arena, top, sel, message):
    k = arena.mk_karray("k", [2], [("v", 8)], REG)
    with pytest.raises(TypeError, match=f"^{re.escape(message)}$"):
        arena.karray_read_field_hcp(k, sel, None, "v")


def test_select_fns_must_be_callables(arena, top):
    k = arena.mk_karray("k", [2], [("v", 8)], REG)
    with pytest.raises(TypeError, match="^argument 'fns': item 0: expected a callable or None, "
                                        "got int$"):
        arena.karray_read_field_hcp(k, [("reduce", [], [])], [3], "v")


def test_nothing_is_added_after_build_flow(arena, top):
    k = arena.mk_karray("k", [2], [("v", 8)], REG)
    arena.untrack_module_at_com_init(top)
    arena.set_top_module(top)
    arena.build_flow()
    with pytest.raises(ValueError, match="^karray_read_field_hcp: build_flow has already built"):
        arena.karray_read_field_hcp(k, [("static", [0], [])], None, "v")
    with pytest.raises(ValueError, match="^mk_karray: build_flow has already built"):
        arena.mk_karray("k2", [2], [("v", 8)], REG)


@pytest.mark.parametrize("method, call", [
    ("karray_reset_field", lambda ar, k: ar.karray_reset_field(k, "a", 3)),
    ("karray_assign_hcps", lambda ar, k: ar.karray_assign_hcps(k, [("static", [0], []),
                                                                    ("static", [1], [])],
                                                               {"a": 1}, True)),
    ("karray_assign_k2k", lambda ar, k: ar.karray_assign_k2k(k, [("static", [0], []),
                                                                  ("static", [0], [])],
                                                             k, [("static", [1], []),
                                                                 ("static", [1], [])],
                                                             None, True)),
    ("karray_read_field_hcp", lambda ar, k: ar.karray_read_field_hcp(
        k, [("static", [0], []), ("static", [0], [])], None, "a")),
])  # fmt: skip
def test_calls_that_make_signals_need_a_tracked_module(arena, top, k23, method, call):
    arena.untrack_module_at_com_init(top)
    with pytest.raises(ValueError, match=(
            f"^module trace stack is empty; {method} makes a component, which belongs to the "
            "module on top of the module trace stack")):
        call(arena, k23)
