"""Designs that a plain front end writes and that must still give the right, legal circuit."""

import re

import pytest

import _velmora as v
from design_kit import Design
from verilog_tools import HAVE_IVERILOG, HAVE_VERILATOR, lint

needs_iverilog = pytest.mark.skipif(not HAVE_IVERILOG, reason="Icarus Verilog is not installed")


def sub_module_design():
    d = Design()
    ar = d.arena
    ar.track_module_at_com_init(d.top)
    sub = ar.mk_module("sub")
    ar.track_module_at_com_init(sub)
    r = ar.mk_reg("r", 4)
    ar.set_reg_reset(r, ar.mk_val("r_rst", 4, 0))
    ar.mark_as_io(r, False, "r")
    din = ar.mk_wire("din", 4)
    ar.mark_as_io(din, True, "din")
    q = ar.mk_reg("q", 4)
    ar.mark_as_io(q, False, "q")
    ar.untrack_module_at_com_init(sub)
    ar.untrack_module_at_com_init(d.top)
    # Flow of the sub-module, written before set_top_module: a seq and an always-on assignment.
    ar.track_module_at_flow_init(sub)
    with d.seq("steps"):
        for value in (4, 5, 6):
            d.assign(r, value)
    d.assign(q, din)
    ar.finalize_flow_procedure()
    ar.untrack_module_at_flow_init(sub)
    return d, sub


@needs_iverilog
def test_sub_module_seq_and_always_on_logic_run_on_the_routed_clock(tmp_path):
    d, sub = sub_module_design()
    sub_name = d.arena.module_verilog_name(sub)
    emitted, sim = d.run(tmp_path, {"r": 4, "q": 4}, cycles=5, inputs={"din": 4},
                         stimulus={"din": [1, 2, 3, 4, 5]})
    assert sim["r"] == [0, 4, 5, 6, 6]
    assert sim["q"] == [1, 2, 3, 4, 5]
    sub_text = (emitted.out_dir / f"{sub_name}.v").read_text()
    clocks = set(re.findall(r"always @\(posedge (\S+)\)", sub_text))
    assert len(clocks) == 1
    (clock,) = clocks
    assert re.search(rf"input wire {re.escape(clock)}\b", sub_text), sub_text
    if HAVE_VERILATOR:
        assert lint(emitted.out_dir, emitted.top_name) == []


def test_emit_before_build_flow_is_refused(tmp_path):
    d = Design()
    with d.components(d.top):
        d.arena.mk_reg("r", 4)
    d.arena.set_top_module(d.top)
    backend = v.BackendVerilog(d.arena)
    with pytest.raises(ValueError) as e:
        backend.emit(str(tmp_path), "top")
    assert str(e.value) == (
        "BackendVerilog::phase_init — build_flow has not run on this model; call build_flow "
        "before BackendVerilog(arena)"
    )
    assert list(tmp_path.iterdir()) == []


def test_second_emit_writes_the_same_files_without_routing_again(tmp_path):
    d, _ = sub_module_design()
    d.arena.set_top_module(d.top)
    d.arena.build_flow()
    backend = v.BackendVerilog(d.arena)
    texts = []
    for name in ("first", "second"):
        (tmp_path / name).mkdir()
        backend.emit(str(tmp_path / name), "top")
        texts.append({p.name: p.read_text() for p in (tmp_path / name).glob("*.v")})
    assert texts[0] == texts[1]
    assert len(texts[0]) == 2
    assert texts[0]["top.v"].count("input wire [3:0] din") == 1
