"""Loops and waits, proven cycle by cycle in Icarus.

Most designs are a top-level seq [a <= 1; LOOP; c <= c + 1]: the cycle in which `c` becomes 1
shows the loop's duration, and `c` never going above 1 shows that the loop hands on exactly one
token. Timeline (see test_simulation_seq_par): the state of `a <= 1` is active in sample 0, so
`a` reads 1 from sample 1 on; a step whose state is active in sample k shows its value in k + 1.
"""

import functools
import re

import pytest

import _velmora as v
from design_kit import Design
from verilog_tools import HAVE_IVERILOG, HAVE_VERILATOR, lint

pytestmark = pytest.mark.skipif(not HAVE_IVERILOG, reason="Icarus Verilog is not installed")


def check_lint(emitted, unread_input=None):
    """Lint clean; `unread_input` names an input port of which the design reads only some bits."""
    if HAVE_VERILATOR:
        problems = lint(emitted.out_dir, emitted.top_name)
        if unread_input:
            problems = [p for p in problems if f"'REG_{unread_input}_" not in p]
        assert problems == []


class LoopDesign(Design):
    """Registers a, c (the seq around the loop), k (a pass count-down) and b (passes run)."""

    def __init__(self, k_start: int = 0):
        super().__init__()
        with self.components(self.top):
            self.a = self.reg("a", 4)
            self.c = self.reg("c", 4)
            self.b = self.reg("b", 4)
            self.k = self.reg("k", 4, k_start)

    # Expressions are made on first use (inside the flow), so that a design holds no unused one.
    @functools.cached_property
    def k_nz(self):
        return self.arena.mk_expression("k_nz", v.LogicOp.RelationNeq, self.k, 0)

    @functools.cached_property
    def k_dec(self):
        return self.arena.mk_expression("k_dec", v.LogicOp.ArithMinus, self.k, 1)

    @functools.cached_property
    def b_inc(self):
        return self.arena.mk_expression("b_inc", v.LogicOp.ArithPlus, self.b, 1)

    @functools.cached_property
    def c_inc(self):
        return self.arena.mk_expression("c_inc", v.LogicOp.ArithPlus, self.c, 1)

    def reg(self, name, width, reset=0):
        r = self.arena.mk_reg(name, width)
        self.arena.set_reg_reset(r, self.const(name + "_rst", width, reset))
        self.arena.mark_as_io(r, False, name)
        return r

    def around(self, body):
        """The seq [a <= 1; body(); c <= c + 1] as the top module's flow."""
        with self.flow(self.top), self.seq("outer"):
            self.assign(self.a, 1)
            body()
            self.assign(self.c, self.c_inc)

    def count_down_pass(self, name="pass"):
        """One pass: k <= k - 1, then b <= b + 1 (two cycles)."""
        with self.seq(name):
            self.assign(self.k, self.k_dec)
            self.assign(self.b, self.b_inc)

    def one_step_pass(self, name="pass"):
        with self.seq(name):
            self.assign(self.b, self.b_inc)

    def loop(self, block, body):
        with self.block(block):
            body()

    def block_cwhile(self, cond, body, name="loop"):
        self.loop(self.arena.mk_flow_block_cwhile(name, cond), body)

    def block_swhile(self, cond, body, name="loop"):
        self.loop(self.arena.mk_flow_block_swhile(name, cond), body)

    def block_do_while(self, cond, body, name="loop"):
        self.loop(self.arena.mk_flow_block_do_while(name, cond), body)

    def block_counter_loop(self, count, body, name="loop"):
        self.loop(self.arena.mk_flow_block_counter_loop(name, count), body)

    def block_scwait(self, cond, cond_slice=None, name="scwait"):
        self.loop(self.arena.mk_flow_block_scwait(name, cond, cond_slice), lambda: None)

    def block_sywait(self, cycle, name="sywait"):
        self.loop(self.arena.mk_flow_block_sywait(name, cycle), lambda: None)

    def block_seq_steps(self, reg, values, name):
        with self.seq(name):
            for value in values:
                self.assign(reg, value)

    def run_abc(self, tmp_path, cycles, **kw):
        return self.run(tmp_path, {"a": 4, "b": 4, "c": 4}, cycles=cycles, **kw)


def rises_at(trace, value=1):
    return trace.index(value)


