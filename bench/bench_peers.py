"""Peer comparison: an N-state machine with one 16-bit register write per state, described and
written out as Verilog by velmora, Amaranth and MyHDL, each size in a fresh interpreter. Prints
time and peak memory of each (medians of --repeat fresh processes, 3 by default), and the
ratios against velmora.

The peers are installed into virtual environments of their own under bench/.peer-venvs (made on
the first run; pip needs the network then). velmora runs with the interpreter that runs this
script, which must have `_velmora` installed.

    python3 bench/bench_peers.py                  # N = 1000 and 10000
    python3 bench/bench_peers.py --sizes 1000     # one size
"""

import argparse
import json
import os
import subprocess
import statistics
import sys
import tempfile
import venv
from pathlib import Path

HERE = Path(__file__).resolve().parent
VENVS = HERE / ".peer-venvs"
PEERS = {"amaranth": ["amaranth[builtin-yosys]==0.5.*"], "myhdl": ["myhdl==0.11.*"]}

# Each child builds the design, writes its Verilog into argv[2] and prints one JSON line.
MEASURE = """
import json, os, resource, sys, time
n, out_dir = int(sys.argv[1]), sys.argv[2]
t0 = time.perf_counter()
build(n, out_dir)
took = time.perf_counter() - t0
size = sum(os.path.getsize(os.path.join(out_dir, f)) for f in os.listdir(out_dir))
print(json.dumps({"s": took, "peak_kib": resource.getrusage(resource.RUSAGE_SELF).ru_maxrss,
                  "verilog_bytes": size}))
"""

VELMORA = """
import _velmora as v

def build(n, out_dir):
    a = v.ModelArena()
    top = a.mk_module("top")
    a.track_module_at_com_init(top)
    r = a.mk_reg("r", 16)
    a.mark_as_io(r, False, "r")
    a.untrack_module_at_com_init(top)
    a.track_module_at_flow_init(top)
    seq = a.mk_flow_block_seq("fsm")
    a.initialize_flow_block(seq)
    for k in range(n):
        a.gen_basic_assign(r, k & 0xFFFF)
    a.check_flow_block_prefinalize(seq)
    a.finalize_flow_block(seq)
    a.finalize_flow_procedure()
    a.untrack_module_at_flow_init(top)
    a.set_top_module(top)
    a.build_flow()
    devnull = os.open(os.devnull, os.O_WRONLY)
    saved = os.dup(1)
    os.dup2(devnull, 1)
    try:
        v.BackendVerilog(a).emit(out_dir, "top")
    finally:
        os.dup2(saved, 1)
"""

AMARANTH = """
from amaranth.hdl import Module, Signal
from amaranth.back import verilog

def build(n, out_dir):
    m = Module()
    r = Signal(16)
    with m.FSM():
        for k in range(n):
            with m.State(f"S{k}"):
                m.d.sync += r.eq(k & 0xFFFF)
                m.next = f"S{(k + 1) % n}"
    text = verilog.convert(m, ports=[r], name="top")
    with open(os.path.join(out_dir, "top.v"), "w") as f:
        f.write(text)
"""

def myhdl_source(n: int) -> str:
    """MyHDL turns a Python loop into a Verilog loop, so the N branches are written out, as
    separate ifs: Python cannot parse an elif chain of 10k branches."""
    branches = "\n".join(
        f"            if state == {k}:\n"
        f"                r.next = {k & 0xFFFF}\n"
        f"                state.next = {(k + 1) % n}"
        for k in range(n))
    return f"""
import sys, threading
from myhdl import Signal, ResetSignal, always_seq, block, intbv

def build(n, out_dir):
    # The converter recurses through the design; give it the depth and stack a large one needs.
    sys.setrecursionlimit(50 * n + 10000)
    threading.stack_size(1 << 29)
    errors = []
    worker = threading.Thread(target=lambda: convert(n, out_dir, errors))
    worker.start()
    worker.join()
    if errors:
        raise errors[0]

def convert(n, out_dir, errors):
    try:
        write_top(n, out_dir)
    except BaseException as e:
        errors.append(e)

def write_top(n, out_dir):
    @block
    def top(clk, rst, r):
        state = Signal(intbv(0, min=0, max=n))

        @always_seq(clk.posedge, reset=rst)
        def step():
{branches}

        return step

    clk = Signal(bool(0))
    rst = ResetSignal(0, active=1, isasync=False)
    r = Signal(intbv(0)[16:])
    inst = top(clk, rst, r)
    inst.convert(hdl="Verilog", path=out_dir, name="top", testbench=False)
"""


