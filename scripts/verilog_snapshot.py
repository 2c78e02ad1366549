"""Writes the Verilog of the bundled example and of the benchmark design (N = 1000, 8 modules)
into one folder, each from a fresh interpreter so that global ids are the same on every run.

    python3 scripts/verilog_snapshot.py out/before     # with one build installed
    python3 scripts/verilog_snapshot.py out/after      # with another
    diff -r out/before out/after                       # empty when the output is byte-identical
"""

import importlib.util
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent


def bench_child_code() -> str:
    spec = importlib.util.spec_from_file_location("bench_seq_emit",
                                                  ROOT / "bench" / "bench_seq_emit.py")
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module.CHILD


def main() -> None:
    out = Path(sys.argv[1])
    example_dir, bench_dir = out / "seq_demo", out / "bench_1000"
    bench_dir.mkdir(parents=True, exist_ok=True)
    subprocess.run([sys.executable, str(ROOT / "examples" / "seq_demo.py"), str(example_dir)],
                   check=True, stdout=subprocess.DEVNULL)
    subprocess.run([sys.executable, "-c", bench_child_code(), "1000", "8", str(bench_dir)],
                   check=True, stdout=subprocess.DEVNULL)
    for path in sorted(out.rglob("*.v")):
        print(path.relative_to(out), path.stat().st_size)


if __name__ == "__main__":
    main()