@pytest.mark.parametrize("passes", [0, 3])
def test_cwhile_tests_in_the_cycle_it_is_entered_and_after_every_pass(tmp_path, passes):
    d = LoopDesign(k_start=passes)
    d.around(lambda: d.block_cwhile(d.k_nz, d.count_down_pass))
    emitted, sim = d.run_abc(tmp_path, cycles=2 * passes + 5)
    # The test is combinational: the first pass starts right after `a`'s step, each pass takes
    # its two states, and the step after the loop follows the last test.
    assert rises_at(sim["c"]) == 2 * passes + 2
    assert max(sim["c"]) == 1
    assert sim["b"][-1] == passes
    check_lint(emitted)


def test_swhile_takes_one_test_cycle_per_pass(tmp_path):
    d = LoopDesign(k_start=3)
    d.around(lambda: d.block_swhile(d.k_nz, d.count_down_pass))
    emitted, sim = d.run_abc(tmp_path, cycles=15)
    # Four tests (the last one fails) and three passes of two cycles: 10 cycles after `a`.
    assert rises_at(sim["c"]) == 12
    assert sim["b"] == [0, 0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 3, 3]
    assert max(sim["c"]) == 1
    check_lint(emitted)


@pytest.mark.parametrize("passes", [1, 3])
def test_do_while_runs_its_body_before_the_first_test(tmp_path, passes):
    d = LoopDesign(k_start=passes)
    d.around(lambda: d.block_do_while(d.k_nz, d.count_down_pass))
    emitted, sim = d.run_abc(tmp_path, cycles=2 * passes + 4)
    assert rises_at(sim["c"]) == 2 * passes + 2
    assert max(sim["c"]) == 1
    assert sim["b"][-1] == passes
    check_lint(emitted)


@pytest.mark.parametrize("passes", [1, 3, 4])
def test_counter_loop_runs_its_body_exactly_n_times(tmp_path, passes):
    d = LoopDesign()
    d.around(lambda: d.block_counter_loop(passes, d.one_step_pass))
    emitted, sim = d.run_abc(tmp_path, cycles=passes + 5)
    assert sim["b"][: passes + 3] == [0] + list(range(passes + 1)) + [passes]
    assert rises_at(sim["c"]) == passes + 2
    assert max(sim["c"]) == 1 and sim["b"][-1] == passes
    check_lint(emitted)


def test_counter_loop_entered_twice_restarts_its_count(tmp_path):
    d = LoopDesign()
    d.around(lambda: d.block_counter_loop(2, lambda: d.block_counter_loop(3, d.one_step_pass,
                                                                          "inner"), "outer_loop"))
    emitted, sim = d.run_abc(tmp_path, cycles=12)
    # 2 x 3 passes of one cycle: the inner count wraps to 0 after its last pass.
    assert sim["b"][-1] == 6
    assert rises_at(sim["c"]) == 8
    assert max(sim["c"]) == 1
    check_lint(emitted)


@pytest.mark.parametrize("other_steps, loop_is_longest", [(2, True), (7, False)])
def test_counter_loop_in_par_auto_beside_a_seq(tmp_path, other_steps, loop_is_longest):
    d = LoopDesign()
    with d.components(d.top):
        e = d.reg("e", 4)

    def par():
        with d.par("branches"):
            d.block_counter_loop(3, lambda: d.block_seq_steps(d.b, [1, 2], "pass"))
            d.block_seq_steps(e, list(range(1, other_steps + 1)), "other")

    d.around(par)
    emitted, sim = d.run(tmp_path, {"b": 4, "c": 4, "e": 4}, cycles=12)
    longest = max(6, other_steps)  # 3 passes of 2 cycles against the other branch
    assert rises_at(sim["c"]) == longest + 2
    assert max(sim["c"]) == 1
    assert sim["e"][-1] == other_steps
    check_lint(emitted)


@pytest.mark.parametrize("width, bit", [(1, 0), (8, 2)])
def test_scwait_waits_until_its_condition_holds(tmp_path, width, bit):
    d = LoopDesign()
    with d.components(d.top):
        go = d.arena.mk_reg("go", width)
        d.arena.mark_as_io(go, True, "go")
    slice_ = None if width == 1 else v.Slice(bit, bit + 1)
    d.around(lambda: d.block_scwait(go, slice_))
    high = 1 << bit
    stimulus = {"go": [0, 0, 0, 0, 0, high, high, high, 0, 0]}
    emitted, sim = d.run(tmp_path, {"c": 4}, cycles=10, inputs={"go": width}, stimulus=stimulus)
    # `go` is set just before the 5th edge: the wait ends at that edge, which activates `c`'s
    # step (sample 5); `c` shows 1 from sample 6.
    assert rises_at(sim["c"]) == 6
    assert max(sim["c"]) == 1
    check_lint(emitted, unread_input="go")


