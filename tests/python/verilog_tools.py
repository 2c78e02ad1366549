"""Runs emitted Verilog through real tools: Icarus Verilog simulates it, Verilator lints it.

The simulation harness drives "clk" and "mrst" (and any input ports), releases reset, then
samples chosen ports a little after every rising edge and hands the values back per cycle.
"""

from __future__ import annotations

import os
import re
import shutil
import subprocess
from dataclasses import dataclass, field
from pathlib import Path



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


@dataclass
class Port:
    name: str
    width: int = 1


@dataclass
class SimResult:
    """Per-cycle samples: samples[port][k] is the value k cycles after reset was released
    (None where the simulator saw x or z)."""

    samples: dict[str, list[int | None]] = field(default_factory=dict)

    def __getitem__(self, port: str) -> list[int | None]:
        return self.samples[port]


def verilog_files(out_dir: str | os.PathLike) -> list[str]:
    return sorted(str(p) for p in Path(out_dir).glob("*.v"))


def _ident(name: str) -> str:
    if re.fullmatch(r"[A-Za-z_][A-Za-z0-9_$]*", name):
        return name
    return "\\" + name + " "


def _decl(kind: str, port: Port, prefix: str) -> str:
    width = f"[{port.width - 1}:0] " if port.width > 1 else ""
    return f"    {kind} {width}{prefix}{_sanitise(port.name)};"


def _sanitise(name: str) -> str:
    return re.sub(r"[^A-Za-z0-9_]", "_", name)


def _stimulus_case(p: Port, values: list[int], indent: str, assign: str) -> list[str]:
    lines = [f"{indent}case (cyc)"]
    for k, v in enumerate(values):
        lines.append(f"{indent}    {k}: in_{_sanitise(p.name)} {assign} {v};")
    lines.append(f"{indent}    default: ;")
    lines.append(f"{indent}endcase")
    return lines


def write_testbench(path: Path, top: str, inputs: list[Port], outputs: list[Port],
                    stimulus: dict[str, list[int]], cycles: int, sync: bool = False) -> None:
    """Inputs take stimulus[k] before the k-th rising edge after reset; with `sync` they take it
    on that edge instead, through non-blocking assignments in an `always @(posedge clk)`, as a
    clocked surrounding design would drive them."""
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
    # Inputs start at 0 inside the initial block (a change at time 0 reaches always @(*)).
    lines.append("        clk = 0;")
    lines.append("        mrst = 0;")
    if sync:
        lines.append("        running = 0;")
    for p in inputs:
        lines.append(f"        in_{_sanitise(p.name)} = 0;")
    lines.append("        #1 mrst = 1;")
    lines.append("        #1 clk = 1;")
    lines.append("        #1 clk = 0;")
    lines.append("        #1 mrst = 0;")
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


def simulate(out_dir: str | os.PathLike, top: str, outputs: list[Port], cycles: int,
             inputs: list[Port] | None = None,
             stimulus: dict[str, list[int]] | None = None, sync: bool = False) -> SimResult:
    """Compiles every .v file in out_dir with a generated testbench and runs it."""
    inputs = inputs or []
    stimulus = stimulus or {}
    work = Path(out_dir) / "_sim"
    work.mkdir(exist_ok=True)
    tb = work / "velmora_tb.sv"
    write_testbench(tb, top, inputs, outputs, stimulus, cycles, sync)
    binary = work / "sim.vvp"
    subprocess.run(["iverilog", "-g2012", "-o", str(binary), "-s", "velmora_tb", str(tb),
                    *verilog_files(out_dir)], check=True, capture_output=True, text=True)
    run = subprocess.run(["vvp", "-n", str(binary)], check=True, capture_output=True, text=True)
    result = SimResult({p.name: [] for p in outputs})
    names = {_sanitise(p.name): p.name for p in outputs}
    for line in run.stdout.splitlines():
        if not line.startswith("CYC "):
            continue
        for key, value in re.findall(r"(\w+)=(\S+)", line):
            if key in names:
                result.samples[names[key]].append(int(value) if value.isdigit() else None)
    return result


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
