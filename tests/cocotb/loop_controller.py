"""The design the cocotb testbench drives: while `run` is high, bursts of three one-cycle pulses
on `pulse`, each burst counted on `bursts` and followed by a two-cycle pause.

    cwhile (run) {
        seq {
            bursts <= bursts + 1;
            counter_loop (3) { seq { pulse <= 1; pulse <= 0 } }
            sywait (2);
        }
    }
"""

from contextlib import contextmanager

import _velmora as v

PULSES_PER_BURST = 3
PAUSE_CYCLES = 2


def build(arena: v.ModelArena) -> v.ModuleIdent:
    top = arena.mk_module("loop_ctl")
    arena.track_module_at_com_init(top)
    run = arena.mk_wire("run", 1)
    arena.mark_as_io(run, True, "run")
    pulse = arena.mk_reg("pulse", 1)
    arena.set_reg_reset(pulse, arena.mk_val("pulse_rst", 1, 0))
    arena.mark_as_io(pulse, False, "pulse")
    bursts = arena.mk_reg("bursts", 8)
    arena.set_reg_reset(bursts, arena.mk_val("bursts_rst", 8, 0))
    arena.mark_as_io(bursts, False, "bursts")
    next_burst = arena.mk_expression("next_burst", v.LogicOp.ArithPlus, bursts, 1)
    arena.untrack_module_at_com_init(top)

    @contextmanager
    def block(block_i):
        arena.initialize_flow_block(block_i)
        yield
        arena.check_flow_block_prefinalize(block_i)
        arena.finalize_flow_block(block_i)

    arena.track_module_at_flow_init(top)
    with block(arena.mk_flow_block_cwhile("while_run", run)):
        with block(arena.mk_flow_block_seq("burst")):
            arena.gen_basic_assign(bursts, next_burst)
            with block(arena.mk_flow_block_counter_loop("pulses", PULSES_PER_BURST)):
                with block(arena.mk_flow_block_seq("one_pulse")):
                    arena.gen_basic_assign(pulse, 1)
                    arena.gen_basic_assign(pulse, 0)
            with block(arena.mk_flow_block_sywait("pause", PAUSE_CYCLES)):
                pass
    arena.finalize_flow_procedure()
    arena.untrack_module_at_flow_init(top)
    arena.set_top_module(top)
    return top
