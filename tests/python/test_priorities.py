"""Assignment priorities decide which assignment wins: the pool is written in ascending priority,
so the highest priority stands last in the always block."""

import re

import pytest

from design_kit import Design
from verilog_tools import HAVE_IVERILOG


def design_with_manual_priority():
    d = Design()
    with d.components(d.top):
        w = d.arena.mk_wire("w", 4)
        d.arena.mark_as_io(w, False, "w")
    with d.flow(d.top):
        d.arena.set_asm_pri_to_manual(70)
        try:
            d.assign(w, 3)
        finally:
            d.arena.set_asm_pri_to_auto()
        d.assign(w, 5)
    return d


def test_manual_priority_orders_the_always_block(tmp_path):
    emitted = design_with_manual_priority().emit(tmp_path)
    block = re.search(r"always @\(\*\) begin\n    WIRE_w_\d+.*?\nend\n", emitted.top_file.read_text(),
                      re.S).group(0)
    sources = re.findall(r" = (VAL_\w+)", block)
    # default (priority 0), then 5 (auto, 10), then 3 (manual, 70).
    assert [s.rsplit("_", 1)[0] for s in sources] == ["VAL_w_DEFAULT_ZERO", "VAL_const_c",
                                                      "VAL_const_c"]
    values = re.findall(r"wire \[3:0\]  (VAL_const_c_\d+) = 4'h(\d);", emitted.top_file.read_text())
    by_name = dict(values)
    assert [by_name[s] for s in sources[1:]] == ["5", "3"]


@pytest.mark.skipif(not HAVE_IVERILOG, reason="Icarus Verilog is not installed")
def test_higher_priority_assignment_wins_in_simulation(tmp_path):
    _, sim = design_with_manual_priority().run(tmp_path, {"w": 4}, cycles=3)
    assert sim["w"] == [3, 3, 3]


def test_auto_mode_gives_every_assignment_the_user_priority(arena):
    arena.set_asm_pri_to_manual(70)
    arena.set_asm_pri_to_auto()
    assert (arena.get_asm_pri_mode(), arena.get_asm_pri_val()) == ("Auto", 10)


@pytest.mark.skipif(not HAVE_IVERILOG, reason="Icarus Verilog is not installed")
@pytest.mark.parametrize("priority", [0, -3])
def test_wire_default_loses_to_assignments_of_priority_zero_or_below(tmp_path, priority):
    # The default carries priority 0 and is added at build_flow, after every user assignment.
    d = Design()
    with d.components(d.top):
        w = d.arena.mk_wire("w", 4)
        d.arena.set_wire_default(w, d.const("w_def", 4, 2))
        d.arena.mark_as_io(w, False, "w")
    with d.flow(d.top):
        d.arena.set_asm_pri_to_manual(priority)
        try:
            d.assign(w, 6)
        finally:
            d.arena.set_asm_pri_to_auto()
    _, sim = d.run(tmp_path, {"w": 4}, cycles=3)
    assert sim["w"] == [6, 6, 6]
