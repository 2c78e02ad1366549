"""Simulate a design built with `_velmora`: emit its Verilog, write a testbench from the input
values you give per cycle, run Icarus Verilog (or Verilator), and read back the outputs of every
cycle, with a VCD waveform beside them.

    import _velmora as v
    from velmora import sim

    arena = v.ModelArena()
    top = ...                      # describe the design, set_top_module(top)
    arena.build_flow()
    result = sim.simulate(arena, top, cycles=10, inputs={"go": [0, 1, 1, 0]})
    print(result.table())          # one row per cycle
    result["count"]                # [0, 0, 1, 2, ...]
    result.vcd                     # path of the waveform (open it in GTKWave)

Timeline: reset ("mrst") is held over one clock edge and released; sample k is taken a little
after the k-th rising edge that follows, and input value k is applied just before that edge
(with `sync=True`, on that edge by a clocked process, as a surrounding synchronous design would).
The design's "clk" and "mrst" are driven by the testbench.
"""

from __future__ import annotations

import os
import re
import shutil
import subprocess
import tempfile
from dataclasses import dataclass, field
from pathlib import Path

__all__ = ["Port", "Simulation", "simulate", "run_testbench", "write_testbench", "ports_of",
           "verilog_files", "have_simulator"]

_DESIGN_INPUTS = ("clk", "mrst")


@dataclass
class Port:
    name: str
    width: int = 1


@dataclass
class Simulation:
    """What a simulation saw: samples[port][k] is the port's value k cycles after reset was
    released (None where the simulator saw x or z)."""

    samples: dict[str, list[int | None]] = field(default_factory=dict)
    vcd: Path | None = None
    out_dir: Path | None = None
    top_name: str = ""

    def __getitem__(self, port: str) -> list[int | None]:
        return self.samples[port]

    def table(self) -> str:
        """The samples as text, one row per cycle."""
        names = list(self.samples)
        rows = [["cycle", *names]]
        cycles = max((len(v) for v in self.samples.values()), default=0)
        for k in range(cycles):
            rows.append([str(k), *("x" if self.samples[n][k] is None else str(self.samples[n][k])
                                   for n in names)])
        widths = [max(len(r[i]) for r in rows) for i in range(len(rows[0]))]
        return "\n".join("  ".join(c.rjust(w) for c, w in zip(r, widths)) for r in rows)


def have_simulator(simulator: str = "icarus") -> bool:
    tools = {"icarus": ("iverilog", "vvp"), "verilator": ("verilator",)}[simulator]
    return all(shutil.which(t) is not None for t in tools)


def verilog_files(out_dir: str | os.PathLike) -> list[str]:
    return sorted(str(p) for p in Path(out_dir).glob("*.v"))


_PORT = re.compile(r"^\s*(input|output)\s+(?:wire|reg)?\s*(?:\[(\d+):0\])?\s*(\\\S+|\w+)")


def ports_of(top_file: str | os.PathLike) -> tuple[list[Port], list[Port]]:
    """(inputs, outputs) of the module in an emitted file, besides "clk" and "mrst"."""
    inputs, outputs = [], []
    for line in Path(top_file).read_text().splitlines():
        if line.startswith(");"):
            break
        m = _PORT.match(line)
        if not m:
            continue
        name = m.group(3)[1:] if m.group(3).startswith("\\") else m.group(3)
        port = Port(name, int(m.group(2)) + 1 if m.group(2) else 1)
        if m.group(1) == "output":
            outputs.append(port)
        elif name not in _DESIGN_INPUTS:
            inputs.append(port)
    return inputs, outputs


def _ident(name: str) -> str:
    if re.fullmatch(r"[A-Za-z_][A-Za-z0-9_$]*", name):
        return name
    return "\\" + name + " "


def _sanitise(name: str) -> str:
    return re.sub(r"[^A-Za-z0-9_]", "_", name)


def _decl(kind: str, port: Port, prefix: str) -> str:
    width = f"[{port.width - 1}:0] " if port.width > 1 else ""
    return f"    {kind} {width}{prefix}{_sanitise(port.name)};"


