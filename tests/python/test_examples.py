"""The bundled examples keep building, emitting and simulating what their docstrings say."""

import re
import subprocess
import sys
from pathlib import Path

import pytest

from verilog_tools import HAVE_IVERILOG, HAVE_VERILATOR, lint

EXAMPLES = Path(__file__).resolve().parents[2] / "examples"


def run_example(name: str, out_dir: Path) -> dict[int, dict[str, int]]:
    proc = subprocess.run([sys.executable, str(EXAMPLES / name), str(out_dir)], check=True,
                          capture_output=True, text=True)
    samples = {}
    for line in proc.stdout.splitlines():
        m = re.match(r"\s*cycle (\d+): (.*)", line)
        if m:
            samples[int(m.group(1))] = {k: int(v) for k, v in re.findall(r"(\w+)=(\d+)",
                                                                         m.group(2))}
    return samples


@pytest.mark.skipif(not HAVE_IVERILOG, reason="Icarus Verilog is not installed")
def test_seq_demo_counts_and_the_reader_follows(tmp_path):
    samples = run_example("seq_demo.py", tmp_path)
    assert [samples[k]["seen"] for k in range(7)] == [0, 0, 1, 2, 3, 4, 4]


@pytest.mark.skipif(not HAVE_IVERILOG, reason="Icarus Verilog is not installed")
def test_loop_demo_emits_bursts_of_three_pulses_while_run_is_high(tmp_path):
    samples = run_example("loop_demo.py", tmp_path)
    pulses = [samples[k]["pulse"] for k in sorted(samples)]
    assert sum(pulses) == 6  # two bursts of three; the second was started while run was high
    assert pulses[:10] == [0, 0, 1, 0, 1, 0, 1, 0, 0, 0]
    assert samples[23]["bursts"] == 2


@pytest.mark.skipif(not HAVE_IVERILOG, reason="Icarus Verilog is not installed")
def test_karray_demo_register_file_reads_what_was_written(tmp_path):
    samples = run_example("karray_demo.py", tmp_path)
    assert sorted(samples) == list(range(10))
    data, valid, writes = [0] * 4, [0] * 4, 0
    for k in range(10):
        s = samples[k]
        # The write and the count happen on the edge before the sample; reads are combinational.
        if s["we"]:
            data[s["waddr"]], valid[s["waddr"]] = s["wdata"], 1
        writes += s["we"]
        best = max((d for d, ok in zip(data, valid) if ok), default=0)
        seen = (s["rdata"], s["rvalid"], s["best"], s["writes"])
        assert seen == (data[s["raddr"]], valid[s["raddr"]], best, writes), f"cycle {k}"
    assert samples[6]["rvalid"] == 0 and samples[7]["best"] == 200
    if HAVE_VERILATOR:
        top = next(line.split()[1].rstrip("(") for line in (tmp_path / "rf_top.v").read_text()
                   .splitlines() if line.startswith("module "))
        assert lint(tmp_path, top) == []


@pytest.mark.skipif(not HAVE_IVERILOG, reason="Icarus Verilog is not installed")
def test_pipeline_demo_serves_each_client_once_the_higher_priority_first(tmp_path):
    samples = run_example("pipeline_demo.py", tmp_path)
    trace = [samples[k] for k in sorted(samples)]
    # Client A (priority 10) is granted at once; B waits for the unit's next entrance.
    assert [s["x"] for s in trace[:6]] == [0, 3, 3, 3, 4, 4]
    assert [s["served"] for s in trace] == [0, 0, 0, 0, 1, 1, 1, 2, 2, 2]
    assert trace[-1]["total"] == 3 * 3 + 4 * 4
    assert [s["done_a"] for s in trace][:3] == [0, 0, 1]
    assert [s["done_b"] for s in trace][:6] == [0, 0, 0, 0, 0, 1]
