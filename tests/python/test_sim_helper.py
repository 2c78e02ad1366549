"""velmora.sim: the simulation helper users get with the package."""

import pytest

import _velmora as v
from velmora import sim


def counter_design():
    """`count` steps 1, 2, 3 after reset; `echo` follows the input `din` every cycle."""
    arena = v.ModelArena()
    top = arena.mk_module("top")
    arena.track_module_at_com_init(top)
    count = arena.mk_reg("count", 8)
    arena.set_reg_reset(count, arena.mk_val("count_rst", 8, 0))
    arena.mark_as_io(count, False, "count")
    din = arena.mk_wire("din", 4)
    arena.mark_as_io(din, True, "din")
    echo = arena.mk_wire("echo", 4)
    arena.mark_as_io(echo, False, "echo")
    arena.untrack_module_at_com_init(top)
    arena.track_module_at_flow_init(top)
    arena.gen_basic_assign(echo, din)
    seq = arena.mk_flow_block_seq("steps")
    arena.initialize_flow_block(seq)
    for value in (1, 2, 3):
        arena.gen_basic_assign(count, value)
    arena.check_flow_block_prefinalize(seq)
    arena.finalize_flow_block(seq)
    arena.finalize_flow_procedure()
    arena.untrack_module_at_flow_init(top)
    arena.set_top_module(top)
    arena.build_flow()
    return arena, top


@pytest.mark.parametrize("simulator", ["icarus", "verilator"])
def test_simulate_returns_per_cycle_outputs_and_a_waveform(tmp_path, simulator):
    if not sim.have_simulator(simulator):
        pytest.skip(f"{simulator} is not installed")
    arena, top = counter_design()
    result = sim.simulate(arena, top, cycles=6, inputs={"din": [5, 6, 7]}, out_dir=tmp_path,
                          simulator=simulator)
    assert result["count"] == [0, 1, 2, 3, 3, 3]
    assert result["echo"] == [5, 6, 7, 7, 7, 7]  # the last value given holds
    waveform = result.vcd.read_text()
    assert "$enddefinitions" in waveform and "out_count" in waveform
    table = result.table().splitlines()
    assert table[0].split() == ["cycle", "count", "echo"]
    assert table[2].split() == ["1", "1", "6"]


def test_ports_of_reads_the_emitted_top_module(tmp_path):
    arena, top = counter_design()
    v.BackendVerilog(arena).emit(str(tmp_path), "top")
    inputs, outputs = sim.ports_of(tmp_path / "top.v")
    assert [(p.name, p.width) for p in inputs] == [("din", 4)]
    assert sorted((p.name, p.width) for p in outputs) == [("count", 8), ("echo", 4)]


@pytest.mark.parametrize("kw, message", [
    ({"outputs": ["nope"]}, "no output port 'nope'"),
    ({"inputs": {"nope": [1]}}, "no input port 'nope'"),
])
def test_simulate_refuses_ports_the_design_does_not_have(tmp_path, kw, message):
    if not sim.have_simulator("icarus"):
        pytest.skip("Icarus Verilog is not installed")
    arena, top = counter_design()
    with pytest.raises(ValueError, match=message):
        sim.simulate(arena, top, cycles=2, out_dir=tmp_path, simulator="icarus", **kw)
