"""The generators' hardware, run in Icarus, against Python references: every output sampled in
every cycle, exhaustively for small widths and on random values for wider ones. Each design is
also linted with Verilator.

The generators are combinational: sample k shows the outputs for the inputs driven before the
k-th rising edge.
"""

from __future__ import annotations

import contextlib
import random
from dataclasses import dataclass, field
from typing import Callable

import pytest

import _velmora as v
from design_kit import Design
from verilog_tools import HAVE_IVERILOG, HAVE_VERILATOR, lint

pytestmark = pytest.mark.skipif(not HAVE_IVERILOG, reason="Icarus Verilog is not installed")

Inputs = dict[str, int]


@dataclass
class Bench:
    """Input wires of a top module, and the outputs under test with their references."""

    d: Design
    widths: dict[str, int]
    sig: dict[str, v.HcpIdent] = field(default_factory=dict)
    outputs: dict[str, tuple[int, Callable[[Inputs], int]]] = field(default_factory=dict)
    components_open: bool = True
    flow_done: bool = False

    def output(self, port: str, hcp: v.HcpIdent, reference: Callable[[Inputs], int]) -> None:
        width = self.d.arena.get_hw_bit_sz(hcp)
        self.d.arena.mark_as_io(hcp, False, port)
        self.outputs[port] = (width, lambda x: reference(x) % (1 << width))

    def end_components(self) -> None:
        if self.components_open:
            self.d.arena.untrack_module_at_com_init(self.d.top)
            self.components_open = False

    @contextlib.contextmanager
    def flow(self):
        self.end_components()
        with self.d.flow(self.d.top):
            yield
        self.flow_done = True


def make_bench(inputs: dict[str, int]) -> Bench:
    """A design whose top module is tracked at component init, with one input wire per entry."""
    b = Bench(Design(), dict(inputs))
    b.d.arena.track_module_at_com_init(b.d.top)
    for name, width in inputs.items():
        b.sig[name] = b.d.arena.mk_wire(name, width)
        b.d.arena.mark_as_io(b.sig[name], True, name)
        # Every input bit is read, also those the generators under test leave alone.
        echo = b.d.arena.mk_expression_single(f"echo_{name}", v.LogicOp.BitwiseInvr, b.sig[name])
        b.output(f"echo_{name}", echo, lambda x, name=name: ~x[name])
    return b


def run_bench(b: Bench, tmp_path, vectors: list[Inputs],
              extra_outputs: dict[str, int] | None = None):
    """Simulates the design over `vectors`, checks every output against its reference in every
    cycle, lints the design, and returns the samples."""
    b.end_components()
    if not b.flow_done:
        with b.flow():
            pass
    outputs = {port: w for port, (w, _) in b.outputs.items()} | (extra_outputs or {})
    stimulus = {name: [vec[name] for vec in vectors] for name in b.widths}
    emitted, sim = b.d.run(tmp_path, outputs, cycles=len(vectors), inputs=b.widths,
                           stimulus=stimulus)
    for port, (_, reference) in b.outputs.items():
        expected = [reference(vec) for vec in vectors]
        mismatches = [(k, vectors[k], got, want)
                      for k, (got, want) in enumerate(zip(sim[port], expected)) if got != want]
        assert len(sim[port]) == len(vectors)
        assert not mismatches, f"{port}: (cycle, inputs, got, want) {mismatches[:5]}"
    if HAVE_VERILATOR:
        assert lint(emitted.out_dir, emitted.top_name) == []
    return sim


def exhaustive(widths: dict[str, int]) -> list[Inputs]:
    names = list(widths)
    total = 1
    for n in names:
        total <<= widths[n]
    vectors = []
    for k in range(total):
        vec, rest = {}, k
        for n in names:
            vec[n] = rest & ((1 << widths[n]) - 1)
            rest >>= widths[n]
        vectors.append(vec)
    return vectors


