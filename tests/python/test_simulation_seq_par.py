"""The emitted Verilog, run in Icarus, does per cycle what the flow says.

Timeline of every test: reset is applied for one clock edge and released; sample k is taken a
little after the k-th rising edge that follows. The start pulse is high in sample 0, so the first
state of a top-level sequence is active in sample 0 and its assignment is visible in sample 1.
"""

import pytest

from design_kit import Design
from verilog_tools import HAVE_IVERILOG, HAVE_VERILATOR, lint

pytestmark = pytest.mark.skipif(not HAVE_IVERILOG, reason="Icarus Verilog is not installed")


def check_lint(emitted):
    if HAVE_VERILATOR:
        assert lint(emitted.out_dir, emitted.top_name) == []


def test_seq_takes_one_cycle_per_step(tmp_path):
    d = Design()
    with d.components(d.top):
        r = d.arena.mk_reg("r", 8)
        d.arena.set_reg_reset(r, d.const("r_rst", 8, 0))
        d.arena.mark_as_io(r, False, "r_out")
    with d.flow(d.top), d.seq("steps"):
        for value in (1, 2, 3):
            d.assign(r, value)
    emitted, sim = d.run(tmp_path, {"r_out": 8}, cycles=6)
    assert sim["r_out"] == [0, 1, 2, 3, 3, 3]
    check_lint(emitted)


def test_reset_values_and_wire_defaults(tmp_path):
    d = Design()
    with d.components(d.top):
        held = d.arena.mk_reg("held", 8)
        d.arena.set_reg_reset(held, d.const("held_rst", 8, 7))
        d.arena.mark_as_io(held, False, "held")
        w5 = d.arena.mk_wire("w5", 4)
        d.arena.set_wire_default(w5, d.const("w5_def", 4, 5))
        d.arena.mark_as_io(w5, False, "w5")
        w0 = d.arena.mk_wire("w0", 4)
        d.arena.mark_as_io(w0, False, "w0")
    with d.flow(d.top):
        pass
    emitted, sim = d.run(tmp_path, {"held": 8, "w5": 4, "w0": 4}, cycles=4)
    assert sim["held"] == [7] * 4  # a reset-only register holds its reset value
    assert sim["w5"] == [5] * 4
    assert sim["w0"] == [0] * 4
    check_lint(emitted)


@pytest.mark.parametrize("no_sync", [False, True], ids=["auto_sync", "no_sync"])
def test_par_ends_with_its_longest_branch_and_the_next_step_follows(tmp_path, no_sync):
    d = Design()
    with d.components(d.top):
        a = d.arena.mk_reg("a", 4)
        b = d.arena.mk_reg("b", 4)
        c = d.arena.mk_reg("c", 4)
        for reg, port in ((a, "a"), (b, "b"), (c, "c")):
            d.arena.set_reg_reset(reg, d.const(port + "_rst", 4, 0))
            d.arena.mark_as_io(reg, False, port)
    with d.flow(d.top), d.seq("outer"):
        with d.par("branches", no_sync=no_sync):
            with d.seq("short"):
                d.assign(a, 1)
                d.assign(a, 2)
            with d.seq("long"):
                d.assign(b, 1)
                d.assign(b, 2)
                d.assign(b, 3)
        d.assign(c, 9)
    emitted, sim = d.run(tmp_path, {"a": 4, "b": 4, "c": 4}, cycles=7)
    assert sim["a"] == [0, 1, 2, 2, 2, 2, 2]
    assert sim["b"] == [0, 1, 2, 3, 3, 3, 3]
    # The long branch's last state is active in sample 2; the step after the par in sample 3.
    assert sim["c"] == [0, 0, 0, 0, 9, 9, 9]
    check_lint(emitted)


def test_par_assignments_happen_together_in_one_state(tmp_path):
    d = Design()
    with d.components(d.top):
        a = d.arena.mk_reg("a", 4)
        b = d.arena.mk_reg("b", 4)
        for reg, port in ((a, "a"), (b, "b")):
            d.arena.set_reg_reset(reg, d.const(port + "_rst", 4, 0))
            d.arena.mark_as_io(reg, False, port)
    with d.flow(d.top), d.seq("s"):
        with d.par("both"):
            d.assign(a, 3)
            d.assign(b, 4)
        d.assign(a, 5)
    emitted, sim = d.run(tmp_path, {"a": 4, "b": 4}, cycles=4)
    assert sim["a"] == [0, 3, 5, 5]
    assert sim["b"] == [0, 4, 4, 4]
    check_lint(emitted)


