"""cocotb testbench of loop_controller: drives `run` on clock edges, as a surrounding synchronous
design would, and checks the pulses and the burst count cycle by cycle.

Which edge drops `run` comes from the environment (DROP_AT, in cycles after reset), so that the
runner can drop it inside a burst and inside a pause."""

import os

import cocotb
from cocotb.clock import Clock
from cocotb.triggers import ReadOnly, RisingEdge

from loop_controller import PAUSE_CYCLES, PULSES_PER_BURST

CYCLES = 48


async def reset_and_sample(dut, drop_at: int) -> list[tuple[int, int, int]]:
    """(run, pulse, bursts) seen after each rising edge that follows reset."""
    Clock(dut.clk, 10, unit="ns").start()
    dut.run.value = 1
    dut.mrst.value = 1
    await RisingEdge(dut.clk)
    await ReadOnly()
    assert (int(dut.pulse.value), int(dut.bursts.value)) == (0, 0), "reset must clear outputs"
    await RisingEdge(dut.clk)
    dut.mrst.value = 0
    seen = []
    for cycle in range(CYCLES):
        await RisingEdge(dut.clk)
        if cycle == drop_at:
            dut.run.value = 0
        await ReadOnly()
        seen.append((int(dut.run.value), int(dut.pulse.value), int(dut.bursts.value)))
    return seen


def burst_starts(seen) -> list[int]:
    return [k for k in range(1, len(seen)) if seen[k][2] != seen[k - 1][2]] + (
        [0] if seen[0][2] else [])


@cocotb.test()
async def bursts_follow_run(dut):
    drop_at = int(os.environ["DROP_AT"])
    seen = await reset_and_sample(dut, drop_at)
    pulses = [p for _, p, _ in seen]
    counts = [b for _, _, b in seen]
    starts = sorted(burst_starts(seen))
    dut._log.info("pulse  %s", "".join(map(str, pulses)))
    dut._log.info("bursts %s", " ".join(map(str, counts)))

    # The count only ever steps up by one.
    assert all(b - a in (0, 1) for a, b in zip(counts, counts[1:])), counts
    assert len(starts) >= 2, f"run was high for {drop_at} cycles but only {len(starts)} bursts"
    period = starts[1] - starts[0]
    # One cycle counts, each pulse takes a high and a low cycle, then the pause.
    assert period >= 1 + 2 * PULSES_PER_BURST + PAUSE_CYCLES, starts
    assert all(b - a == period for a, b in zip(starts, starts[1:])), starts

    for start in starts:
        window = pulses[start:start + period]
        highs = [k for k, p in enumerate(window) if p]
        assert len(highs) == PULSES_PER_BURST, (start, window)
        assert all(b - a == 2 for a, b in zip(highs, highs[1:])), (start, window)
        # The pause: the burst's last cycles are quiet.
        assert all(p == 0 for p in window[-PAUSE_CYCLES:]), (start, window)

    # A burst starts only while run is high; once run is low no burst starts again, and the
    # last one completes.
    assert starts[-1] <= drop_at + 1, (starts, drop_at)
    assert drop_at < starts[-1] + period, (starts, drop_at)
    quiet_from = starts[-1] + period
    assert all(p == 0 for p in pulses[quiet_from:]), pulses
    assert all(b == len(starts) for b in counts[quiet_from:]), counts
