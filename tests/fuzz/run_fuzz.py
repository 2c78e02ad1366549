"""Fuzzes the Python surface of _velmora with random call sequences, each batch in a child
process, and fails on a crash, a hang, a PanicException or any other unexpected outcome.

    python tests/fuzz/run_fuzz.py                  # the fixed CI batch
    python tests/fuzz/run_fuzz.py --minutes 60     # a longer run from a random start
    python tests/fuzz/run_fuzz.py --seed 1234      # one sequence again, every call printed
"""

from __future__ import annotations

import argparse
import os
import random
import subprocess
import sys
import tempfile
import time
from concurrent.futures import ThreadPoolExecutor

HERE = os.path.dirname(os.path.abspath(__file__))
CHILD = os.path.join(HERE, "child.py")
CI_SEEDS = (0, 6000)


def run_batch(first: int, count: int, timeout: float):
    """Runs seeds [first, first + count) in a child; returns (first, count, None) or (first,
    count, (failure report, seed of the failing sequence))."""
    with tempfile.NamedTemporaryFile("r", prefix="velmora-fuzz-", suffix=".txt") as report:
        cmd = [sys.executable, CHILD, "--first", str(first), "--count", str(count),
               "--report", report.name]
        try:
            done = subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                                  text=True, errors="replace", timeout=timeout, check=False)
        except subprocess.TimeoutExpired:
            text = report.read()
            return first, count, (f"hang: no result after {timeout:.0f} s\n{tail(text)}",
                                  last_sequence(text))
        if done.returncode == 0:
            return first, count, None
        text = report.read()
        if done.returncode < 0:
            what = f"crash: killed by signal {-done.returncode}"
        else:
            what = f"exit status {done.returncode}"
        return first, count, (f"{what}\n{tail(text)}\n--- stderr:\n{tail(done.stderr)}",
                              last_sequence(text))


def tail(text: str, lines: int = 60) -> str:
    return "\n".join(text.splitlines()[-lines:])


def last_sequence(report: str) -> str:
    for line in reversed(report.splitlines()):
        if line.startswith("sequence "):
            return line.split()[1]
    return "?"


def main() -> int:
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawTextHelpFormatter)
    p.add_argument("--seeds", help="range A:B of sequence seeds (default: the CI batch)")
    p.add_argument("--minutes", type=float, help="run batches from a random start this long")
    p.add_argument("--start", type=int, help="first seed of a --minutes run")
    p.add_argument("--seed", type=int, help="run one sequence in a child, printing every call")
    p.add_argument("--batch", type=int, default=50, help="sequences per child process")
    p.add_argument("--jobs", type=int, default=2)
    p.add_argument("--timeout", type=float, default=300.0, help="seconds per batch")
    a = p.parse_args()

    if a.seed is not None:
        return subprocess.call([sys.executable, CHILD, "--first", str(a.seed), "--trace"],
                               stdout=subprocess.DEVNULL)

    started = time.monotonic()
    if a.minutes:
        first = a.start if a.start is not None else random.randrange(10**6, 10**9)
        print(f"fuzzing from seed {first} for {a.minutes} min", flush=True)
        deadline = started + a.minutes * 60
        batches = ((first + k * a.batch, a.batch) for k in range(10**9))
    else:
        lo, hi = map(int, a.seeds.split(":")) if a.seeds else CI_SEEDS
        deadline = None
        batches = ((s, min(a.batch, hi - s)) for s in range(lo, hi, a.batch))

    failures = []
    ran = 0
    with ThreadPoolExecutor(a.jobs) as pool:
        pending = []
        for batch in batches:
            if deadline and time.monotonic() > deadline:
                break
            pending.append(pool.submit(run_batch, *batch, a.timeout))
            while len(pending) >= a.jobs * 2:
                done = pending.pop(0).result()
                ran += done[1]
                if done[2]:
                    failures.append(done)
        for f in pending:
            done = f.result()
            ran += done[1]
            if done[2]:
                failures.append(done)

    took = time.monotonic() - started
    for first, count, (report, seq) in failures:
        print(f"FAILED in seeds {first}..{first + count - 1}: {report}\n"
              f"  repeat: python {os.path.relpath(__file__)} --seed {seq}\n", flush=True)
    print(f"{ran} sequences, {len(failures)} failing batches, {took:.0f} s", flush=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