def test_top_level_assignments_are_always_on(tmp_path):
    d = Design()
    with d.components(d.top):
        din = d.arena.mk_wire("din", 8)
        d.arena.mark_as_io(din, True, "din")
        q = d.arena.mk_reg("q", 8)
        d.arena.mark_as_io(q, False, "q")
        w = d.arena.mk_wire("w", 8)
        d.arena.mark_as_io(w, False, "w")
    with d.flow(d.top):
        d.assign(q, din)
        d.assign(w, din)
    stimulus = {"din": [3, 5, 7, 11, 13]}
    emitted, sim = d.run(tmp_path, {"q": 8, "w": 8}, cycles=5, inputs={"din": 8},
                         stimulus=stimulus)
    assert sim["w"] == [3, 5, 7, 11, 13]  # combinational: follows its source in every cycle
    assert sim["q"] == [3, 5, 7, 11, 13]  # registered on the edge right after the input changed
    check_lint(emitted)




def test_signals_cross_modules_through_ports(tmp_path):
    # top ── a ── a1 (x counts up in a seq)
    #     └─ b ── b1 (reads x two levels across) ; b (reads x) ; top reads nothing
    #     └─ c (sibling of a, reads a's y)
    d = Design()
    ar = d.arena
    ar.track_module_at_com_init(d.top)
    a = ar.mk_module("a")
    ar.track_module_at_com_init(a)
    y = ar.mk_reg("y", 4)
    ar.set_reg_reset(y, ar.mk_val("y_rst", 4, 0))
    a1 = ar.mk_module("a1")
    ar.track_module_at_com_init(a1)
    x = ar.mk_reg("x", 4)
    ar.set_reg_reset(x, ar.mk_val("x_rst", 4, 0))
    ar.untrack_module_at_com_init(a1)
    ar.untrack_module_at_com_init(a)
    b = ar.mk_module("b")
    ar.track_module_at_com_init(b)
    b1 = ar.mk_module("b1")
    ar.track_module_at_com_init(b1)
    xb1 = ar.mk_reg("xb1", 4)
    ar.mark_as_io(xb1, False, "xb1")
    ar.untrack_module_at_com_init(b1)
    xb = ar.mk_wire("xb", 4)
    ar.mark_as_io(xb, False, "xb")
    ar.untrack_module_at_com_init(b)
    c = ar.mk_module("c")
    ar.track_module_at_com_init(c)
    yc = ar.mk_wire("yc", 4)
    ar.mark_as_io(yc, False, "yc")
    ar.untrack_module_at_com_init(c)
    ar.untrack_module_at_com_init(d.top)

    with d.flow(a1), d.seq("count"):
        for value in (1, 2, 3):
            d.assign(x, value)
    with d.flow(a), d.seq("y_steps"):
        d.assign(y, 6)
        d.assign(y, 7)
    with d.flow(b1):
        d.assign(xb1, x)
    with d.flow(b):
        d.assign(xb, x)
    with d.flow(c):
        d.assign(yc, y)

    emitted, sim = d.run(tmp_path, {"xb1": 4, "xb": 4, "yc": 4}, cycles=5)
    assert sim["xb"] == [0, 1, 2, 3, 3]
    assert sim["xb1"] == [0, 0, 1, 2, 3]
    assert sim["yc"] == [0, 6, 7, 7, 7]
    assert len(emitted.files) == 6
    check_lint(emitted)


def test_io_marks_deep_in_the_tree_become_top_ports(tmp_path):
    d = Design()
    ar = d.arena
    ar.track_module_at_com_init(d.top)
    mid = ar.mk_module("mid")
    ar.track_module_at_com_init(mid)
    leaf = ar.mk_module("leaf")
    ar.track_module_at_com_init(leaf)
    din = ar.mk_wire("din", 8)
    ar.mark_as_io(din, True, "din")
    dout = ar.mk_reg("dout", 8)
    ar.mark_as_io(dout, False, "dout")
    ar.untrack_module_at_com_init(leaf)
    ar.untrack_module_at_com_init(mid)
    ar.untrack_module_at_com_init(d.top)
    with d.flow(leaf):
        d.assign(dout, din)
    emitted, sim = d.run(tmp_path, {"dout": 8}, cycles=4, inputs={"din": 8},
                         stimulus={"din": [9, 8, 7, 6]})
    assert sim["dout"] == [9, 8, 7, 6]
    top_text = emitted.top_file.read_text()
    assert "input wire [7:0] din" in top_text
    assert "output reg  [7:0] dout" in top_text
    check_lint(emitted)