def _stimulus_case(p: Port, values: list[int], indent: str, assign: str) -> list[str]:
    lines = [f"{indent}case (cyc)"]
    for k, v in enumerate(values):
        lines.append(f"{indent}    {k}: in_{_sanitise(p.name)} {assign} {v};")
    lines.append(f"{indent}    default: ;")
    lines.append(f"{indent}endcase")
    return lines


def write_testbench(path: Path, top: str, inputs: list[Port], outputs: list[Port],
                    stimulus: dict[str, list[int]], cycles: int, sync: bool = False,
                    vcd: str | None = None) -> None:
    """A testbench "velmora_tb" for the module `top`: inputs take stimulus[k] before the k-th
    rising edge after reset (on that edge with `sync`), outputs are printed after every edge, and
    with `vcd` every signal of the design is dumped to that file."""
    lines = ["`timescale 1ns/1ps", "module velmora_tb;", "    reg clk;", "    reg mrst;"]
    lines += [_decl("reg", p, "in_") for p in inputs]
    lines += [_decl("wire", p, "out_") for p in outputs]
    conns = [".clk(clk)", ".mrst(mrst)"]
    conns += [f".{_ident(p.name)}(in_{_sanitise(p.name)})" for p in inputs]
    conns += [f".{_ident(p.name)}(out_{_sanitise(p.name)})" for p in outputs]
    lines.append(f"    {_ident(top)} dut (" + ", ".join(conns) + ");")
    lines.append("    integer cyc;")
    if sync:
        lines.append("    reg running;")
        lines.append("    always @(posedge clk) if (running) begin")
        for p in inputs:
            if stimulus.get(p.name):
                lines += _stimulus_case(p, stimulus[p.name], " " * 8, "<=")
        lines.append("    end")
    lines.append("    initial begin")
    if vcd:
        lines.append(f'        $dumpfile("{vcd}");')
        lines.append("        $dumpvars(0, velmora_tb);")
    # Inputs start at 0 inside the initial block (a change at time 0 reaches always @(*)).
    lines.append("        clk = 0;")
    lines.append("        mrst = 0;")
    if sync:
        lines.append("        running = 0;")
    for p in inputs:
        lines.append(f"        in_{_sanitise(p.name)} = 0;")
    lines += ["        #1 mrst = 1;", "        #1 clk = 1;", "        #1 clk = 0;",
              "        #1 mrst = 0;"]
    if sync:
        lines.append("        running = 1;")
    lines.append(f"        for (cyc = 0; cyc < {cycles}; cyc = cyc + 1) begin")
    for p in inputs:
        if stimulus.get(p.name) and not sync:
            lines += _stimulus_case(p, stimulus[p.name], " " * 12, "=")
    lines.append("            #1 clk = 1;")
    fmt = " ".join(f"{_sanitise(p.name)}=%0d" for p in outputs)
    args = ", ".join(f"out_{_sanitise(p.name)}" for p in outputs)
    display = f'$display("CYC %0d {fmt}", cyc{", " + args if args else ""});'
    lines.append(f"            #1 {display}")
    lines.append("            #1 clk = 0;")
    lines.append("        end")
    lines.append("        $finish;")
    lines.append("    end")
    lines.append("endmodule")
    path.write_text("\n".join(lines) + "\n")


def _run_icarus(work: Path, tb: Path, sources: list[str]) -> str:
    binary = work / "sim.vvp"
    subprocess.run(["iverilog", "-g2012", "-o", str(binary), "-s", "velmora_tb", str(tb),
                    *sources], check=True, capture_output=True, text=True)
    run = subprocess.run(["vvp", "-n", str(binary)], check=True, capture_output=True, text=True,
                         cwd=work)
    return run.stdout


