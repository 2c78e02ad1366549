"""A shared unit: two clients hand their operands to one squaring unit through an arbiter.

    client_a: seq { zync (unit, priority 10) { x <= 3 };  done_a <= 1 }
    client_b: seq { zync (unit, priority 5)  { x <= 4 };  done_b <= 1 }
    pip (unit) {                      // the shared unit, one pass per item
        seq { sq <= x * x;  total <= total + sq;  served <= served + 1 }
    }

Both clients ask at once. The arbiter grants the higher priority first (client A); client B waits
while the unit is busy and is granted when the unit can take its next item. Each item is served
exactly once: `served` ends at 2 and `total` at 3 * 3 + 4 * 4 = 25.

The script builds the control flow, writes the Verilog into a folder and, where Icarus Verilog
is installed, simulates it and prints the outputs per cycle.

    python3 examples/pipeline_demo.py [output_dir]
"""

from contextlib import contextmanager

import _velmora as v
from example_sim import run_example


def build(arena):
    top = arena.mk_module("shared_top")
    arena.track_module_at_com_init(top)

    def out_reg(name, width):
        r = arena.mk_reg(name, width)
        arena.set_reg_reset(r, arena.mk_val(f"{name}_rst", width, 0))
        arena.mark_as_io(r, False, name)
        return r

    x, sq, total = out_reg("x", 8), out_reg("sq", 8), out_reg("total", 8)
    served, done_a, done_b = out_reg("served", 4), out_reg("done_a", 1), out_reg("done_b", 1)
    square = arena.mk_expression("square", v.LogicOp.ArithMul, x, x)
    next_total = arena.mk_expression("next_total", v.LogicOp.ArithPlus, total, sq)
    next_served = arena.mk_expression("next_served", v.LogicOp.ArithPlus, served, 1)
    unit = arena.mk_arb("unit", v.ArbSamePriPolicy.AckOne)
    arena.untrack_module_at_com_init(top)

    @contextmanager
    def block(block_i):
        arena.initialize_flow_block(block_i)
        yield
        arena.check_flow_block_prefinalize(block_i)
        arena.finalize_flow_block(block_i)

    arena.track_module_at_flow_init(top)
    for client, value, priority, done in (("a", 3, 10, done_a), ("b", 4, 5, done_b)):
        with block(arena.mk_flow_block_seq(f"client_{client}")):
            with block(arena.mk_flow_block_zync(f"hand_{client}", unit, priority)):
                arena.gen_basic_assign(x, value)
            arena.gen_basic_assign(done, 1)
    with block(arena.mk_flow_block_pip("square_unit", unit)):
        with block(arena.mk_flow_block_seq("pass")):
            arena.gen_basic_assign(sq, square)
            arena.gen_basic_assign(total, next_total)
            arena.gen_basic_assign(served, next_served)
    arena.finalize_flow_procedure()
    arena.untrack_module_at_flow_init(top)
    arena.set_top_module(top)
    return top


TESTBENCH = """`timescale 1ns/1ps
module shared_tb;
    reg clk;
    reg mrst;
    wire [7:0] x, sq, total;
    wire [3:0] served;
    wire done_a, done_b;
    {top} dut (.clk(clk), .mrst(mrst), .x(x), .sq(sq), .total(total), .served(served),
               .done_a(done_a), .done_b(done_b));
    integer cyc;
    initial begin
        clk = 0;
        mrst = 0;
        #1 mrst = 1;
        #1 clk = 1;
        #1 clk = 0;
        #1 mrst = 0;
        for (cyc = 0; cyc < 10; cyc = cyc + 1) begin
            #1 clk = 1;
            #1 $display("cycle %0d: x=%0d sq=%0d total=%0d served=%0d done_a=%0d done_b=%0d",
                        cyc, x, sq, total, served, done_a, done_b);
            #1 clk = 0;
        end
        $finish;
    end
endmodule
"""


def main() -> None:
    run_example(build, "out/pipeline_demo", "shared_top", "shared_tb.sv", TESTBENCH)


if __name__ == "__main__":
    main()