def randomised(widths: dict[str, int], count: int, seed: int) -> list[Inputs]:
    rng = random.Random(seed)
    edges = [lambda w: 0, lambda w: (1 << w) - 1, lambda w: 1 << (w - 1)]
    vectors = [{n: pick(w) for n, w in widths.items()} for pick in edges]
    vectors += [{n: rng.getrandbits(w) for n, w in widths.items()} for _ in range(count)]
    return vectors


def bits_of(value: int, lo: int, hi: int) -> int:
    return (value >> lo) & ((1 << (hi - lo)) - 1)


# ---- multiplexer ------------------------------------------------------------------------------


def test_gen_mux_selects_its_branches_exhaustively(tmp_path):
    widths = {"sel": 1, "a": 3, "b": 3, "flags": 3}
    b = make_bench(widths)
    ar, s = b.d.arena, b.sig
    b.output("plain", ar.gen_mux("plain", s["sel"], None, s["a"], s["b"]),
             lambda x: x["a"] if x["sel"] else x["b"])
    b.output("on_bit", ar.gen_mux("on_bit", s["flags"], v.Slice(1, 2), s["a"], s["b"]),
             lambda x: x["a"] if bits_of(x["flags"], 1, 2) else x["b"])
    b.output("ints", ar.gen_mux("ints", s["sel"], None, 5, 2, width=3),
             lambda x: 5 if x["sel"] else 2)
    b.output("mixed", ar.gen_mux("mixed", s["sel"], None, 6, s["b"]),
             lambda x: 6 if x["sel"] else x["b"])
    with pytest.warns(UserWarning):
        # Branches resized as assignment sources are: the wide one cut, the narrow one extended.
        b.output("resized", ar.gen_mux("resized", s["sel"], None, s["a"], s["flags"],
                                       false_slice=v.Slice(0, 2), width=5),
                 lambda x: x["a"] if x["sel"] else bits_of(x["flags"], 0, 2))
        b.output("cut", ar.gen_mux("cut", s["sel"], None, s["a"], s["b"],
                                   true_slice=v.Slice(1, 3), width=1),
                 lambda x: bits_of(x["a"], 1, 2) if x["sel"] else x["b"] & 1)
    run_bench(b, tmp_path, exhaustive(widths))


def test_gen_mux_selects_its_branches_on_wide_random_values(tmp_path):
    widths = {"sel": 1, "a": 40, "b": 40, "flags": 8}
    b = make_bench(widths)
    ar, s = b.d.arena, b.sig
    b.output("plain", ar.gen_mux("plain", s["sel"], None, s["a"], s["b"]),
             lambda x: x["a"] if x["sel"] else x["b"])
    b.output("sliced", ar.gen_mux("sliced", s["flags"], v.Slice(7, 8), s["a"], s["b"],
                                  true_slice=v.Slice(8, 40), false_slice=v.Slice(0, 32)),
             lambda x: bits_of(x["a"], 8, 40) if x["flags"] >> 7 else bits_of(x["b"], 0, 32))
    b.output("with_int", ar.gen_mux("with_int", s["sel"], None, 2**39 + 7, s["b"]),
             lambda x: 2**39 + 7 if x["sel"] else x["b"])
    run_bench(b, tmp_path, randomised(widths, 200, seed=14))


# ---- where gen_mux may be called ----------------------------------------------------------------


def mux_reference(x: Inputs) -> int:
    return x["a"] if x["sel"] else x["b"]


MUX_INPUTS = {"sel": 1, "a": 4, "b": 4}


def mux_vectors(cycles: int) -> list[Inputs]:
    rng = random.Random(7)
    return [{"sel": k % 2 if k < 4 else rng.getrandbits(1), "a": rng.getrandbits(4),
             "b": rng.getrandbits(4)} for k in range(cycles)]


def test_gen_mux_at_component_init_drives_its_wire(tmp_path):
    b = make_bench(MUX_INPUTS)
    m = b.d.arena.gen_mux("m", b.sig["sel"], None, b.sig["a"], b.sig["b"])
    b.output("m", m, mux_reference)
    run_bench(b, tmp_path, mux_vectors(12))


