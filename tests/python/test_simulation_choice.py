"""Choice in the flow, run in Icarus cycle by cycle: cif/sif chains, picks, zero-cycle
conditions and switches.

Timeline (as in test_simulation_seq_par.py): sample k is taken a little after the k-th rising
edge once reset is released; the first state of a top-level sequence is active in sample 0 and
its assignment is visible in sample 1. Inputs hold stimulus[k] from just before edge k.
"""

import itertools

import pytest

import _velmora as v
from design_kit import Design
from verilog_tools import HAVE_IVERILOG, HAVE_VERILATOR, lint

pytestmark = pytest.mark.skipif(not HAVE_IVERILOG, reason="Icarus Verilog is not installed")

CYCLES = 10


def check_lint(emitted):
    if HAVE_VERILATOR:
        assert lint(emitted.out_dir, emitted.top_name) == []


def wave(changes: dict[int, int], cycles: int = CYCLES) -> list[int]:
    """A register starting at 0 that takes changes[k] from sample k on."""
    out, value = [], 0
    for k in range(cycles):
        value = changes.get(k, value)
        out.append(value)
    return out


def steps(d: Design, reg, values, name="body"):
    """A seq writing `values` into `reg`, one per cycle."""
    with d.seq(name):
        for value in values:
            d.assign(reg, value)


def held(value: int, cycles: int = CYCLES) -> list[int]:
    return [value] * cycles


# ---- cif / sif -------------------------------------------------------------------------------


@pytest.mark.parametrize("kind", ["cif", "sif"])
@pytest.mark.parametrize("cond", [1, 0])
@pytest.mark.parametrize("with_else", [False, True], ids=["no_else", "else"])
def test_if_runs_its_body_or_its_else_and_the_next_step_follows(tmp_path, kind, cond, with_else):
    d = Design()
    with d.components(d.top):
        c = d.input("c")
        a, b, e, done = (d.reg(n, 4) for n in ("a", "b", "e", "done"))
    with d.flow(d.top), d.seq("s"):
        d.assign(a, 1)
        with d.flow_block(kind, c):
            steps(d, b, [1, 2])
        if with_else:
            with d.flow_block("cselse"):
                steps(d, e, [1])
        d.assign(done, 1)
    emitted, sim = d.run(tmp_path, {"a": 4, "b": 4, "e": 4, "done": 4}, cycles=CYCLES,
                         inputs={"c": 1}, stimulus={"c": held(cond)})
    # a = 1 is active in sample 0. cif decides in that same cycle; sif takes a state of its own
    # (sample 1), so its branches start a cycle later.
    entry = 1 if kind == "sif" else 0
    start = 1 + entry
    assert sim["a"] == wave({1: 1})
    if cond:
        assert sim["b"] == wave({start + 1: 1, start + 2: 2})
        assert sim["e"] == wave({})
        assert sim["done"] == wave({start + 3: 1})
    elif with_else:
        assert sim["b"] == wave({})
        assert sim["e"] == wave({start + 1: 1})
        assert sim["done"] == wave({start + 2: 1})
    else:
        # No branch taken: the block ends in the cycle it decides.
        assert sim["b"] == wave({})
        assert sim["done"] == wave({entry + 2: 1})
    check_lint(emitted)


@pytest.mark.parametrize("kind", ["cif", "sif"])
@pytest.mark.parametrize("c, e", [(1, 0), (1, 1), (0, 1), (0, 0)])
def test_if_elif_else_branches_of_two_three_and_one_cycles(tmp_path, kind, c, e):
    d = Design()
    with d.components(d.top):
        ci, ei = d.input("c"), d.input("e")
        x, y, z, done = (d.reg(n, 4) for n in ("x", "y", "z", "done"))
    with d.flow(d.top), d.seq("s"):
        with d.flow_block(kind, ci):
            steps(d, x, [1, 2])
        with d.flow_block("cselif", ei):
            steps(d, y, [1, 2, 3])
        with d.flow_block("cselse"):
            steps(d, z, [1])
        d.assign(done, 1)
    emitted, sim = d.run(tmp_path, {"x": 4, "y": 4, "z": 4, "done": 4}, cycles=CYCLES,
                         inputs={"c": 1, "e": 1}, stimulus={"c": held(c), "e": held(e)})
    start = 1 if kind == "sif" else 0  # the sample the taken branch's first state is active in
    taken = "x" if c else "y" if e else "z"
    lengths = {"x": 2, "y": 3, "z": 1}
    for reg in "xyz":
        expected = {start + 1 + i: i + 1 for i in range(lengths[reg])} if reg == taken else {}
        assert sim[reg] == wave(expected), reg
    assert sim["done"] == wave({start + lengths[taken] + 1: 1})
    check_lint(emitted)


