"""A cocotb testbench (Icarus through cocotb's Python runner) drives an emitted controller
through its ports on clock edges and checks its cycle behaviour."""

import shutil
import sys
from pathlib import Path

import pytest

import _velmora as v

COCOTB_DIR = Path(__file__).resolve().parent.parent / "cocotb"
sys.path.insert(0, str(COCOTB_DIR))

import loop_controller  # noqa: E402

pytestmark = pytest.mark.skipif(shutil.which("iverilog") is None or shutil.which("vvp") is None,
                                reason="Icarus Verilog (iverilog, vvp) is not installed")


def emit_controller(out_dir: Path) -> tuple[str, list[Path]]:
    arena = v.ModelArena()
    top = loop_controller.build(arena)
    arena.build_flow()
    name = arena.module_verilog_name(top)
    out_dir.mkdir()
    v.BackendVerilog(arena).emit(str(out_dir), "loop_ctl")
    return name, sorted(out_dir.glob("*.v"))


@pytest.mark.parametrize("drop_at", [12, 17, 19], ids=["in_a_burst", "in_a_pause",
                                                        "at_a_burst_start"])
def test_cocotb_drives_the_loop_controller_on_clock_edges(tmp_path, drop_at):
    from cocotb_tools.check_results import get_results
    from cocotb_tools.runner import get_runner

    name, sources = emit_controller(tmp_path / "rtl")
    runner = get_runner("icarus")
    runner.build(sources=sources, hdl_toplevel=name, build_dir=tmp_path / "sim_build",
                 timescale=("1ns", "1ps"))
    results = runner.test(hdl_toplevel=name, test_module="loop_controller_tb",
                          build_dir=tmp_path / "sim_build", test_dir=tmp_path,
                          extra_env={"DROP_AT": str(drop_at)})
    assert get_results(results) == (1, 0)