def test_gen_mux_at_flow_init_outside_blocks_is_always_on(tmp_path):
    b = make_bench(MUX_INPUTS)
    with b.flow():
        m = b.d.arena.gen_mux("m", b.sig["sel"], None, b.sig["a"], b.sig["b"])
    b.output("m", m, mux_reference)
    run_bench(b, tmp_path, mux_vectors(12))


def test_gen_mux_in_a_seq_adds_no_step_and_follows_its_inputs_every_cycle(tmp_path):
    b = make_bench(MUX_INPUTS)
    ar = b.d.arena
    r = ar.mk_reg("r", 4)
    ar.set_reg_reset(r, ar.mk_val("r_rst", 4, 0))
    ar.mark_as_io(r, False, "r")
    with b.flow(), b.d.seq("steps"):
        b.d.assign(r, 1)
        m = ar.gen_mux("m", b.sig["sel"], None, b.sig["a"], b.sig["b"])
        assert ar.get_last_skeleton_flow_block_type() == v.FlowBlockType.Sequential
        b.d.assign(r, 2)
        with b.d.par("p"):
            m2 = ar.gen_mux("m2", b.sig["sel"], None, b.sig["b"], b.sig["a"])
            assert ar.get_last_skeleton_flow_block_type() == v.FlowBlockType.Parallel
            b.d.assign(r, 3)
        b.d.assign(r, 4)
    b.output("m", m, mux_reference)
    b.output("m2", m2, lambda x: x["b"] if x["sel"] else x["a"])
    sim = run_bench(b, tmp_path, mux_vectors(16), extra_outputs={"r": 4})
    # One cycle per assignment, none for either mux.
    assert sim["r"] == [0, 1, 2, 3] + [4] * 12


# ---- rotations --------------------------------------------------------------------------------


def rotl(value: int, k: int, m: int) -> int:
    k %= m
    value &= (1 << m) - 1
    return ((value << k) | (value >> (m - k))) & ((1 << m) - 1)


def add_rotations(b: Bench, sig: str, sig_slice, width, amounts, tag: str) -> None:
    lo, hi = (sig_slice.start, sig_slice.stop) if sig_slice else (0, b.widths[sig])
    m = width or (hi - lo)
    for amount in amounts:
        for method, sign in (("gen_rotate_left", 1), ("gen_rotate_right", -1)):
            name = f"{tag}_{method.split('_')[-1]}_{amount}".replace("-", "m")
            r = getattr(b.d.arena, method)(name, b.sig[sig], sig_slice, amount, width)
            if (amount % m) == 0:
                assert r is None
                continue
            b.output(name, r,
                     lambda x, a=amount * sign: rotl(bits_of(x[sig], lo, lo + m), a, m))


def test_rotations_of_a_small_signal_exhaustively(tmp_path):
    widths = {"x": 5, "y": 8}
    b = make_bench(widths)
    add_rotations(b, "x", None, None, [1, 2, 4, 5, 7, -1, -3], "full")
    add_rotations(b, "y", v.Slice(2, 7), None, [1, 3, 10], "part")
    run_bench(b, tmp_path, exhaustive(widths))


def test_rotate_narrower_than_its_range_turns_only_the_low_bits(tmp_path):
    widths = {"y": 8}
    b = make_bench(widths)
    add_rotations(b, "y", None, 3, [1, 2, 3, -1], "low")
    add_rotations(b, "y", v.Slice(2, 8), 4, [1, 3, 6], "mid")
    widths_made = {port: w for port, (w, _) in b.outputs.items() if not port.startswith("echo")}
    assert widths_made == {port: 3 if port.startswith("low") else 4 for port in widths_made}
    assert len(widths_made) == 12  # amount 3 turns 3 bits by nothing
    run_bench(b, tmp_path, exhaustive(widths))


def test_rotations_of_a_wide_signal_on_random_values(tmp_path):
    widths = {"x": 40}
    b = make_bench(widths)
    add_rotations(b, "x", None, None, [1, 13, 39, 41, -7], "full")
    add_rotations(b, "x", v.Slice(3, 40), 17, [5, -16], "narrow")
    run_bench(b, tmp_path, randomised(widths, 150, seed=6))