@pytest.mark.parametrize("c, e, f", list(itertools.product([0, 1], repeat=3)))
def test_elif_runs_only_when_every_earlier_condition_is_false(tmp_path, c, e, f):
    d = Design()
    with d.components(d.top):
        ins = [d.input(n) for n in ("c", "e", "f")]
        r = d.reg("r", 4)
        hits = [d.reg(f"hit{k}", 1) for k in range(3)]
    with d.flow(d.top):
        for k, (kind, cond) in enumerate(zip(["cif", "cselif", "cselif"], ins)):
            with d.flow_block(kind, cond, name=f"b{k}"), d.seq(f"s{k}"):
                d.assign(r, k + 1)
                d.assign(hits[k], 1)
    outputs = {"r": 4, **{f"hit{k}": 1 for k in range(3)}}
    emitted, sim = d.run(tmp_path, outputs, cycles=4, inputs={n: 1 for n in "cef"},
                         stimulus={"c": held(c, 4), "e": held(e, 4), "f": held(f, 4)})
    first_true = next((k for k, x in enumerate((c, e, f)) if x), None)
    for k in range(3):
        assert sim[f"hit{k}"] == (wave({2: 1}, 4) if k == first_true else wave({}, 4))
    assert sim["r"] == (wave({1: first_true + 1}, 4) if first_true is not None else wave({}, 4))
    check_lint(emitted)


# ---- pick ------------------------------------------------------------------------------------


@pytest.mark.parametrize("a, b", [(1, 1), (1, 0), (0, 1), (0, 0)])
@pytest.mark.parametrize("with_default", [True, False], ids=["pidef", "no_pidef"])
def test_pick_runs_every_matching_branch_or_its_default(tmp_path, a, b, with_default, capfd):
    d = Design()
    with d.components(d.top):
        ai, bi = d.input("a"), d.input("b")
        r, q, dflt, done = (d.reg(n, 4) for n in ("r", "q", "dflt", "done"))
    with d.flow(d.top), d.seq("s"):
        d.assign(done, 1)
        with d.flow_block("pick", name="choose"):
            with d.flow_block("pif", ai):
                steps(d, r, [1, 2])
            with d.flow_block("pif", bi):
                steps(d, q, [3, 4])
            if with_default:
                with d.flow_block("pidef"):
                    steps(d, dflt, [5, 6])
        d.assign(done, 2)
    emitted, sim = d.run(tmp_path, {"r": 4, "q": 4, "dflt": 4, "done": 4}, cycles=CYCLES,
                         inputs={"a": 1, "b": 1}, stimulus={"a": held(a), "b": held(b)})
    assert capfd.readouterr().err == (
        "[velmora][warn] pick block 'choose': exit is NOT auto-synchronized; the matching branch "
        "drives the exit signal\n")
    # The pick decides in sample 0 (the step before it); branches run in samples 1 and 2.
    runs_default = with_default and not (a or b)
    assert sim["r"] == (wave({2: 1, 3: 2}) if a else wave({}))
    assert sim["q"] == (wave({2: 3, 3: 4}) if b else wave({}))
    assert sim["dflt"] == (wave({2: 5, 3: 6}) if runs_default else wave({}))
    if a or b or runs_default:
        assert sim["done"] == wave({1: 1, 4: 2})
    else:
        assert sim["done"] == wave({1: 1, 2: 2})  # nothing matched: the pick ends at once
    check_lint(emitted)


