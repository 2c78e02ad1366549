"""Runs fuzz sequences in this process, one seed after the other. Exit status 0: every sequence
was clean; 3: a failure, reported on standard error. A crash or hang is seen by the parent."""

from __future__ import annotations

import argparse
import gc
import os
import sys
import tempfile
import warnings

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from scenarios import DesignScript, deep_blocks, deep_modules  # noqa: E402
from session import Session  # noqa: E402

DEEP_BLOCKS = [100, 300, 1000, 8000]
DEEP_MODULES = [100, 300, 1000, 5000]


def run_sequence(seed: int, out_root: str, trace=None, stats=None) -> list[str]:
    s = Session(seed, out_root, trace)
    with warnings.catch_warnings():
        warnings.simplefilter("default")
        r = s.rng.random()
        if r < 0.45:
            DesignScript(s, s.rng.choice([0.0, 0.02, 0.1, 0.3])).run()
            for _ in range(s.rng.randrange(0, 30)):
                s.random_action()
        elif r < 0.995:
            warm_up(s)
            for _ in range(s.rng.randrange(20, 250)):
                s.random_action()
        elif r < 0.9975:
            deep_blocks(s, s.rng.choice(DEEP_BLOCKS))
        else:
            deep_modules(s, s.rng.choice(DEEP_MODULES))
    failures = s.failures
    if stats is not None:
        for call, (ok, refused) in s.stats.items():
            total = stats.setdefault(call, [0, 0])
            total[0] += ok
            total[1] += refused
    del s
    gc.collect()
    return failures


def warm_up(s: Session) -> None:
    """An arena with a tracked module and a few signals, so that random calls find material."""
    rec = s.new_arena()
    if rec.obj is None:
        return
    m = s.call_arena(rec, "mk_module", ["m"])
    s.call_arena(rec, "track_module_at_com_init", [m])
    for k in range(s.rng.randrange(1, 6)):
        width = s.rng.choice([1, 4, 8])
        s.call_arena(rec, s.rng.choice(["mk_reg", "mk_wire"]), [f"w{k}", width], width=width)


def main() -> int:
    p = argparse.ArgumentParser()
    p.add_argument("--first", type=int, required=True)
    p.add_argument("--count", type=int, default=1)
    p.add_argument("--trace", action="store_true", help="print every call before making it")
    p.add_argument("--keep-going", action="store_true", help="report failures and go on")
    p.add_argument("--report", help="file for progress and failures (default: standard error)")
    p.add_argument("--stats", action="store_true", help="print how often each call returned")
    a = p.parse_args()
    report = open(a.report, "w", encoding="utf-8") if a.report else sys.stderr

    def say(text: str) -> None:
        print(text, file=report, flush=True)

    status = 0
    stats: dict | None = {} if a.stats else None
    with tempfile.TemporaryDirectory(prefix="velmora-fuzz-") as out_root:
        for seed in range(a.first, a.first + a.count):
            say(f"sequence {seed}")
            failures = run_sequence(seed, out_root, say if a.trace else None, stats)
            if failures:
                say("\n".join(failures))
                if not a.keep_going:
                    return 3
                status = 3
    if stats is not None:
        for call, (ok, refused) in sorted(stats.items()):
            say(f"{call:40} returned {ok:7}  raised {refused:7}")
    return status


if __name__ == "__main__":
    sys.exit(main())
