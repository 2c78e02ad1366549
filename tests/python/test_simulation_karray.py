"""Karrays in simulation: dynamic reads sweeping every element, dynamic and custom-enable writes
changing exactly the addressed elements, a reduce whose select fn builds comparators, a
wire-backed write visible only in its step, an array-to-array copy, and resets. Each design is
linted with Verilator too.

Timeline as in test_simulation_seq_par: sample k is taken after the k-th rising edge once reset
is released; an input driven for sample k is seen by that edge (so a write made outside any flow
block, which happens on every edge, shows the inputs of sample k in sample k), and the state of
step k of a sequence is active in sample k, its write showing in sample k + 1."""

import random

import pytest

import _velmora as v
from design_kit import Design
from verilog_tools import HAVE_IVERILOG, HAVE_VERILATOR, lint

pytestmark = pytest.mark.skipif(not HAVE_IVERILOG, reason="Icarus Verilog is not installed")

REG = v.HwComponentType.REG
WIRE = v.HwComponentType.WIRE


def check_lint(emitted):
    if HAVE_VERILATOR:
        assert lint(emitted.out_dir, emitted.top_name) == []


def dyn(sig):
    return ("dyn", [], [sig])


def static(i):
    return ("static", [i], [])


def tree_pick(size: int, index: int) -> int:
    """The element a dynamic read of a dimension of `size` yields for `index`: the mux tree pairs
    (0, 1), (2, 3), ... on bit 0, moves an unpaired last candidate up, and so on per bit; an
    index past the end reads whatever its bits select."""
    cands = list(range(size))
    level = 0
    while len(cands) > 1:
        bit = (index >> level) & 1
        nxt = [cands[i + bit] for i in range(0, len(cands) - 1, 2)]
        if len(cands) % 2:
            nxt.append(cands[-1])
        cands, level = nxt, level + 1
    return cands[0]


def test_tree_pick_reads_in_range_indexes_exactly():
    assert [tree_pick(5, i) for i in range(8)] == [0, 1, 2, 3, 4, 4, 4, 4]
    assert [tree_pick(3, i) for i in range(4)] == [0, 1, 2, 2]
    assert tree_pick(1, 0) == 0


def element_values(d: Design, k, field: str, values: dict):
    """Gives each element's field register the reset value values[coordinate]."""
    for coord, value in values.items():
        sig = d.arena.karray_element_hcp(k, list(coord), field)
        d.arena.set_reg_reset(sig, d.const(f"init{'_'.join(map(str, coord))}",
                                           d.arena.get_hw_bit_sz(sig), value))


def show_elements(d: Design, k, field: str, shape, prefix: str) -> dict[str, int]:
    """Marks every element's field as an output "{prefix}{e}"; returns the output widths."""
    outs = {}
    count = 1
    for n in shape:
        count *= n
    for e in range(count):
        coord, rest = [], e
        for n in reversed(shape):
            coord.insert(0, rest % n)
            rest //= n
        sig = d.arena.karray_element_hcp(k, coord, field)
        d.arena.mark_as_io(sig, False, f"{prefix}{e}")
        outs[f"{prefix}{e}"] = d.arena.get_hw_bit_sz(sig)
    return outs


# ---- reads -------------------------------------------------------------------------------------

def test_dynamic_read_of_five_elements_sweeps_every_element(tmp_path):
    d = Design()
    values = [10, 23, 35, 47, 59]
    with d.components(d.top):
        k = d.arena.mk_karray("k", [5], [("v", 8)], REG)
        element_values(d, k, "v", {(e,): x for e, x in enumerate(values)})
        idx = d.input("idx", 3)
        out = d.arena.karray_read_field_hcp(k, [dyn(idx)], [], "v")
        d.arena.mark_as_io(out, False, "out")
    with d.flow(d.top):
        pass
    sweep = list(range(8))
    emitted, sim = d.run(tmp_path, {"out": 8}, cycles=8, inputs={"idx": 3},
                         stimulus={"idx": sweep})
    assert sim["out"] == [values[tree_pick(5, i)] for i in sweep]
    assert sim["out"][:5] == values
    check_lint(emitted)


