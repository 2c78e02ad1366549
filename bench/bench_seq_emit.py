"""Benchmark: model + build_flow + emit of a sequence of N register assignments spread over M
sub-modules, every other step reading a register of a sibling module (so IO routing has work).

Each size runs in a fresh interpreter so that its peak RSS is its own.

    python3 bench/bench_seq_emit.py                 # N = 10k, 100k, 1M with M = 16
    python3 bench/bench_seq_emit.py --sizes 10000 --modules 4
"""

import argparse
import json
import os
import subprocess
import sys
import tempfile
import time

CHILD = r"""
import json, os, resource, sys, tempfile, time
import _velmora as v

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
        a.gen_basic_assign(regs[i], neighbour if k % 2 else k)
    a.finalize_flow_block(seq)
    a.finalize_flow_procedure()
    a.untrack_module_at_flow_init(sub)
a.set_top_module(top)
t1 = time.perf_counter()
a.build_flow()
t2 = time.perf_counter()
backend = v.BackendVerilog(a)
devnull = os.open(os.devnull, os.O_WRONLY)
saved = os.dup(1)
os.dup2(devnull, 1)
try:
    backend.emit(out_dir, "top")
finally:
    os.dup2(saved, 1)
t3 = time.perf_counter()
size = sum(os.path.getsize(os.path.join(out_dir, f)) for f in os.listdir(out_dir))
print(json.dumps({"model_s": t1 - t0, "build_s": t2 - t1, "emit_s": t3 - t2,
                  "total_s": t3 - t0, "verilog_bytes": size,
                  "peak_rss_kib": resource.getrusage(resource.RUSAGE_SELF).ru_maxrss}))
"""


def run(n: int, m: int) -> dict:
    with tempfile.TemporaryDirectory() as out_dir:
        proc = subprocess.run([sys.executable, "-c", CHILD, str(n), str(m), out_dir],
                              capture_output=True, text=True, check=True)
    return json.loads(proc.stdout.strip().splitlines()[-1])


def main() -> None:
    parser = argparse.ArgumentParser()
    parser.add_argument("--sizes", type=int, nargs="+", default=[10_000, 100_000, 1_000_000])
    parser.add_argument("--modules", type=int, default=16)
    args = parser.parse_args()
    print(f"{'N':>9} {'model s':>8} {'build s':>8} {'emit s':>8} {'total s':>8} "
          f"{'peak MiB':>9} {'B/step':>7} {'Verilog MiB':>12}")
    for n in args.sizes:
        r = run(n, args.modules)
        per_step = r["peak_rss_kib"] * 1024 / n
        print(f"{n:>9} {r['model_s']:>8.2f} {r['build_s']:>8.2f} {r['emit_s']:>8.2f} "
              f"{r['total_s']:>8.2f} {r['peak_rss_kib'] / 1024:>9.1f} {per_step:>7.0f} "
              f"{r['verilog_bytes'] / 2**20:>12.1f}")


if __name__ == "__main__":
    main()
