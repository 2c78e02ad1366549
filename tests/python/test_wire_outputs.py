"""Combinational outputs from flow blocks: a wire assigned in a step is driven exactly while that
step is active and falls back to its default otherwise; a wire assigned outside any block is
always-on logic."""

import subprocess
import sys
import textwrap

import pytest

from design_kit import Design
from verilog_tools import HAVE_IVERILOG, HAVE_VERILATOR, lint

needs_iverilog = pytest.mark.skipif(not HAVE_IVERILOG, reason="Icarus Verilog is not installed")


def build_two_step_wire(d, default=None):
    with d.components(d.top):
        w = d.arena.mk_wire("w", 4)
        if default is not None:
            d.arena.set_wire_default(w, d.const("w_def", 4, default))
        d.arena.mark_as_io(w, False, "w")
    with d.flow(d.top), d.seq("s"):
        d.assign(w, 5)
        d.assign(w, 9)
    return w


def test_wire_assigned_in_seq_steps_builds_without_a_clock_source(tmp_path):
    # A clock-free event given the design clock fails its next guard with
    # "make_ue_*: clk_src must be None when clk_mode is ClkFree".
    d = Design()
    build_two_step_wire(d)
    emitted = d.emit(tmp_path)
    text = emitted.top_file.read_text()
    assert "always @(*) begin\n    WIRE_w_" in text


GOLDEN_TOP = """\
////////////////////////////////////////////////////////////////////////////////
// Phase 1 : module header & IO ports
module MODULE_top_0(
    input wire clk,
    input wire mrst,
    output reg  [3:0] w
);

    // ---- Phase 2 : signal declarations (reg / wire / localparam / mem) ----
    // ---- SR_ST declarations ----
reg   SR_ST_start_ST_13;
reg   SR_ST_seq_state_2_0_ST_25;
reg   SR_ST_seq_state_2_1_ST_29;
    // ---- WIRE declarations ----
reg   WIRE_clk_9;
reg   WIRE_mrst_10;
reg  [3:0]  WIRE_w_1;
    // ---- VAL declarations ----
wire  VAL_start_ST_SET_11 = 1'b1;
wire  VAL_start_ST_UNSET_12 = 1'b0;
wire  VAL_upState_14 = 1'b1;
wire  VAL_seq_state_2_0_ST_SET_23 = 1'b1;
wire  VAL_seq_state_2_0_ST_UNSET_24 = 1'b0;
wire  VAL_seq_state_2_1_ST_SET_27 = 1'b1;
wire  VAL_seq_state_2_1_ST_UNSET_28 = 1'b0;
wire  VAL_clk_DEFAULT_ZERO_43 = 1'b0;
wire  VAL_mrst_DEFAULT_ZERO_45 = 1'b0;
wire [3:0]  VAL_w_DEFAULT_ZERO_47 = 4'h0;
wire [3:0]  VAL_const_c_3 = 4'h5;
wire [3:0]  VAL_const_c_6 = 4'h9;
    // ---- EXPR declarations ----
wire  EXPR_startExpr_15;

    // ---- Phase 2.5 : sub-module output wire declarations ----
    // ---- Phase 3 : always blocks & continuous assignments ----
always @(posedge WIRE_clk_9) begin
    SR_ST_start_ST_13 <= VAL_start_ST_UNSET_12;
    if (WIRE_mrst_10) begin
        SR_ST_start_ST_13 <= VAL_start_ST_SET_11;
    end
end
always @(posedge WIRE_clk_9) begin
    SR_ST_seq_state_2_0_ST_25 <= VAL_seq_state_2_0_ST_UNSET_24;
    if (EXPR_startExpr_15) begin
        SR_ST_seq_state_2_0_ST_25 <= VAL_seq_state_2_0_ST_SET_23;
    end
    if (WIRE_mrst_10) begin
        SR_ST_seq_state_2_0_ST_25 <= VAL_seq_state_2_0_ST_UNSET_24;
    end
end
always @(posedge WIRE_clk_9) begin
    SR_ST_seq_state_2_1_ST_29 <= VAL_seq_state_2_1_ST_UNSET_28;
    if (SR_ST_seq_state_2_0_ST_25) begin
        SR_ST_seq_state_2_1_ST_29 <= VAL_seq_state_2_1_ST_SET_27;
    end
    if (WIRE_mrst_10) begin
        SR_ST_seq_state_2_1_ST_29 <= VAL_seq_state_2_1_ST_UNSET_28;
    end
end
always @(*) begin
    WIRE_clk_9 = VAL_clk_DEFAULT_ZERO_43;
    WIRE_clk_9 = clk;
end
always @(*) begin
    WIRE_mrst_10 = VAL_mrst_DEFAULT_ZERO_45;
    WIRE_mrst_10 = mrst;
end
always @(*) begin
    WIRE_w_1[3:0] = VAL_w_DEFAULT_ZERO_47[3:0];
    if (SR_ST_seq_state_2_0_ST_25) begin
        WIRE_w_1[3:0] = VAL_const_c_3[3:0];
    end
    if (SR_ST_seq_state_2_1_ST_29) begin
        WIRE_w_1[3:0] = VAL_const_c_6[3:0];
    end
end
assign EXPR_startExpr_15 = SR_ST_start_ST_13 == VAL_upState_14;
always @(*) begin
    w[3:0] = WIRE_w_1[3:0];
end
    // ---- Phase 4 : sub-module instantiations ----
    // ---- Phase 5 : endmodule ----

endmodule

"""


