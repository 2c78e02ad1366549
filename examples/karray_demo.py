"""A four-entry register file built as a Karray, with a write counter.

    rf: 4 entries of {data: 8 bits, valid: 1 bit}, registers reset to 0
    if (we) rf[waddr] <= {data: wdata, valid: 1}     // a dynamic write inside a zero-cycle if
    rdata, rvalid = rf[raddr]                         // a dynamic read: a mux tree on raddr
    best = data of the largest valid entry            // a reduce whose select fn compares
    writes <= writes + we                             // a dynamic counter with an enabled add

Outside any flow block the write and the counter act on every clock edge; the reads are
combinational. The script builds the design, writes the Verilog into a folder and, where Icarus
Verilog is installed, drives a short program of writes and reads and prints one line per cycle.

    python3 examples/karray_demo.py [output_dir]
"""

from contextlib import contextmanager

import _velmora as v
from example_sim import run_example

# One row per cycle: we, waddr, wdata, raddr.
PROGRAM = [
    (1, 0, 17, 0),
    (1, 2, 42, 0),
    (0, 3, 99, 2),  # we low: nothing is written
    (1, 3, 7, 3),
    (1, 0, 23, 2),  # entry 0 again
    (0, 0, 0, 0),
    (0, 0, 0, 1),  # entry 1 was never written
    (1, 1, 200, 3),
    (0, 0, 0, 1),
    (0, 0, 0, 2),
]


def build(arena):
    top = arena.mk_module("rf_top")
    arena.track_module_at_com_init(top)

    def port(name, width, is_input, sig=None):
        sig = sig or arena.mk_wire(name, width)
        arena.mark_as_io(sig, is_input, name)
        return sig

    we, waddr, wdata, raddr = (port(n, w, True) for n, w in
                               (("we", 1), ("waddr", 2), ("wdata", 8), ("raddr", 2)))
    rf = arena.mk_karray("rf", [4], [("data", 8), ("valid", 1)], v.HwComponentType.REG)
    arena.karray_reset_field(rf, "data", 0)
    arena.karray_reset_field(rf, "valid", 0)
    one = arena.mk_val("one", 8, 1)
    writes = arena.mk_dyn_counter("writes", 8)
    arena.set_reg_reset(arena.dyn_counter_get_reg(writes), arena.mk_val("writes_rst", 8, 0))
    port("writes", 8, False, arena.dyn_counter_get_reg(writes))

    by_index = [("dyn", [], [raddr])]
    port("rdata", 8, False, arena.karray_read_field_hcp(rf, by_index, None, "data"))
    port("rvalid", 1, False, arena.karray_read_field_hcp(rf, by_index, None, "valid"))

    def larger_valid(a, a_idx, b, b_idx, level):
        """Pick a when it is valid and b is not, or b's data is no larger."""
        a, b = dict(a), dict(b)
        ge = arena.mk_expression(f"ge{level}", v.LogicOp.RelationGeq, a["data"], b["data"])
        b_out = arena.mk_expression_single(f"b_out{level}", v.LogicOp.LogicalNot, b["valid"])
        beats = arena.mk_expression(f"beats{level}", v.LogicOp.LogicalOr, b_out, ge)
        pick = arena.mk_expression(f"pick{level}", v.LogicOp.LogicalAnd, a["valid"], beats)
        return pick, []

    port("best", 8, False,
         arena.karray_read_field_hcp(rf, [("reduce", [], [])], [larger_valid], "data"))
    arena.untrack_module_at_com_init(top)

    @contextmanager
    def block(block_i):
        arena.initialize_flow_block(block_i)
        yield
        arena.check_flow_block_prefinalize(block_i)
        arena.finalize_flow_block(block_i)

    arena.track_module_at_flow_init(top)
    with block(arena.mk_flow_block_zif("write_port", we)):
        arena.karray_assign_hcps(rf, [("dyn", [], [waddr])], {"data": wdata, "valid": 1}, True)
    arena.dyn_counter_add(writes, one, None, we)
    arena.dyn_counter_update(writes)
    arena.finalize_flow_procedure()
    arena.untrack_module_at_flow_init(top)
    arena.set_top_module(top)
    return top


def testbench(top_name: str) -> str:
    steps = "\n".join(
        f"            {k}: begin we = {we}; waddr = {wa}; wdata = {wd}; raddr = {ra}; end"
        for k, (we, wa, wd, ra) in enumerate(PROGRAM))
    return f"""`timescale 1ns/1ps
module rf_tb;
    reg clk, mrst, we;
    reg [1:0] waddr, raddr;
    reg [7:0] wdata;
    wire [7:0] rdata, best, writes;
    wire rvalid;
    {top_name} dut (.clk(clk), .mrst(mrst), .we(we), .waddr(waddr), .wdata(wdata),
        .raddr(raddr), .rdata(rdata), .rvalid(rvalid), .best(best), .writes(writes));
    integer cyc;
    initial begin
        clk = 0; mrst = 0; we = 0; waddr = 0; wdata = 0; raddr = 0;
        #1 mrst = 1;
        #1 clk = 1;
        #1 clk = 0;
        #1 mrst = 0;
        for (cyc = 0; cyc < {len(PROGRAM)}; cyc = cyc + 1) begin
            case (cyc)
{steps}
            endcase
            #1 clk = 1;
            #1 $write("cycle %0d: we=%0d waddr=%0d wdata=%0d raddr=%0d", cyc, we, waddr, wdata,
                      raddr);
            $display(" rdata=%0d rvalid=%0d best=%0d writes=%0d", rdata, rvalid, best, writes);
            #1 clk = 0;
        end
        $finish;
    end
endmodule
"""


def main() -> None:
    run_example(build, "out/karray_demo", "rf_top", "rf_tb.sv", testbench("{top}"))


if __name__ == "__main__":
    main()
