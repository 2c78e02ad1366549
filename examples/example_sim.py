"""What the examples share: build, emit, and run the emitted Verilog in Icarus Verilog with the
example's own testbench."""

import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

import _velmora as v


def simulate(out_dir: Path, testbench_name: str, testbench: str) -> None:
    """Compiles every .v file of out_dir with the testbench and prints its "cycle" lines."""
    if shutil.which("iverilog") is None or shutil.which("vvp") is None:
        print("Icarus Verilog is not installed: skipping the simulation")
        return
    tb = out_dir / testbench_name
    tb.write_text(testbench)
    with tempfile.TemporaryDirectory() as work:
        binary = Path(work) / "example.vvp"
        sources = sorted(str(p) for p in out_dir.glob("*.v"))
        subprocess.run(["iverilog", "-g2012", "-o", str(binary), str(tb), *sources], check=True)
        run = subprocess.run(["vvp", "-n", str(binary)], check=True, capture_output=True, text=True)
    print("simulation (samples after each rising edge once reset is released):")
    for line in run.stdout.splitlines():
        if line.startswith("cycle"):
            print("   ", line)


def run_example(build, default_out: str, top_file: str, testbench_name: str,
                testbench: str) -> None:
    """The examples' main: `build(arena)` describes the design and returns its top module; the
    design is built, emitted into argv[1] (or `default_out`) and simulated with the testbench,
    whose "{top}" is replaced by the top module's Verilog name."""
    out_dir = Path(sys.argv[1] if len(sys.argv) > 1 else default_out)
    out_dir.mkdir(parents=True, exist_ok=True)
    arena = v.ModelArena()
    top = build(arena)
    arena.build_flow()
    top_name = arena.module_verilog_name(top)
    v.BackendVerilog(arena).emit(str(out_dir), top_file)
    for path in sorted(out_dir.glob("*.v")):
        print(f"wrote {path} ({path.stat().st_size} bytes)")
    simulate(out_dir, testbench_name, testbench.replace("{top}", top_name))