def test_golden_text_of_a_wire_assigned_in_two_steps(tmp_path):
    # Run in a fresh interpreter so that global ids start at 0.
    script = textwrap.dedent(f"""
        import sys
        sys.path.insert(0, {str(__file__.rsplit('/', 1)[0])!r})
        from design_kit import Design
        from test_wire_outputs import build_two_step_wire
        d = Design()
        build_two_step_wire(d)
        d.emit({str(tmp_path)!r})
    """)
    subprocess.run([sys.executable, "-c", script], check=True, capture_output=True)
    assert (tmp_path / "top.v").read_text() == GOLDEN_TOP


@needs_iverilog
@pytest.mark.parametrize("default", [None, 3], ids=["default_zero", "set_default"])
def test_wire_reads_its_step_values_only_in_those_cycles(tmp_path, default):
    d = Design()
    with d.components(d.top):
        w = d.arena.mk_wire("w", 4)
        if default is not None:
            d.arena.set_wire_default(w, d.const("w_def", 4, default))
        d.arena.mark_as_io(w, False, "w")
        r = d.arena.mk_reg("r", 4)
        d.arena.set_reg_reset(r, d.const("r_rst", 4, 0))
        d.arena.mark_as_io(r, False, "r")
    with d.flow(d.top), d.seq("s"):
        d.assign(r, 1)
        d.assign(w, 5)
        d.assign(r, 2)
        d.assign(w, 9)
    emitted, sim = d.run(tmp_path, {"w": 4, "r": 4}, cycles=6)
    z = 0 if default is None else default
    assert sim["w"] == [z, 5, z, 9, z, z]
    assert sim["r"] == [0, 1, 1, 2, 2, 2]  # the register still takes one step per cycle
    if HAVE_VERILATOR:
        assert lint(emitted.out_dir, emitted.top_name) == []


@needs_iverilog
def test_wire_in_a_par_is_driven_in_its_single_state(tmp_path):
    d = Design()
    with d.components(d.top):
        w = d.arena.mk_wire("w", 4)
        d.arena.mark_as_io(w, False, "w")
        r = d.arena.mk_reg("r", 4)
        d.arena.set_reg_reset(r, d.const("r_rst", 4, 0))
        d.arena.mark_as_io(r, False, "r")
    with d.flow(d.top), d.seq("s"):
        d.assign(r, 1)
        with d.par("p"):
            d.assign(w, 7)
            d.assign(r, 2)
        d.assign(r, 3)
    emitted, sim = d.run(tmp_path, {"w": 4, "r": 4}, cycles=5)
    assert sim["w"] == [0, 7, 0, 0, 0]
    assert sim["r"] == [0, 1, 2, 3, 3]
    if HAVE_VERILATOR:
        assert lint(emitted.out_dir, emitted.top_name) == []