@pytest.mark.parametrize("cycle", [1, 3])
def test_sywait_waits_its_cycles(tmp_path, cycle):
    d = LoopDesign()
    d.around(lambda: d.block_sywait(cycle))
    emitted, sim = d.run_abc(tmp_path, cycles=cycle + 5)
    assert rises_at(sim["c"]) == cycle + 2
    assert max(sim["c"]) == 1
    check_lint(emitted)


def test_loop_around_a_body_that_may_end_at_once_closes_no_combinational_loop(tmp_path):
    """cwhile(run) { cwhile(never) {...} }: the inner loop ends in the cycle it starts; the outer
    loop-back holds that end a cycle instead of closing a loop through the body's entry."""
    d = LoopDesign()
    with d.components(d.top):
        run = d.arena.mk_reg("run", 1)
        d.arena.mark_as_io(run, True, "run")
        never = d.const("never", 1, 0)

    def outer():
        def inner():
            d.block_cwhile(never, d.one_step_pass, "inner")

        d.block_cwhile(run, inner, "outer_loop")

    with d.flow(d.top), d.seq("outer"):
        d.assign(d.a, 1)
        outer()
        d.assign(d.c, d.c_inc)
    stimulus = {"run": [1] * 6 + [0] * 6}
    emitted, sim = d.run(tmp_path, {"b": 4, "c": 4}, cycles=12, inputs={"run": 1},
                         stimulus=stimulus)
    assert sim["b"] == [0] * 12  # the inner body never runs
    assert 6 <= rises_at(sim["c"]) <= 8  # the loop leaves within a cycle or two of `run` falling
    assert max(sim["c"]) == 1
    check_lint(emitted)  # in particular no UNOPTFLAT


# ---- refusals -----------------------------------------------------------------------------------


@pytest.fixture
def flow_arena():
    d = LoopDesign()
    d.arena.track_module_at_flow_init(d.top)
    return d


@pytest.mark.parametrize("factory", ["mk_flow_block_counter_loop", "mk_flow_block_sywait"])
@pytest.mark.parametrize("count", [0, -2])
def test_loop_counts_must_be_positive(flow_arena, factory, count):
    what = "counter loop count" if "counter" in factory else "sywait cycle"
    with pytest.raises(ValueError, match=f"^{what} must be positive, got {count}$"):
        getattr(flow_arena.arena, factory)("x", count)


@pytest.mark.parametrize("factory", ["mk_flow_block_cwhile", "mk_flow_block_swhile",
                                     "mk_flow_block_do_while", "mk_flow_block_scwait"])
def test_loop_conditions_are_checked(flow_arena, factory):
    make = getattr(flow_arena.arena, factory)
    with pytest.raises(ValueError, match=r"^cond must be 1-bit, got 4 \(slice the cond variable"):
        make("x", flow_arena.k)
    with pytest.raises(ValueError, match=r"^cond slice Slice \{ start: 4, stop: 5 \} does not fit"):
        make("x", flow_arena.k, v.Slice(4, 5))
    make("x", flow_arena.k, v.Slice(3, 4))  # one bit of a wider signal


@pytest.mark.parametrize("factory, args, noun, text", [
    ("mk_flow_block_cwhile", ("k_nz",), "cwhile",
     "while block does not accept direct asm nodes; use a sub-block"),
    ("mk_flow_block_do_while", ("k_nz",), "do-while",
     "do-while block does not accept direct asm nodes; use a sub-block"),
    ("mk_flow_block_counter_loop", (2,), "counter loop",
     "counter loop does not accept direct asm nodes; use a sub-block"),
    ("mk_flow_block_sywait", (2,), "sywait", "wait block accepts no direct nodes"),
])
def test_assignments_directly_in_a_loop_are_refused(flow_arena, factory, args, noun, text):
    d = flow_arena
    args = tuple(getattr(d, a) if isinstance(a, str) else a for a in args)
    loop = getattr(d.arena, factory)("lp", *args)
    d.arena.initialize_flow_block(loop)
    with pytest.raises(ValueError,
                       match=rf"^{noun} \w+_lp_\d+ cannot take an assignment: {re.escape(text)}$"):
        d.assign(d.a, 1)


