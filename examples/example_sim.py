"""Runs an example's emitted Verilog in Icarus Verilog with the example's own testbench."""

import shutil
import subprocess
import tempfile
from pathlib import Path


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
