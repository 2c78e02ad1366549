"""A dynamic counter in simulation: a chain of adds, one of them enabled by an input, committed in
one step of a sequence, then more adds from the register in the next step.

Timeline as in test_simulation_seq_par: the state of step k is active in sample k; its
assignment takes the inputs driven before the next rising edge and shows in sample k + 1."""

import pytest

from design_kit import Design
from verilog_tools import HAVE_IVERILOG, HAVE_VERILATOR, lint

pytestmark = pytest.mark.skipif(not HAVE_IVERILOG, reason="Icarus Verilog is not installed")


def build(d: Design):
    ar = d.arena
    with d.components(d.top):
        cnt = ar.mk_dyn_counter("c", 8)
        reg = ar.dyn_counter_get_reg(cnt)
        ar.set_reg_reset(reg, d.const("c_rst", 8, 0))
        ar.mark_as_io(reg, False, "cnt")
        en = d.input("en")
        one, two, four, eight = (d.const(f"k{x}", 8, x) for x in (1, 2, 4, 8))
    with d.flow(d.top), d.seq("steps"):
        for _ in range(2):
            # cnt <= cnt + 1 + (en ? 2 : 0) + 4, all in one step
            ar.dyn_counter_add(cnt, one)
            ar.dyn_counter_add(cnt, two, None, en)
            ar.dyn_counter_add(cnt, four)
            ar.dyn_counter_update(cnt)
            # then from the register again: cnt <= cnt + 8
            ar.dyn_counter_add(cnt, eight)
            ar.dyn_counter_update(cnt)
    return cnt


def reference(en: list[int], cycles: int) -> list[int]:
    """The counter per sample: step k runs while sample k is taken, with en of sample k + 1."""
    steps = [lambda c, e: c + 1 + 2 * e + 4, lambda c, e: c + 8] * 2
    out, c = [], 0
    for k in range(cycles):
        out.append(c % 256)
        if k < len(steps):
            c = steps[k](c, en[k + 1])
    return out


@pytest.mark.parametrize("en", [[0, 1, 0, 0, 0, 0, 0], [0, 0, 0, 1, 0, 0, 0]],
                         ids=["first_round_enabled", "second_round_enabled"])
def test_adds_commit_in_one_step_and_chain_from_the_register(tmp_path, en):
    d = Design()
    build(d)
    emitted, sim = d.run(tmp_path, {"cnt": 8}, cycles=6, inputs={"en": 1},
                         stimulus={"en": en})
    assert sim["cnt"] == reference(en, 6)
    text = emitted.top_file.read_text()
    # The enabled add selects its sum or the running value into its step wire.
    assert "WIRE_c_ST1_" in text and "WIRE_c_ST5_" in text and "EXPR_c_ADD7_" in text
    if HAVE_VERILATOR:
        assert lint(emitted.out_dir, emitted.top_name) == []


def test_reference_counts_each_round():
    assert reference([0, 1, 0, 0, 0, 0], 6) == [0, 7, 15, 20, 28, 28]


def test_addends_of_other_widths_are_fitted_to_the_counter(tmp_path):
    d = Design()
    ar = d.arena
    with d.components(d.top):
        cnt = ar.mk_dyn_counter("c", 8)
        reg = ar.dyn_counter_get_reg(cnt)
        ar.set_reg_reset(reg, d.const("c_rst", 8, 0))
        ar.mark_as_io(reg, False, "cnt")
        inc, wide = d.input("inc"), d.input("wide", 12)
    with d.flow(d.top):
        # Outside any flow block: cnt <= cnt + inc + wide on every edge, modulo 2^8.
        ar.dyn_counter_add(cnt, inc)
        ar.dyn_counter_add(cnt, wide)
        ar.dyn_counter_update(cnt)
    inc_s = [1, 0, 1, 1, 0, 1]
    wide_s = [0, 0x1FF, 3, 0xF00, 0x101, 2]
    emitted, sim = d.run(tmp_path, {"cnt": 8}, cycles=6, inputs={"inc": 1, "wide": 12},
                         stimulus={"inc": inc_s, "wide": wide_s})
    expected, c = [], 0
    for a, b in zip(inc_s, wide_s):
        c = (c + a + b) % 256
        expected.append(c)
    assert sim["cnt"] == expected
    if HAVE_VERILATOR:
        # Only the wide input's top bits go unread: they are not part of an 8-bit sum.
        problems = lint(emitted.out_dir, emitted.top_name)
        assert [p for p in problems if "'WIRE_wide_" not in p] == []