def _run_verilator(work: Path, tb: Path, sources: list[str]) -> str:
    obj = work / "obj_dir"
    # --trace makes $dumpvars write the waveform; lint is not this run's business.
    subprocess.run(["verilator", "--binary", "--timing", "--trace", "-Wno-fatal", "-Wno-lint",
                    "--top-module", "velmora_tb", "--Mdir", str(obj), "-o", "sim", str(tb),
                    *sources], check=True, capture_output=True, text=True)
    run = subprocess.run([str(obj / "sim")], check=True, capture_output=True, text=True,
                         cwd=work)
    return run.stdout


def run_testbench(out_dir: str | os.PathLike, top: str, outputs: list[Port], cycles: int,
                  inputs: list[Port] | None = None,
                  stimulus: dict[str, list[int]] | None = None, sync: bool = False,
                  vcd: bool = True, simulator: str = "icarus") -> Simulation:
    """Simulates the Verilog files of out_dir (top module `top`) with a generated testbench."""
    inputs = inputs or []
    stimulus = stimulus or {}
    work = Path(out_dir).resolve() / "_sim"
    work.mkdir(exist_ok=True)
    tb = work / "velmora_tb.sv"
    vcd_file = work / "wave.vcd" if vcd else None
    write_testbench(tb, top, inputs, outputs, stimulus, cycles, sync,
                    vcd_file.name if vcd_file else None)
    runner = {"icarus": _run_icarus, "verilator": _run_verilator}[simulator]
    stdout = runner(work, tb, verilog_files(out_dir))
    result = Simulation({p.name: [] for p in outputs}, vcd_file, Path(out_dir), top)
    names = {_sanitise(p.name): p.name for p in outputs}
    for line in stdout.splitlines():
        if not line.startswith("CYC "):
            continue
        for key, value in re.findall(r"(\w+)=(\S+)", line):
            if key in names:
                result.samples[names[key]].append(int(value) if value.isdigit() else None)
    return result


def simulate(arena, top, cycles: int, inputs: dict[str, list[int]] | None = None,
             outputs: list[str] | None = None, out_dir: str | os.PathLike | None = None,
             top_file: str = "top", sync: bool = False, vcd: bool = True,
             simulator: str = "auto") -> Simulation:
    """Emits the built design of `arena` (its top module `top`) and simulates it for `cycles`.

    `inputs` maps an input port to its value in each cycle (missing cycles keep the last value;
    ports not given stay 0); `outputs` chooses the output ports to sample (all by default).
    The Verilog goes to `out_dir` (a new temporary folder by default; kept, see `.out_dir`).
    `simulator` is "icarus", "verilator", or "auto" (Icarus when installed, else Verilator).
    Emitting takes the model over, as `BackendVerilog(arena)` does.
    """
    import _velmora as v

    if simulator == "auto":
        simulator = "icarus" if have_simulator("icarus") else "verilator"
    if not have_simulator(simulator):
        raise OSError(f"{simulator} is not installed: install it (Debian: iverilog / verilator)")
    top_name = arena.module_verilog_name(top)
    folder = Path(out_dir) if out_dir is not None else Path(tempfile.mkdtemp(prefix="velmora_"))
    folder.mkdir(parents=True, exist_ok=True)
    v.BackendVerilog(arena).emit(str(folder), top_file)
    written = top_file if len(top_file) > 2 and top_file.endswith(".v") else f"{top_file}.v"
    in_ports, out_ports = ports_of(folder / written)
    if outputs is not None:
        by_name = {p.name: p for p in out_ports}
        missing = [n for n in outputs if n not in by_name]
        if missing:
            raise ValueError(f"no output port {missing[0]!r}; the design's outputs are "
                             f"{sorted(by_name)}")
        out_ports = [by_name[n] for n in outputs]
    stimulus = dict(inputs or {})
    unknown = [n for n in stimulus if n not in {p.name for p in in_ports}]
    if unknown:
        raise ValueError(f"no input port {unknown[0]!r}; the design's inputs are "
                         f"{sorted(p.name for p in in_ports)}")
    return run_testbench(folder, top_name, out_ports, cycles, in_ports, stimulus, sync, vcd,
                         simulator)