def test_pick_exit_is_driven_by_each_finishing_branch(tmp_path):
    # Both pifs match; the branches take 1 and 2 cycles, so the step after the pick starts twice.
    d = Design()
    with d.components(d.top):
        r, q = d.reg("r", 4), d.reg("q", 4)
        count = d.reg("count", 4)
        go = d.arena.mk_val("go", 1, 1)
    with d.flow(d.top), d.seq("s"):
        with d.flow_block("pick"):
            with d.flow_block("pif", go, name="short"):
                steps(d, r, [1])
            with d.flow_block("pif", go, name="long"):
                steps(d, q, [1, 2])
        d.assign(count, d.arena.mk_expression("count_inc", v.LogicOp.ArithPlus, count, 1))
    emitted, sim = d.run(tmp_path, {"r": 4, "q": 4, "count": 4}, cycles=6)
    assert sim["r"] == wave({1: 1}, 6)
    assert sim["q"] == wave({1: 1, 2: 2}, 6)
    assert sim["count"] == wave({2: 1, 3: 2}, 6)
    check_lint(emitted)


# ---- zero-cycle blocks -----------------------------------------------------------------------


@pytest.mark.parametrize("c, e", [(1, 0), (1, 1), (0, 1), (0, 0)])
def test_zif_chain_in_a_seq_step_takes_the_first_true_branch_in_that_cycle(tmp_path, c, e):
    d = Design()
    with d.components(d.top):
        ci, ei = d.input("c"), d.input("e")
        r, other = d.reg("r", 4), d.reg("other", 4)
    with d.flow(d.top), d.seq("s"):
        d.assign(r, 1)
        with d.flow_block("zif", ci):
            d.assign(r, 2)
            d.assign(other, 7)
        with d.flow_block("zelif", ei):
            d.assign(r, 3)
        with d.flow_block("zelse"):
            d.assign(r, 4)
        d.assign(r, 9)
    emitted, sim = d.run(tmp_path, {"r": 4, "other": 4}, cycles=5, inputs={"c": 1, "e": 1},
                         stimulus={"c": held(c, 5), "e": held(e, 5)})
    chosen = 2 if c else 3 if e else 4
    assert sim["r"] == wave({1: 1, 2: chosen, 3: 9}, 5)
    assert sim["other"] == (wave({2: 7}, 5) if c else wave({}, 5))
    check_lint(emitted)


@pytest.mark.parametrize("c", [1, 0])
def test_zif_chain_in_a_par_happens_in_the_par_single_state(tmp_path, c):
    d = Design()
    with d.components(d.top):
        ci = d.input("c")
        r, q = d.reg("r", 4), d.reg("q", 4)
    with d.flow(d.top), d.seq("s"):
        with d.par("both"):
            with d.flow_block("zif", ci):
                d.assign(r, 2)
            with d.flow_block("zelse"):
                d.assign(r, 4)
            d.assign(q, 1)
        d.assign(r, 9)
    emitted, sim = d.run(tmp_path, {"r": 4, "q": 4}, cycles=4, inputs={"c": 1},
                         stimulus={"c": held(c, 4)})
    assert sim["r"] == wave({1: 2 if c else 4, 2: 9}, 4)
    assert sim["q"] == wave({1: 1}, 4)
    check_lint(emitted)


@pytest.mark.parametrize("with_else", [False, True], ids=["no_else", "else"])
def test_zif_chain_at_module_level_drives_a_wire_every_cycle(tmp_path, with_else):
    d = Design()
    with d.components(d.top):
        ci, ei, din = d.input("c"), d.input("e"), d.input("din", 4)
        w = d.arena.mk_wire("w", 4)
        d.arena.mark_as_io(w, False, "w")
    with d.flow(d.top):
        with d.flow_block("zif", ci):
            d.assign(w, din)
        with d.flow_block("zelif", ei):
            d.assign(w, 7)
        if with_else:
            with d.flow_block("zelse"):
                d.assign(w, 3)
    stimulus = {"c": [1, 0, 0, 1, 0, 1, 0, 0], "e": [0, 1, 0, 1, 1, 0, 0, 1],
                "din": [5, 6, 9, 10, 11, 12, 13, 14]}
    emitted, sim = d.run(tmp_path, {"w": 4}, cycles=8, inputs={"c": 1, "e": 1, "din": 4},
                         stimulus=stimulus)
    otherwise = 3 if with_else else 0  # a wire without a branch keeps its default 0
    expected = [din if c else 7 if e else otherwise
                for c, e, din in zip(stimulus["c"], stimulus["e"], stimulus["din"])]
    assert sim["w"] == expected
    check_lint(emitted)