def test_two_dimensional_read_with_a_static_and_two_dynamic_indexes(tmp_path):
    d = Design()
    values = {(i, j): 16 * i + j + 1 for i in range(2) for j in range(3)}
    with d.components(d.top):
        k = d.arena.mk_karray("k", [2, 3], [("v", 8), ("w", 1)], REG)
        element_values(d, k, "v", values)
        element_values(d, k, "w", {c: (c[0] + c[1]) % 2 for c in values})
        i = d.input("i", 1)
        j = d.input("j", 2)
        both = d.arena.karray_read_field_hcp(k, [dyn(i), dyn(j)], [], "v")
        row1 = d.arena.karray_read_field_hcp(k, [static(1), dyn(j)], [], "w")
        d.arena.mark_as_io(both, False, "both")
        d.arena.mark_as_io(row1, False, "row1")
        # Row 0 of field w is read by nothing else.
        outs = show_elements(d, k, "w", [2, 3], "w")
    with d.flow(d.top):
        pass
    coords = [(i, j) for i in range(2) for j in range(4)]
    emitted, sim = d.run(tmp_path, {"both": 8, "row1": 1} | outs, cycles=len(coords),
                         inputs={"i": 1, "j": 2},
                         stimulus={"i": [c[0] for c in coords], "j": [c[1] for c in coords]})
    assert sim["both"] == [values[(i, tree_pick(3, j))] for i, j in coords]
    assert sim["row1"] == [(1 + tree_pick(3, j)) % 2 for _, j in coords]
    check_lint(emitted)


def test_reduce_arg_max_with_comparators_built_by_the_select_fn(tmp_path):
    d = Design()
    ar = d.arena
    n = 4
    with d.components(d.top):
        k = ar.mk_karray("k", [n], [("score", 8), ("id", 2)], WIRE)
        for e in range(n):
            ar.mark_as_io(ar.karray_element_hcp(k, [e], "score"), True, f"s{e}")
            ar.set_wire_default(ar.karray_element_hcp(k, [e], "id"), d.const(f"id{e}", 2, e))

        def higher_or_equal(a, a_idx, b, b_idx, level):
            # Built through the arena while the read runs: one comparator per pair.
            ge = ar.mk_expression(f"ge_{a_idx[0]}_{b_idx[0]}", v.LogicOp.RelationGeq,
                                  dict(a)["score"], dict(b)["score"])
            return ge, []

        best = ar.karray_read_field_hcp(k, [("reduce", [], [])], [higher_or_equal], "id")
        # The best score, read back with the best index.
        top_score = ar.karray_read_field_hcp(k, [dyn(best)], [], "score")
        ar.mark_as_io(best, False, "best")
        ar.mark_as_io(top_score, False, "top")
    with d.flow(d.top):
        pass
    rng = random.Random(7)
    rows = [[rng.choice([0, 3, 200, 201, 255]) for _ in range(n)] for _ in range(24)]
    rows += [[5, 5, 5, 5], [0, 0, 0, 9], [9, 0, 0, 9]]
    stimulus = {f"s{e}": [row[e] for row in rows] for e in range(n)}
    emitted, sim = d.run(tmp_path, {"best": 2, "top": 8}, cycles=len(rows),
                         inputs={f"s{e}": 8 for e in range(n)}, stimulus=stimulus)
    # Ties go to the lower index: the select picks a (the lower indexes) when a >= b.
    assert sim["best"] == [row.index(max(row)) for row in rows]
    assert sim["top"] == [max(row) for row in rows]
    check_lint(emitted)


# ---- writes ------------------------------------------------------------------------------------

