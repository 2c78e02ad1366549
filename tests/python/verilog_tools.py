"""Runs emitted Verilog through real tools: Icarus Verilog simulates it (through the package's
own `velmora.sim`, which users have too), Verilator lints it against the project's list of
allowed warnings.
"""

from __future__ import annotations

import os
import re
import shutil
import subprocess
from pathlib import Path

from velmora.sim import Port, Simulation, run_testbench, verilog_files, write_testbench  # noqa: F401



def _load_allowed() -> list[tuple[str, str | None, str]]:
    """The project's one list of allowed Verilator warnings: (code, signal regex, reason)."""
    rows = []
    for line in (Path(__file__).parent.parent / "lint_allowed.txt").read_text().splitlines():
        if not line or line.startswith("#"):
            continue
        head, _, reason = line.partition(" -- ")
        words = head.split()
        rows.append((words[0], words[1] if len(words) > 1 else None, reason))
    return rows


ALLOWED_LINT_WARNINGS = _load_allowed()

HAVE_IVERILOG = shutil.which("iverilog") is not None and shutil.which("vvp") is not None
HAVE_VERILATOR = shutil.which("verilator") is not None


SimResult = Simulation


def simulate(out_dir: str | os.PathLike, top: str, outputs: list[Port], cycles: int,
             inputs: list[Port] | None = None,
             stimulus: dict[str, list[int]] | None = None, sync: bool = False) -> Simulation:
    """Compiles every .v file in out_dir with a generated testbench and runs it in Icarus."""
    return run_testbench(out_dir, top, outputs, cycles, inputs, stimulus, sync, vcd=False)


def compile_check(out_dir: str | os.PathLike) -> None:
    """Fails unless Icarus compiles the emitted files."""
    subprocess.run(["iverilog", "-g2012", "-o", os.devnull, *verilog_files(out_dir)], check=True,
                   capture_output=True, text=True)


def lint(out_dir: str | os.PathLike, top: str) -> list[str]:
    """Verilator warnings and errors not in ALLOWED_LINT_WARNINGS (empty when clean)."""
    proc = subprocess.run(["verilator", "--lint-only", "-Wall", "--top-module", top,
                           *verilog_files(out_dir)], capture_output=True, text=True)
    problems = []
    for line in proc.stderr.splitlines():
        m = re.match(r"%(Warning|Error)(?:-(\w+))?:", line)
        if not m:
            continue
        if m.group(1) == "Warning" and any(
                code == m.group(2) and (pattern is None or re.search(rf"'{pattern}'", line))
                for code, pattern, _ in ALLOWED_LINT_WARNINGS):
            continue
        if m.group(1) == "Error" and "Exiting due to" in line:
            continue
        problems.append(line)
    return problems
