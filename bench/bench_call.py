"""Net cost of a cheap call into the extension: the time of the call less that of an empty Python
function call taking the same arguments, so that what remains is argument matching, conversion,
the arena guard and the result's conversion.

    python bench/bench_call.py [--number N] [--repeat R]
"""

from __future__ import annotations

import argparse
import timeit

import _velmora as v


def empty0():
    return None


def empty1(hcp_i):
    return None


def empty2(start, stop):
    return None


def design():
    a = v.ModelArena()
    top = a.mk_module("top")
    a.track_module_at_com_init(top)
    r = a.mk_reg("r", 8)
    return a, top, r


def best_ns(stmt: str, env: dict, number: int, repeat: int) -> float:
    times = timeit.repeat(stmt, globals=env, number=number, repeat=repeat)
    return min(times) / number * 1e9


def main() -> None:
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawTextHelpFormatter)
    p.add_argument("--number", type=int, default=200_000)
    p.add_argument("--repeat", type=int, default=7)
    opts = p.parse_args()

    a, top, r = design()
    env = {"a": a, "r": r, "top": top, "v": v, "empty0": empty0, "empty1": empty1,
           "empty2": empty2}
    # (label, call, the same call shape on the empty function)
    cases = [
        ("a.get_hw_bit_sz(r)", "a.get_hw_bit_sz(r)", "empty1(r)"),
        ("a.get_hw_bit_sz(hcp_i=r)", "a.get_hw_bit_sz(hcp_i=r)", "empty1(hcp_i=r)"),
        ("a.is_marked_as_io(r)", "a.is_marked_as_io(r)", "empty1(r)"),
        ("a.hcp_verilog_name(r)", "a.hcp_verilog_name(r)", "empty1(r)"),
        ("a.get_asm_pri_val()", "a.get_asm_pri_val()", "empty0()"),
        ("a.module_verilog_name(top)", "a.module_verilog_name(top)", "empty1(top)"),
        ("v.Slice(0, 4)", "v.Slice(0, 4)", "empty2(0, 4)"),
    ]
    print(f"{'call':32} {'gross ns':>9} {'empty ns':>9} {'net ns':>8}")
    for label, stmt, base in cases:
        gross = best_ns(stmt, env, opts.number, opts.repeat)
        floor = best_ns(base, env, opts.number, opts.repeat)
        print(f"{label:32} {gross:9.1f} {floor:9.1f} {gross - floor:8.1f}")


if __name__ == "__main__":
    main()