def test_dynamic_write_in_a_sequence_changes_exactly_one_element_per_step(tmp_path):
    d = Design()
    ar = d.arena
    writes = [(0, 0, 11), (1, 2, 22), (0, 3, 33), (1, 1, 44), (0, 2, 55), (1, 0, 66)]
    with d.components(d.top):
        k = ar.mk_karray("k", [2, 3], [("v", 8)], REG)
        ar.karray_reset_field(k, "v", 0)
        outs = show_elements(d, k, "v", [2, 3], "e")
        i, j, data = d.input("i", 1), d.input("j", 2), d.input("data", 8)
    with d.flow(d.top), d.seq("writes"):
        for _ in writes:
            ar.karray_assign_hcps(k, [dyn(i), dyn(j)], {"v": data}, True)
    # The write of step k takes the inputs of sample k + 1.
    stim = [(0, 0, 0)] + writes + [(0, 0, 99)] * 2
    cycles = len(writes) + 2
    emitted, sim = d.run(tmp_path, outs, cycles=cycles, inputs={"i": 1, "j": 2, "data": 8},
                         stimulus={"i": [s[0] for s in stim], "j": [s[1] for s in stim],
                                   "data": [s[2] for s in stim]})
    state = [0] * 6
    for t in range(cycles):
        assert [sim[f"e{e}"][t] for e in range(6)] == state, f"sample {t}"
        if t < len(writes):
            wi, wj, wd = writes[t]
            if wj < 3:  # index 3 of a 3-element dimension selects no element
                state[3 * wi + wj] = wd
    changed = [sum(a != b for a, b in zip([sim[f"e{e}"][t] for e in range(6)],
                                          [sim[f"e{e}"][t + 1] for e in range(6)]))
               for t in range(len(writes))]
    assert changed == [1, 1, 0, 1, 1, 1]
    check_lint(emitted)


@pytest.mark.parametrize("shape", [[4], [2, 3]], ids=["one_dim", "enables_and_index"])
def test_custom_enable_write_touches_only_the_enabled_elements(tmp_path, shape):
    d = Design()
    ar = d.arena
    rows = shape[0]
    with d.components(d.top):
        k = ar.mk_karray("k", shape, [("v", 8)], REG)
        ar.karray_reset_field(k, "v", 0)
        outs = show_elements(d, k, "v", shape, "e")
        enables = [d.input(f"en{r}") for r in range(rows)]
        data = d.input("data", 8)
        sel = [("cus", [], enables)]
        inputs = {f"en{r}": 1 for r in range(rows)} | {"data": 8}
        if len(shape) == 2:
            j = d.input("j", 2)
            sel.append(dyn(j))
            inputs["j"] = 2
    with d.flow(d.top):
        # Outside any flow block: a write on every edge.
        ar.karray_assign_hcps(k, sel, {"v": data}, True)
    rng = random.Random(3)
    cycles = 16
    stimulus = {name: [rng.randrange(1 << width) for _ in range(cycles)]
                for name, width in inputs.items()}
    emitted, sim = d.run(tmp_path, outs, cycles=cycles, inputs=inputs, stimulus=stimulus)
    cols = shape[1] if len(shape) == 2 else 1
    state = [0] * (rows * cols)
    for t in range(cycles):
        for r in range(rows):
            for c in range(cols):
                hit = stimulus[f"en{r}"][t] and (len(shape) == 1 or stimulus["j"][t] == c)
                if hit:
                    state[r * cols + c] = stimulus["data"][t]
        assert [sim[f"e{e}"][t] for e in range(rows * cols)] == state, f"sample {t}"
    check_lint(emitted)


def test_wire_backed_static_write_is_visible_only_in_its_step(tmp_path):
    d = Design()
    ar = d.arena
    with d.components(d.top):
        k = ar.mk_karray("w", [2], [("v", 8)], WIRE)
        outs = show_elements(d, k, "v", [2], "e")
        yard = ar.mk_wire("yard", 8)
        ar.mark_as_io(yard, False, "yard")
    with d.flow(d.top), d.seq("steps"):
        ar.karray_assign_hcps(k, [static(0)], {"v": 5}, False)
        ar.karray_assign_hcps(k, [static(1)], 7, False)  # a single-field array takes a bare source
        d.assign(yard, 9)  # a plain wire assigned the same way, as a yardstick
    emitted, sim = d.run(tmp_path, outs | {"yard": 8}, cycles=5)
    assert sim["yard"] == [0, 0, 9, 0, 0]
    assert sim["e0"] == [5, 0, 0, 0, 0]
    assert sim["e1"] == [0, 7, 0, 0, 0]
    check_lint(emitted)


