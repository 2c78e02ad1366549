"""Benchmark: model + build_flow + emit of a sequence of N register assignments spread over M
sub-modules, every other step reading a register of a sibling module (so IO routing has work).

Each size runs in fresh interpreters (the median of --repeat runs) so that its peak RSS is its
own; "B/step" is the peak above the interpreter's own, divided by N, and "write MB/s" the Verilog
written per second of the writing phase alone. To compare with another build in the same run,
point PYTHONPATH at it:

    PYTHONPATH=/path/to/other/build python3 bench/bench_seq_emit.py --sizes 200000 --modules 8

    python3 bench/bench_seq_emit.py                 # N = 10k, 100k, 1M with M = 16
    python3 bench/bench_seq_emit.py --sizes 10000 --modules 4
"""

import argparse
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time

CHILD = r"""
import json, os, resource, subprocess, sys, tempfile, time
import _velmora as v

STAMPER = ('import sys, time\n'
           'for line in sys.stdin:\n'
           '    print(f"{time.monotonic()} {line.rstrip()}", flush=True)\n')

baseline_kib = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss

n, m, out_dir = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
t0 = time.perf_counter()
a = v.ModelArena()
top = a.mk_module("top")
a.track_module_at_com_init(top)
mods, regs = [], []
for i in range(m):
    sub = a.mk_module(f"m{i}")
    a.track_module_at_com_init(sub)
    r = a.mk_reg(f"r{i}", 16)
    a.untrack_module_at_com_init(sub)
    mods.append(sub)
    regs.append(r)
a.untrack_module_at_com_init(top)
per = n // m
for i, sub in enumerate(mods):
    a.track_module_at_flow_init(sub)
    seq = a.mk_flow_block_seq(f"s{i}")
    a.initialize_flow_block(seq)
    neighbour = regs[(i + 1) % m]
    for k in range(per):
        a.gen_basic_assign(regs[i], neighbour if k % 2 else k & 0xFFFF)
    a.finalize_flow_block(seq)
    a.finalize_flow_procedure()
    a.untrack_module_at_flow_init(sub)
a.set_top_module(top)
t1 = time.perf_counter()
a.build_flow()
t2 = time.perf_counter()
backend = v.BackendVerilog(a)
# The backend reports its phases on stdout, one flushed line each; a helper process stamps them
# with the system-wide monotonic clock, which times the writing phase on its own.
stamper = subprocess.Popen([sys.executable, "-c", STAMPER], stdin=subprocess.PIPE,
                           stdout=subprocess.PIPE, text=True)
saved = os.dup(1)
os.dup2(stamper.stdin.fileno(), 1)
try:
    backend.emit(out_dir, "top")
finally:
    os.dup2(saved, 1)
    stamper.stdin.close()
t3 = time.perf_counter()
stamps = dict(line.split(" ", 1)[::-1] for line in stamper.stdout.read().splitlines())
stamper.wait()
write_s = (float(stamps["[BackendVerilog] Phase 3: done"])
           - float(next(t for line, t in stamps.items() if "Phase 3: emitting" in line)))
del backend, a
t4 = time.perf_counter()
size = sum(os.path.getsize(os.path.join(out_dir, f)) for f in os.listdir(out_dir))
print(json.dumps({"model_s": t1 - t0, "build_s": t2 - t1, "emit_s": t3 - t2, "free_s": t4 - t3,
                  "total_s": t4 - t0, "write_s": write_s, "verilog_bytes": size,
                  "baseline_kib": baseline_kib,
                  "peak_rss_kib": resource.getrusage(resource.RUSAGE_SELF).ru_maxrss}))
"""


def run(n: int, m: int) -> dict:
    with tempfile.TemporaryDirectory() as out_dir:
        proc = subprocess.run([sys.executable, "-c", CHILD, str(n), str(m), out_dir],
                              capture_output=True, text=True, check=False)
    if proc.returncode != 0:
        sys.exit(f"N = {n}, {m} modules failed:\n{proc.stderr[-2000:]}")
    return json.loads(proc.stdout.strip().splitlines()[-1])


def main() -> None:
    parser = argparse.ArgumentParser()
    parser.add_argument("--sizes", type=int, nargs="+", default=[10_000, 100_000, 1_000_000])
    parser.add_argument("--modules", type=int, default=16)
    parser.add_argument("--repeat", type=int, default=3, help="fresh processes per size (median)")
    args = parser.parse_args()
    print(f"{'N':>9} {'model s':>8} {'build s':>8} {'emit s':>8} {'free s':>7} {'total s':>8} "
          f"{'peak MiB':>9} {'B/step':>7} {'Verilog MiB':>12} {'write MB/s':>11}")
    for n in args.sizes:
        runs = [run(n, args.modules) for _ in range(args.repeat)]
        r = {key: statistics.median(x[key] for x in runs) for key in runs[0]}
        # Peak memory above what the interpreter held before the design was made.
        per_step = (r["peak_rss_kib"] - r["baseline_kib"]) * 1024 / n
        print(f"{n:>9} {r['model_s']:>8.2f} {r['build_s']:>8.2f} {r['emit_s']:>8.2f} "
              f"{r['free_s']:>7.2f} {r['total_s']:>8.2f} {r['peak_rss_kib'] / 1024:>9.1f} "
              f"{per_step:>7.0f} {r['verilog_bytes'] / 2**20:>12.1f} "
              f"{r['verilog_bytes'] / r['write_s'] / 1e6:>11.0f}")


if __name__ == "__main__":
    main()