def test_rotate_right_by_three_equals_rotate_left_by_five(tmp_path):
    widths = {"x": 8}
    b = make_bench(widths)
    ar, x = b.d.arena, b.sig["x"]
    b.output("right3", ar.gen_rotate_right("right3", x, None, 3), lambda i: rotl(i["x"], 5, 8))
    b.output("left5", ar.gen_rotate_left("left5", x, None, 5), lambda i: rotl(i["x"], -3, 8))
    sim = run_bench(b, tmp_path, exhaustive(widths))
    assert sim["right3"] == sim["left5"]


# ---- any-of and sum count ---------------------------------------------------------------------


def test_any_of_and_sum_cnt_of_single_bits_exhaustively(tmp_path):
    widths = {"b0": 1, "b1": 1, "b2": 1, "b3": 1, "b4": 1}
    b = make_bench(widths)
    ar = b.d.arena
    bits = [(b.sig[n], None) for n in widths]
    b.output("any5", ar.gen_any_of("any5", bits), lambda x: int(any(x.values())))
    b.output("any2", ar.gen_any_of("any2", bits[3:]), lambda x: x["b3"] | x["b4"])
    b.output("none", ar.gen_any_of("none", []), lambda x: 0)
    for n in (1, 2, 3, 5):
        sum_n = ar.gen_sum_cnt(f"sum{n}", bits[:n])
        b.output(f"sum{n}", sum_n, lambda x, n=n: sum(list(x.values())[:n]))
    b.output("sum_narrow", ar.gen_sum_cnt("sum_narrow", bits, width=2),
             lambda x: sum(x.values()))
    run_bench(b, tmp_path, exhaustive(widths))


def test_any_of_and_sum_cnt_of_sliced_terms_exhaustively(tmp_path):
    widths = {"x": 6, "y": 3}
    b = make_bench(widths)
    ar, x, y = b.d.arena, b.sig["x"], b.sig["y"]
    terms = [(x, v.Slice(0, 2)), (y, None), (x, v.Slice(3, 6)), (x, v.Slice(2, 3))]
    values = [lambda i: bits_of(i["x"], 0, 2), lambda i: i["y"], lambda i: bits_of(i["x"], 3, 6),
              lambda i: bits_of(i["x"], 2, 3)]
    b.output("any", ar.gen_any_of("any", terms), lambda i: int(any(f(i) for f in values)))
    b.output("sum", ar.gen_sum_cnt("sum", terms), lambda i: sum(f(i) for f in values))
    # A sum narrower than some terms keeps their low bits: the sum modulo 2^width.
    b.output("sum2", ar.gen_sum_cnt("sum2", terms, width=2), lambda i: sum(f(i) for f in values))
    b.output("sum9", ar.gen_sum_cnt("sum9", terms, width=9), lambda i: sum(f(i) for f in values))
    run_bench(b, tmp_path, exhaustive(widths))


def test_popcount_and_any_of_of_a_wide_signal_on_random_values(tmp_path):
    widths = {"x": 37, "y": 33}
    b = make_bench(widths)
    ar, x, y = b.d.arena, b.sig["x"], b.sig["y"]
    bits = [(x, v.Slice(i, i + 1)) for i in range(37)]
    b.output("pop", ar.gen_sum_cnt("pop", bits), lambda i: bin(i["x"]).count("1"))
    b.output("any", ar.gen_any_of("any", bits[5:30]), lambda i: int(bits_of(i["x"], 5, 30) != 0))
    words = [(x, None), (y, None), (x, v.Slice(4, 36))]
    b.output("total", ar.gen_sum_cnt("total", words),
             lambda i: i["x"] + i["y"] + bits_of(i["x"], 4, 36))
    vectors = randomised(widths, 150, seed=20)
    vectors += [{"x": 1 << k, "y": 0} for k in range(37)]  # each single bit, for any-of and pop
    run_bench(b, tmp_path, vectors)
