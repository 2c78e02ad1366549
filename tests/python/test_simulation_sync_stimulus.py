"""Inputs driven the way a clocked surrounding design drives them: on the rising edge, through
non-blocking assignments. Every flop of the design must sample what its input held before that
edge, however the design clock reaches it."""

import pytest

from design_kit import Design
from verilog_tools import HAVE_IVERILOG, HAVE_VERILATOR, lint

pytestmark = pytest.mark.skipif(not HAVE_IVERILOG, reason="Icarus Verilog is not installed")


def delayed(values: list[int], stages: int) -> list[int]:
    """What a chain of `stages` flops that start at 0 shows after each edge."""
    return [0] * stages + values[: len(values) - stages]


def build_input_pipeline(d: Design, where: str):
    """din: an input-marked register the flow also writes, so it samples the input port on every
    edge; q <= din always on. Built in the top module or in a sub-module of it."""
    ar = d.arena
    ar.track_module_at_com_init(d.top)
    module = d.top
    if where == "sub_module":
        module = ar.mk_module("stage")
        ar.track_module_at_com_init(module)
    din = ar.mk_reg("din", 8)
    ar.mark_as_io(din, True, "din")
    q = ar.mk_reg("q", 8)
    ar.mark_as_io(q, False, "q")
    seen = ar.mk_wire("seen", 8)
    ar.mark_as_io(seen, False, "seen")
    if module is not d.top:
        ar.untrack_module_at_com_init(module)
    ar.untrack_module_at_com_init(d.top)
    with d.flow(module):
        d.assign(din, 0)
        d.assign(q, din)
        d.assign(seen, din)


@pytest.mark.parametrize("where", ["top_module", "sub_module"])
def test_clock_race_flops_sample_inputs_from_before_the_edge(tmp_path, where):
    d = Design()
    build_input_pipeline(d, where)
    stimulus = [3, 4, 5, 6, 7, 8, 9]
    emitted, sim = d.run(tmp_path, {"q": 8, "seen": 8}, cycles=len(stimulus), inputs={"din": 8},
                         stimulus={"din": stimulus}, sync=True)
    assert sim["seen"] == delayed(stimulus, 1)
    assert sim["q"] == delayed(stimulus, 2)
    if HAVE_VERILATOR:
        assert lint(emitted.out_dir, emitted.top_name) == []