def test_zstate_selects_a_case_every_cycle_and_a_zif_inside_a_case(tmp_path):
    d = Design()
    with d.components(d.top):
        sel, ci = d.input("sel", 2), d.input("c")
        w, u = d.arena.mk_wire("w", 4), d.arena.mk_wire("u", 4)
        for wire, port in ((w, "w"), (u, "u")):
            d.arena.mark_as_io(wire, False, port)
        seen = d.reg("seen", 4)
    with d.flow(d.top), d.flow_block("zstate", sel):
        with d.flow_block("zcase", 0, name="k0"):
            d.assign(w, 1)
        with d.flow_block("zcase", 1, name="k1"):
            d.assign(w, 2)
            with d.flow_block("zif", ci):
                d.assign(u, 5)
            with d.flow_block("zelse"):
                d.assign(u, 6)
            d.assign(seen, 1)
        with d.flow_block("zcase", 3, name="k3"):
            d.assign(w, 4)
    stimulus = {"sel": [0, 1, 2, 3, 1, 1, 0, 3], "c": [1, 1, 0, 0, 0, 1, 1, 1]}
    emitted, sim = d.run(tmp_path, {"w": 4, "u": 4, "seen": 4}, cycles=8,
                         inputs={"sel": 2, "c": 1}, stimulus=stimulus)
    assert sim["w"] == [{0: 1, 1: 2, 2: 0, 3: 4}[s] for s in stimulus["sel"]]
    assert sim["u"] == [(5 if c else 6) if s == 1 else 0
                        for s, c in zip(stimulus["sel"], stimulus["c"])]
    # A register in a module-level case is clocked: it takes 1 on the first edge with sel == 1.
    assert sim["seen"] == wave({1: 1}, 8)
    check_lint(emitted)


# ---- cycle counts that a synchronising par relies on -------------------------------------------


def cond_branch(d: Design, kind: str, cond, reg, length: int):
    """A branch of `length` steps under `kind`: a sif with an else of the same length, a cif or
    sif without else, or a pick without pidef."""
    values = list(range(1, length + 1))
    if kind == "sif_else":
        with d.flow_block("sif", cond):
            steps(d, reg, values)
        with d.flow_block("cselse"):
            steps(d, reg, [x + 8 for x in values])
    elif kind in ("cif", "sif"):
        with d.flow_block(kind, cond):
            steps(d, reg, values)
    else:
        with d.flow_block("pick"), d.flow_block("pif", cond):
            steps(d, reg, values)


@pytest.mark.parametrize("kind, cond", [("sif_else", 1), ("sif_else", 0), ("cif", 0),
                                        ("sif", 0), ("pick", 0)])
def test_cycle_counts_keep_the_step_after_a_par_from_overlapping_a_branch(tmp_path, kind, cond):
    # The choice branch's body takes as long as the seq beside it (the sif's entry state makes it
    # one longer) or longer (when taken); a par_auto must end with whichever really ends last.
    body = 2 if kind == "sif_else" else 3
    d = Design()
    with d.components(d.top):
        ci = d.input("c")
        r, q, after = d.reg("r", 4), d.reg("q", 4), d.reg("after", 4)
    with d.flow(d.top), d.seq("s"):
        with d.par("both"):
            steps(d, q, [1, 2], name="beside")
            cond_branch(d, kind, ci, r, body)
        d.assign(after, 1)
    emitted, sim = d.run(tmp_path, {"r": 4, "q": 4, "after": 4}, cycles=CYCLES,
                         inputs={"c": 1}, stimulus={"c": held(cond)})
    r_changes = [k for k in range(1, CYCLES) if sim["r"][k] != sim["r"][k - 1]]
    last_branch_write = max([2] + r_changes)  # q's last write is visible in sample 2
    assert sim["q"] == wave({1: 1, 2: 2})
    # The step after the par is active the cycle after the last branch's last state.
    assert sim["after"] == wave({last_branch_write + 1: 1})
    if kind == "sif_else":
        first = 2  # the sif's entry state is active in sample 0, its branch from sample 1
        values = [1, 2] if cond else [9, 10]
        assert sim["r"] == wave({first + i: x for i, x in enumerate(values)})
    else:
        assert sim["r"] == wave({})
    check_lint(emitted)