def test_array_to_array_copy_matches_fields_by_name_and_width(tmp_path):
    d = Design()
    ar = d.arena
    src_vals = {(e,): 40 + e for e in range(3)}
    with d.components(d.top):
        src = ar.mk_karray("s", [3], [("a", 8), ("b", 4)], REG)
        dst = ar.mk_karray("t", [2], [("b", 8), ("a", 8), ("c", 2)], REG)
        element_values(d, src, "a", src_vals)
        ar.karray_reset_field(src, "b", 3)
        for f in ("a", "b", "c"):
            ar.karray_reset_field(dst, f, 0)
        outs = show_elements(d, dst, "a", [2], "a") | show_elements(d, dst, "b", [2], "b")
        outs |= show_elements(d, dst, "c", [2], "c") | show_elements(d, src, "b", [3], "sb")
        i, j = d.input("i", 2), d.input("j", 1)
    with d.flow(d.top):
        with pytest.warns(UserWarning, match="skipped destination fields"):
            ar.karray_assign_k2k(dst, [dyn(j)], src, [dyn(i)], None, True)
    stim_i = [0, 1, 2, 3, 2, 1, 0, 0]
    stim_j = [0, 1, 1, 0, 0, 1, 1, 0]
    emitted, sim = d.run(tmp_path, outs, cycles=len(stim_i), inputs={"i": 2, "j": 1},
                         stimulus={"i": stim_i, "j": stim_j})
    state = [0, 0]
    for t in range(len(stim_i)):
        state[stim_j[t]] = 40 + tree_pick(3, stim_i[t])
        assert [sim["a0"][t], sim["a1"][t]] == state, f"sample {t}"
    # b differs in width and c has no source field: neither is written.
    assert set(sim["b0"] + sim["b1"] + sim["c0"] + sim["c1"]) == {0}
    assert set(sim["sb0"]) == {3}
    check_lint(emitted)


def test_write_sources_are_fitted_to_their_fields(tmp_path):
    d = Design()
    ar = d.arena
    with d.components(d.top):
        k = ar.mk_karray("k", [2], [("v", 8)], REG)
        ar.karray_reset_field(k, "v", 0)
        outs = show_elements(d, k, "v", [2], "e")
        narrow = ar.mk_val("narrow", 4, 0xF)
        wide = ar.mk_val("wide", 12, 0xABC)
        ar.mark_as_io(wide, False, "wide")  # its top bits are dropped by the write
    with d.flow(d.top), d.seq("steps"):
        with pytest.warns(UserWarning, match="zero-extended"):
            ar.karray_assign_hcps(k, [static(0)], {"v": narrow}, True)
        with pytest.warns(UserWarning, match="MSBs dropped"):
            ar.karray_assign_hcps(k, [static(1)], {"v": wide}, True)
    emitted, sim = d.run(tmp_path, outs, cycles=4)
    assert sim["e0"] == [0, 0xF, 0xF, 0xF]
    assert sim["e1"] == [0, 0, 0xBC, 0xBC]
    check_lint(emitted)


@pytest.mark.parametrize("value", ["int", "signal"])
def test_reset_gives_every_element_of_the_field_its_value(tmp_path, value):
    d = Design()
    ar = d.arena
    with d.components(d.top):
        k = ar.mk_karray("k", [2, 2], [("v", 6), ("w", 3)], REG)
        ar.karray_reset_field(k, "v", 42 if value == "int" else d.const("r", 6, 42))
        ar.karray_reset_field(k, "w", -1)  # two's complement: all ones
        outs = show_elements(d, k, "v", [2, 2], "v") | show_elements(d, k, "w", [2, 2], "w")
    with d.flow(d.top):
        pass
    emitted, sim = d.run(tmp_path, outs, cycles=2)
    assert all(sim[f"v{e}"] == [42, 42] and sim[f"w{e}"] == [7, 7] for e in range(4))
    if value == "int":
        assert "VAL_kconst_c_" in emitted.top_file.read_text()
    check_lint(emitted)
