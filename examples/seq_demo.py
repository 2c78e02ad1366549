"""A small design end to end: a counter module and a reader module under one top module.

The counter runs a sequence of steps (one per clock cycle) and a parallel block; the reader,
a sibling module, registers the counter's value and drives a design output. The script builds
the control flow, writes the Verilog into a folder and, where Icarus Verilog is installed,
simulates it and prints the value of the outputs in each cycle after reset.

    python3 examples/seq_demo.py [output_dir]
"""

import _velmora as v
from example_sim import run_example


def build(arena):
    top = arena.mk_module("demo_top")
    arena.track_module_at_com_init(top)

    counter = arena.mk_module("counter")
    arena.track_module_at_com_init(counter)
    count = arena.mk_reg("count", 8)
    arena.set_reg_reset(count, arena.mk_val("count_rst", 8, 0))
    flag = arena.mk_reg("flag", 1)
    arena.set_reg_reset(flag, arena.mk_val("flag_rst", 1, 0))
    busy = arena.mk_wire("busy", 1)
    arena.mark_as_io(busy, False, "busy")
    arena.untrack_module_at_com_init(counter)

    reader = arena.mk_module("reader")
    arena.track_module_at_com_init(reader)
    seen = arena.mk_reg("seen", 8)
    arena.mark_as_io(seen, False, "seen")
    arena.untrack_module_at_com_init(reader)
    arena.untrack_module_at_com_init(top)

    # counter: count 1, 2, then 3 together with flag and busy (one parallel step), then 4.
    arena.track_module_at_flow_init(counter)
    steps = arena.mk_flow_block_seq("steps")
    arena.initialize_flow_block(steps)
    for value in (1, 2):
        arena.gen_basic_assign(count, value)
    both = arena.mk_flow_block_par_auto("both")
    arena.initialize_flow_block(both)
    arena.gen_basic_assign(count, 3)
    arena.gen_basic_assign(flag, 1)
    arena.gen_basic_assign(busy, 1)
    arena.check_flow_block_prefinalize(both)
    arena.finalize_flow_block(both)
    arena.gen_basic_assign(count, 4)
    arena.check_flow_block_prefinalize(steps)
    arena.finalize_flow_block(steps)
    arena.finalize_flow_procedure()
    arena.untrack_module_at_flow_init(counter)

    # reader: always-on logic reading the sibling's register through ports.
    arena.track_module_at_flow_init(reader)
    arena.gen_basic_assign(seen, count)
    arena.finalize_flow_procedure()
    arena.untrack_module_at_flow_init(reader)

    arena.set_top_module(top)
    return top


TESTBENCH = """`timescale 1ns/1ps
module demo_tb;
    reg clk;
    reg mrst;
    wire [7:0] seen;
    wire busy;
    {top} dut (.clk(clk), .mrst(mrst), .seen(seen), .busy(busy));
    integer cyc;
    initial begin
        clk = 0;
        mrst = 0;
        #1 mrst = 1;
        #1 clk = 1;
        #1 clk = 0;
        #1 mrst = 0;
        for (cyc = 0; cyc < 7; cyc = cyc + 1) begin
            #1 clk = 1;
            #1 $display("cycle %0d: seen=%0d busy=%0d", cyc, seen, busy);
            #1 clk = 0;
        end
        $finish;
    end
endmodule
"""


def main() -> None:
    run_example(build, "out/seq_demo", "demo_top", "demo_tb.sv", TESTBENCH)


if __name__ == "__main__":
    main()