SOURCES = {"velmora": lambda n: VELMORA, "amaranth": lambda n: AMARANTH, "myhdl": myhdl_source}


def python_of(tool: str) -> str:
    if tool == "velmora":
        return sys.executable
    env_dir = VENVS / tool
    py = env_dir / "bin" / "python"
    if not py.exists():
        print(f"making a virtual environment for {tool} in {env_dir}", flush=True)
        venv.EnvBuilder(with_pip=True).create(env_dir)
        subprocess.run([str(py), "-m", "pip", "install", "-q", *PEERS[tool]], check=True)
    return str(py)


def measure_once(tool: str, n: int, timeout: float) -> dict | None:
    code = "import os\n" + SOURCES[tool](n) + MEASURE
    # Earlier runs leave hundreds of MB of Verilog to write back; flushing first keeps that
    # writeback out of this run's time.
    os.sync()
    with tempfile.TemporaryDirectory() as work:
        # A script file, not -c: MyHDL reads the source of the functions it converts.
        script = Path(work) / f"{tool}_fsm.py"
        script.write_text(code)
        out_dir = Path(work) / "out"
        out_dir.mkdir()
        try:
            done = subprocess.run([python_of(tool), str(script), str(n), str(out_dir)],
                                  capture_output=True, text=True, timeout=timeout, check=False)
        except subprocess.TimeoutExpired:
            print(f"  {tool} N={n}: no result after {timeout:.0f} s", flush=True)
            return None
    if done.returncode != 0:
        last = (done.stderr.strip().splitlines() or ["?"])[-1]
        print(f"  {tool} N={n}: failed: {last}", flush=True)
        return None
    return json.loads(done.stdout.strip().splitlines()[-1])


def measure(tool: str, n: int, timeout: float, repeat: int) -> dict | None:
    """Medians of time and of peak memory over `repeat` fresh processes."""
    runs = []
    for _ in range(repeat):
        r = measure_once(tool, n, timeout)
        if r is None:
            return None
        runs.append(r)
    return {"s": statistics.median(r["s"] for r in runs),
            "peak_kib": statistics.median(r["peak_kib"] for r in runs)}


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--sizes", type=int, nargs="+", default=[1000, 10_000])
    parser.add_argument("--timeout", type=float, default=1800)
    parser.add_argument("--repeat", type=int, default=3,
                        help="fresh processes per tool and size; medians are printed")
    parser.add_argument("--tools", nargs="+", choices=list(SOURCES), default=list(SOURCES),
                        help="velmora alone for sizes the peers cannot reach (--tools velmora)")
    args = parser.parse_args()
    print(f"{'N':>7} {'tool':>9} {'time s':>8} {'peak MiB':>9} {'x time':>7} {'x memory':>9}")
    for n in args.sizes:
        base = measure("velmora", n, args.timeout, args.repeat)
        for tool in args.tools:
            r = base if tool == "velmora" else measure(tool, n, args.timeout, args.repeat)
            if r is None or base is None:
                continue
            print(f"{n:>7} {tool:>9} {r['s']:>8.2f} {r['peak_kib'] / 1024:>9.1f} "
                  f"{r['s'] / base['s']:>7.1f} {r['peak_kib'] / base['peak_kib']:>9.1f}",
                  flush=True)


if __name__ == "__main__":
    main()
