"""The Verilog of choice blocks: a golden text, and the names the blocks give what they make."""

import re
import subprocess
import sys
import textwrap

import _velmora as v
from design_kit import Design


def build_zif_else_wire(d):
    """A module-level zif / zelse choosing a wire's value from an input."""
    with d.components(d.top):
        c = d.input("c")
        w = d.arena.mk_wire("w", 4)
        d.arena.mark_as_io(w, False, "w")
    with d.flow(d.top):
        with d.flow_block("zif", c):
            d.assign(w, 5)
        with d.flow_block("zelse"):
            d.assign(w, 9)


GOLDEN_ZIF_ELSE = """\
////////////////////////////////////////////////////////////////////////////////
// Phase 1 : module header & IO ports
module MODULE_top_0(
    input wire clk,
    input wire mrst,
    input wire c,
    output reg  [3:0] w
);

    // ---- Phase 2 : signal declarations (reg / wire / localparam / mem) ----
    // ---- SR_ST declarations ----
reg   SR_ST_start_ST_15;
    // ---- WIRE declarations ----
reg   WIRE_clk_11;
reg   WIRE_mrst_12;
reg   WIRE_c_1;
reg  [3:0]  WIRE_w_2;
    // ---- VAL declarations ----
wire  VAL_start_ST_SET_13 = 1'b1;
wire  VAL_start_ST_UNSET_14 = 1'b0;
wire  VAL_upState_16 = 1'b1;
wire  VAL_clk_DEFAULT_ZERO_32 = 1'b0;
wire  VAL_mrst_DEFAULT_ZERO_34 = 1'b0;
wire  VAL_c_DEFAULT_ZERO_36 = 1'b0;
wire [3:0]  VAL_w_DEFAULT_ZERO_38 = 4'h0;
wire [3:0]  VAL_const_c_4 = 4'h5;
wire [3:0]  VAL_const_c_8 = 4'h9;
    // ---- EXPR declarations ----
wire  EXPR_startExpr_17;
wire  EXPR_zcif_not_cond_3_29;

    // ---- Phase 2.5 : sub-module output wire declarations ----
    // ---- Phase 3 : always blocks & continuous assignments ----
always @(posedge WIRE_clk_11) begin
    SR_ST_start_ST_15 <= VAL_start_ST_UNSET_14;
    if (WIRE_mrst_12) begin
        SR_ST_start_ST_15 <= VAL_start_ST_SET_13;
    end
end
always @(*) begin
    WIRE_clk_11 = VAL_clk_DEFAULT_ZERO_32;
    WIRE_clk_11 = clk;
end
always @(*) begin
    WIRE_mrst_12 = VAL_mrst_DEFAULT_ZERO_34;
    WIRE_mrst_12 = mrst;
end
always @(*) begin
    WIRE_c_1 = VAL_c_DEFAULT_ZERO_36;
    WIRE_c_1 = c;
end
always @(*) begin
    WIRE_w_2[3:0] = VAL_w_DEFAULT_ZERO_38[3:0];
    if (WIRE_c_1) begin
        WIRE_w_2[3:0] = VAL_const_c_4[3:0];
    end else if (EXPR_zcif_not_cond_3_29) begin
        WIRE_w_2[3:0] = VAL_const_c_8[3:0];
    end
end
assign EXPR_startExpr_17 = SR_ST_start_ST_15 == VAL_upState_16;
assign EXPR_zcif_not_cond_3_29 = ~WIRE_c_1;
always @(*) begin
    w[3:0] = WIRE_w_2[3:0];
end
    // ---- Phase 4 : sub-module instantiations ----
    // ---- Phase 5 : endmodule ----

endmodule

"""


def test_golden_text_of_a_module_level_zif_else_driving_a_wire(tmp_path):
    # Run in a fresh interpreter so that global ids start at 0.
    script = textwrap.dedent(f"""
        import sys
        sys.path.insert(0, {str(__file__.rsplit('/', 1)[0])!r})
        from design_kit import Design
        from test_choice_verilog import build_zif_else_wire
        d = Design()
        build_zif_else_wire(d)
        d.emit({str(tmp_path)!r})
    """)
    subprocess.run([sys.executable, "-c", script], check=True, capture_output=True)
    assert (tmp_path / "top.v").read_text() == GOLDEN_ZIF_ELSE


def test_blocks_name_their_states_and_negations_after_their_ids(tmp_path, capfd):
    d = Design()
    with d.components(d.top):
        c, e, bus = d.input("c"), d.input("e"), d.input("bus", 4)
        r = d.reg("r", 4)
    with d.flow(d.top), d.seq("s"):
        sif = d.arena.mk_flow_block_sif("decide", bus, v.Slice(2, 3))
        with d.block(sif), d.seq("b0"):
            d.assign(r, 1)
        with d.flow_block("cselif", e), d.seq("b1"):
            d.assign(r, 2)
        pick = d.arena.mk_flow_block_pick("p")
        with d.block(pick):
            with d.flow_block("pif", c), d.seq("b2"):
                d.assign(r, 3)
        zif = d.arena.mk_flow_block_zif("z", c)
        with d.block(zif):
            d.assign(r, 4)
        with d.flow_block("zelif", e):
            d.assign(r, 5)
        with d.flow_block("zelse"):
            d.assign(r, 6)
    text = d.emit(tmp_path).top_file.read_text()
    capfd.readouterr()
    declared = set(re.findall(r"^(?:reg|wire)\s+(?:\[\d+:\d+\]\s+)?(\w+)", text, re.M))

    def has(prefix):
        return any(re.fullmatch(rf"{prefix}_\d+", name) for name in declared)

    assert has("EXPR_decide_CONDSLICE")
    assert has(f"SR_ST_sif_cond_{sif.global_id}_ST")
    assert has(f"EXPR_cif_not_cond_{sif.global_id}")
    assert has(f"EXPR_cif_not_elif_{sif.global_id}_0")
    assert has(f"EXPR_pick_not_{pick.global_id}_0")
    assert has(f"EXPR_zcif_not_cond_{zif.global_id}")
    assert has(f"EXPR_zcif_not_elif_{zif.global_id}_0")