@pytest.mark.parametrize("factory, args, noun, text", [
    ("mk_flow_block_cwhile", ("k_nz",), "cwhile", "while block already has a body sub-block"),
    ("mk_flow_block_do_while", ("k_nz",), "do-while",
     "do-while block already has a body sub-block"),
    ("mk_flow_block_counter_loop", (2,), "counter loop",
     "counter loop already has a body sub-block"),
])
def test_a_second_loop_body_is_refused_when_it_is_opened(flow_arena, factory, args, noun, text):
    d = flow_arena
    args = tuple(getattr(d, a) if isinstance(a, str) else a for a in args)
    loop = getattr(d.arena, factory)("lp", *args)
    d.arena.initialize_flow_block(loop)
    with d.seq("first"):
        d.assign(d.a, 1)
    second = d.arena.mk_flow_block_seq("second")
    with pytest.raises(ValueError, match=rf"^{noun} \w+_lp_\d+ cannot take seq \w+_second_\d+: "
                                         rf"{re.escape(text)} \(seq \w+_first_\d+\)"):
        d.arena.initialize_flow_block(second)
    assert d.arena.check_flow_block_prefinalize(loop) is None  # the loop keeps its first body


def test_a_wait_takes_no_sub_block(flow_arena):
    d = flow_arena
    wait = d.arena.mk_flow_block_sywait("w", 2)
    d.arena.initialize_flow_block(wait)
    inner = d.arena.mk_flow_block_seq("inner")
    with pytest.raises(ValueError, match=r"^sywait \w+_w_\d+ cannot take seq \w+_inner_\d+: "
                                         r"wait block accepts no sub-blocks$"):
        d.arena.initialize_flow_block(inner)


@pytest.mark.parametrize("factory, args, text", [
    ("mk_flow_block_cwhile", ("k_nz",), "while block must have one body block"),
    ("mk_flow_block_swhile", ("k_nz",), "while block must have one body block"),
    ("mk_flow_block_do_while", ("k_nz",), "do-while block must have exactly one body block"),
    ("mk_flow_block_counter_loop", (3,), "counter loop must have exactly one body block"),
])
def test_a_loop_without_body_fails_its_prefinalize_check(flow_arena, factory, args, text):
    d = flow_arena
    args = tuple(getattr(d, a) if isinstance(a, str) else a for a in args)
    loop = getattr(d.arena, factory)("lp", *args)
    d.arena.initialize_flow_block(loop)
    with pytest.raises(ValueError, match=f"^{text}$"):
        d.arena.check_flow_block_prefinalize(loop)


def test_scwait_on_a_slice_of_a_wide_signal_builds(tmp_path):
    """The slice is resolved when the block is made, so the wait tests one whole bit."""
    d = LoopDesign()
    with d.components(d.top):
        st = d.arena.mk_reg("st", 8)
        d.arena.mark_as_io(st, True, "st")
    d.around(lambda: d.block_scwait(st, v.Slice(2, 3)))
    emitted = d.emit(tmp_path)
    text = emitted.top_file.read_text()
    assert "scwait_CONDSLICE" in text  # the "{name}_CONDSLICE" bit the register tests
    check_lint(emitted, unread_input="st")


@pytest.mark.parametrize("valid_stimulus, increments", [([0] * 12, 0), ([1] * 12, None)],
                         ids=["valid_low", "valid_high"])
def test_while_around_an_if_without_else_closes_no_combinational_loop(tmp_path, valid_stimulus,
                                                                      increments):
    """cwhile(run) { seq [ cif(valid) { r <= r + 1 } ] }: with `valid` low the body ends in the
    cycle it starts; the loop still advances one cycle per pass and leaves when `run` falls."""
    d = LoopDesign()
    with d.components(d.top):
        run = d.arena.mk_reg("run", 1)
        d.arena.mark_as_io(run, True, "run")
        valid = d.arena.mk_reg("valid", 1)
        d.arena.mark_as_io(valid, True, "valid")

    def body():
        with d.seq("body"):
            cif = d.arena.mk_flow_block_cif("if_valid", valid)
            with d.block(cif):
                d.one_step_pass("inc")

    d.around(lambda: d.block_cwhile(run, body, "while_run"))
    stimulus = {"run": [1] * 6 + [0] * 6, "valid": valid_stimulus}
    emitted, sim = d.run(tmp_path, {"b": 4, "c": 4}, cycles=12, inputs={"run": 1, "valid": 1},
                         stimulus=stimulus)
    assert 6 <= rises_at(sim["c"]) <= 8  # the loop leaves within a cycle or two of `run` falling
    assert max(sim["c"]) == 1
    if increments is not None:
        assert sim["b"][-1] == increments
    else:
        assert 0 < sim["b"][-1] < 8
    check_lint(emitted)  # in particular no UNOPTFLAT
