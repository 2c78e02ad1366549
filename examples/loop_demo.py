"""A looping controller: while `run` is high, it emits bursts of three pulses on `pulse`, each
burst followed by a two-cycle pause; `bursts` counts the bursts started.

    cwhile (run) {
        seq {
            bursts <= bursts + 1;
            counter_loop (3) { seq { pulse <= 1; pulse <= 0 } }
            sywait (2);
        }
    }

The script builds the control flow, writes the Verilog into a folder and, where Icarus Verilog
is installed, simulates it with `run` high for 14 cycles and prints the outputs per cycle.

    python3 examples/loop_demo.py [output_dir]
"""

from contextlib import contextmanager

import _velmora as v
from example_sim import run_example


def build(arena):
    top = arena.mk_module("loop_top")
    arena.track_module_at_com_init(top)
    run = arena.mk_reg("run", 1)
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
            with block(arena.mk_flow_block_counter_loop("three", 3)):
                with block(arena.mk_flow_block_seq("one_pulse")):
                    arena.gen_basic_assign(pulse, 1)
                    arena.gen_basic_assign(pulse, 0)
            with block(arena.mk_flow_block_sywait("pause", 2)):
                pass
    arena.finalize_flow_procedure()
    arena.untrack_module_at_flow_init(top)
    arena.set_top_module(top)
    return top


TESTBENCH = """`timescale 1ns/1ps
module loop_tb;
    reg clk;
    reg mrst;
    reg run;
    wire pulse;
    wire [7:0] bursts;
    {top} dut (.clk(clk), .mrst(mrst), .run(run), .pulse(pulse), .bursts(bursts));
    integer cyc;
    initial begin
        clk = 0;
        mrst = 0;
        run = 0;
        #1 mrst = 1;
        #1 clk = 1;
        #1 clk = 0;
        #1 mrst = 0;
        run = 1;
        for (cyc = 0; cyc < 24; cyc = cyc + 1) begin
            if (cyc == 14) run = 0;
            #1 clk = 1;
            #1 $display("cycle %0d: run=%0d pulse=%0d bursts=%0d", cyc, run, pulse, bursts);
            #1 clk = 0;
        end
        $finish;
    end
endmodule
"""


def main() -> None:
    run_example(build, "out/loop_demo", "loop_top", "loop_tb.sv", TESTBENCH)


if __name__ == "__main__":
    main()
