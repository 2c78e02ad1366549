"""Arbiters in simulation: the testbench drives every request (and the master acknowledge) through
every combination, one per cycle, and each grant must be what the grant rules give."""

from __future__ import annotations

import itertools
import subprocess
import sys
import textwrap

import pytest

import _velmora as v
from design_kit import Design
from verilog_tools import HAVE_IVERILOG, HAVE_VERILATOR, lint

P = v.ArbSamePriPolicy
needs_iverilog = pytest.mark.skipif(not HAVE_IVERILOG, reason="Icarus Verilog is not installed")


# ---- the grant rules, written out -----------------------------------------------------------

def reference(leaves, policy, requests, mack):
    """Grants and master request for one cycle. leaves: (priority, lock) pairs, lock None, "req"
    (always requests) or "ack" (always granted); requests: the driven request of each leaf."""
    req = [1 if lock == "req" else r for (_, lock), r in zip(leaves, requests)]
    grants = []
    for i, (pri, lock) in enumerate(leaves):
        if lock == "ack":
            grants.append(1)
            continue
        higher = any(req[j] for j, (p, _) in enumerate(leaves) if p > pri)
        if policy == P.AckOne:
            same = any(req[j] for j, (p, _) in enumerate(leaves) if p == pri and j < i)
        elif policy == P.AckAll:
            same = False
        else:
            same = any(req[j] for j, (p, _) in enumerate(leaves) if p == pri and j != i)
        grants.append(int(bool(req[i] and mack and not higher and not same)))
    return grants, int(any(req))


# ---- the design -----------------------------------------------------------------------------

def build_arbiter(d: Design, policy, leaves, mack: bool, hold_reset: bool = False,
                  sub_leaf: int | None = None):
    """An arbiter in the top module whose request wires are input ports "req{i}" and whose grants
    are output ports "ack{i}" (Req-locked leaves have no request port); "mreq" shows the master
    request. With `mack` the master acknowledge is the input "mack"; with `hold_reset` the user
    hold and reset are inputs "hold" and "rst", shown again on "hold_seen" and "rst_seen". The
    leaf `sub_leaf` is added while a sub-module is tracked, so that its signals live there."""
    ar = d.arena
    inputs = {}
    with d.components(d.top):
        arb = ar.mk_arb("a", policy)
        for i, (pri, lock) in enumerate(leaves):
            sub = None
            if i == sub_leaf:
                sub = ar.mk_module("leaf_side")
                ar.track_module_at_com_init(sub)
            if lock is None:
                ar.arb_add_leaf(arb, pri)
            else:
                channel = v.ArbLockedChannel.Req if lock == "req" else v.ArbLockedChannel.Ack
                ar.arb_add_leaf_locked(arb, pri, channel)
            if lock != "req":
                ar.mark_as_io(ar.arb_get_leaf_req_wire(arb, i), True, f"req{i}")
                inputs[f"req{i}"] = 1
            ar.mark_as_io(ar.arb_get_leaf_ack_wire(arb, i), False, f"ack{i}")
            if sub is not None:
                ar.untrack_module_at_com_init(sub)
        ar.mark_as_io(ar.arb_get_master_req_wire(arb), False, "mreq")
        if mack:
            m = ar.mk_wire("mack", 1)
            ar.mark_as_io(m, True, "mack")
            ar.arb_set_master_ack(arb, m)
            inputs["mack"] = 1
        observers = []
        if hold_reset:
            for name, setter in (("hold", ar.arb_set_hold), ("rst", ar.arb_set_reset)):
                sig = ar.mk_wire(name, 1)
                ar.mark_as_io(sig, True, name)
                setter(arb, sig)
                seen = ar.mk_wire(f"{name}_seen", 1)
                ar.mark_as_io(seen, False, f"{name}_seen")
                observers.append((seen, sig))
                inputs[name] = 1
    if observers:
        with d.flow(d.top):
            for seen, sig in observers:
                d.assign(seen, sig)
    return inputs


def run_all_combinations(tmp_path, policy, leaves, mack, **kw):
    """Drives every combination of the inputs, one per cycle; returns (rows, sim, emitted)."""
    d = Design()
    inputs = build_arbiter(d, policy, leaves, mack, **kw)
    names = list(inputs)
    rows = [dict(zip(names, bits)) for bits in itertools.product((0, 1), repeat=len(names))]
    stimulus = {n: [row[n] for row in rows] for n in names}
    outputs = {f"ack{i}": 1 for i in range(len(leaves))} | {"mreq": 1}
    outputs |= {f"{n}_seen": 1 for n in ("hold", "rst") if n in inputs}
    emitted, sim = d.run(tmp_path, outputs, cycles=len(rows), inputs=inputs, stimulus=stimulus)
    return rows, sim, emitted


def check_against_reference(rows, sim, policy, leaves):
    for k, row in enumerate(rows):
        requests = [row.get(f"req{i}", 1) for i in range(len(leaves))]
        grants, mreq = reference(leaves, policy, requests, row.get("mack", 1))
        seen = [sim[f"ack{i}"][k] for i in range(len(leaves))]
        assert (seen, sim["mreq"][k]) == (grants, mreq), f"cycle {k}, inputs {row}"


def check_lint(emitted):
    if HAVE_VERILATOR:
        assert lint(emitted.out_dir, emitted.top_name) == []


POLICIES = [P.AckOne, P.AckAll, P.NotAck]
POLICY_IDS = ["AckOne", "AckAll", "NotAck"]


def test_reference_model_follows_the_grant_rules():
    # The model itself, on the cases the rules single out (leaves of priority 5, 1, 5).
    leaves = [(5, None), (1, None), (5, None)]
    assert reference(leaves, P.AckOne, [1, 1, 1], 1) == ([1, 0, 0], 1)
    assert reference(leaves, P.AckAll, [1, 1, 1], 1) == ([1, 0, 1], 1)
    assert reference(leaves, P.NotAck, [1, 1, 1], 1) == ([0, 0, 0], 1)
    assert reference(leaves, P.NotAck, [0, 1, 1], 1) == ([0, 0, 1], 1)
    assert reference(leaves, P.AckOne, [0, 1, 0], 1) == ([0, 1, 0], 1)
    assert reference(leaves, P.AckOne, [1, 1, 1], 0) == ([0, 0, 0], 1)
    assert reference(leaves, P.AckOne, [0, 0, 0], 1) == ([0, 0, 0], 0)
    assert reference([(5, "ack"), (1, None)], P.AckOne, [1, 1], 0) == ([1, 0], 1)
    assert reference([(5, "req"), (1, None)], P.AckOne, [0, 1], 1) == ([1, 0], 1)


@needs_iverilog
@pytest.mark.parametrize("mack", [False, True], ids=["no_master_ack", "master_ack"])
@pytest.mark.parametrize("policy", POLICIES, ids=POLICY_IDS)
def test_grants_follow_priority_and_policy_every_cycle(tmp_path, policy, mack):
    leaves = [(5, None), (1, None), (5, None)]
    rows, sim, emitted = run_all_combinations(tmp_path, policy, leaves, mack)
    check_against_reference(rows, sim, policy, leaves)
    check_lint(emitted)


@needs_iverilog
@pytest.mark.parametrize("lock", ["ack", "req"])
@pytest.mark.parametrize("policy", POLICIES, ids=POLICY_IDS)
def test_locked_leaves_follow_the_grant_rules_every_cycle(tmp_path, policy, lock):
    # An Ack-locked leaf is always granted yet blocks lower leaves while it requests; a
    # Req-locked one always requests.
    leaves = [(5, lock), (1, None), (5, None)]
    rows, sim, emitted = run_all_combinations(tmp_path, policy, leaves, mack=True)
    check_against_reference(rows, sim, policy, leaves)
    check_lint(emitted)


@needs_iverilog
def test_user_hold_and_reset_leave_the_grants_alone(tmp_path):
    # Hold and reset are handed on to the blocks that contend on the arbiter; the grant logic
    # itself does not read them.
    leaves = [(5, None), (1, None), (5, None)]
    rows, sim, emitted = run_all_combinations(tmp_path, P.AckOne, leaves, mack=True,
                                              hold_reset=True)
    check_against_reference(rows, sim, P.AckOne, leaves)
    assert sim["hold_seen"] == [row["hold"] for row in rows]
    assert sim["rst_seen"] == [row["rst"] for row in rows]
    check_lint(emitted)


@needs_iverilog
@pytest.mark.parametrize("policy", POLICIES, ids=POLICY_IDS)
def test_leaf_added_in_a_sub_module_is_granted_across_the_boundary(tmp_path, policy):
    leaves = [(5, None), (1, None), (5, None)]
    rows, sim, emitted = run_all_combinations(tmp_path, policy, leaves, mack=True, sub_leaf=2)
    check_against_reference(rows, sim, policy, leaves)
    check_lint(emitted)


# ---- the written text -----------------------------------------------------------------------

def build_small_arbiter(d: Design):
    """Two leaves of priority 5 and 1 under a master acknowledge."""
    build_arbiter(d, P.AckOne, [(5, None), (1, None)], mack=True)


GOLDEN_TOP = """\
////////////////////////////////////////////////////////////////////////////////
// Phase 1 : module header & IO ports
module MODULE_top_0(
    input wire clk,
    input wire mrst,
    output reg  mreq,
    input wire req0,
    output reg  ack0,
    input wire req1,
    output reg  ack1,
    input wire mack
);

    // ---- Phase 2 : signal declarations (reg / wire / localparam / mem) ----
    // ---- SR_ST declarations ----
reg   SR_ST_start_ST_12;
    // ---- WIRE declarations ----
reg   WIRE_clk_8;
reg   WIRE_mrst_9;
reg   WIRE_a_MREQ_1;
reg   WIRE_a_REQ0_3;
reg   WIRE_a_ACK0_4;
reg   WIRE_a_REQ1_5;
reg   WIRE_a_ACK1_6;
reg   WIRE_mack_7;
    // ---- VAL declarations ----
wire  VAL_start_ST_SET_10 = 1'b1;
wire  VAL_start_ST_UNSET_11 = 1'b0;
wire  VAL_upState_13 = 1'b1;
wire  VAL_clk_DEFAULT_ZERO_20 = 1'b0;
wire  VAL_mrst_DEFAULT_ZERO_22 = 1'b0;
wire  VAL_a_MREQ_DEFAULT_ZERO_24 = 1'b0;
wire  VAL_a_REQ0_DEFAULT_ZERO_26 = 1'b0;
wire  VAL_a_ACK0_DEFAULT_ZERO_28 = 1'b0;
wire  VAL_a_REQ1_DEFAULT_ZERO_30 = 1'b0;
wire  VAL_a_ACK1_DEFAULT_ZERO_32 = 1'b0;
wire  VAL_mack_DEFAULT_ZERO_34 = 1'b0;
    // ---- EXPR declarations ----
wire  EXPR_startExpr_14;
wire  EXPR_node_logic_expr_36;
wire  EXPR_arb_ack_mack_38;
wire  EXPR_arb_ack_mack_40;
wire  EXPR_arb_hi_inv_41;
wire  EXPR_arb_ack_hi_42;

    // ---- Phase 2.5 : sub-module output wire declarations ----
    // ---- Phase 3 : always blocks & continuous assignments ----
always @(posedge WIRE_clk_8) begin
    SR_ST_start_ST_12 <= VAL_start_ST_UNSET_11;
    if (WIRE_mrst_9) begin
        SR_ST_start_ST_12 <= VAL_start_ST_SET_10;
    end
end
always @(*) begin
    WIRE_clk_8 = VAL_clk_DEFAULT_ZERO_20;
    WIRE_clk_8 = clk;
end
always @(*) begin
    WIRE_mrst_9 = VAL_mrst_DEFAULT_ZERO_22;
    WIRE_mrst_9 = mrst;
end
always @(*) begin
    WIRE_a_MREQ_1 = VAL_a_MREQ_DEFAULT_ZERO_24;
    WIRE_a_MREQ_1 = EXPR_node_logic_expr_36;
end
always @(*) begin
    WIRE_a_REQ0_3 = VAL_a_REQ0_DEFAULT_ZERO_26;
    WIRE_a_REQ0_3 = req0;
end
always @(*) begin
    WIRE_a_ACK0_4 = VAL_a_ACK0_DEFAULT_ZERO_28;
    WIRE_a_ACK0_4 = EXPR_arb_ack_mack_38;
end
always @(*) begin
    WIRE_a_REQ1_5 = VAL_a_REQ1_DEFAULT_ZERO_30;
    WIRE_a_REQ1_5 = req1;
end
always @(*) begin
    WIRE_a_ACK1_6 = VAL_a_ACK1_DEFAULT_ZERO_32;
    WIRE_a_ACK1_6 = EXPR_arb_ack_hi_42;
end
always @(*) begin
    WIRE_mack_7 = VAL_mack_DEFAULT_ZERO_34;
    WIRE_mack_7 = mack;
end
assign EXPR_startExpr_14 = SR_ST_start_ST_12 == VAL_upState_13;
assign EXPR_node_logic_expr_36 = WIRE_a_REQ0_3 | WIRE_a_REQ1_5;
assign EXPR_arb_ack_mack_38 = WIRE_a_REQ0_3 & WIRE_mack_7;
assign EXPR_arb_ack_mack_40 = WIRE_a_REQ1_5 & WIRE_mack_7;
assign EXPR_arb_hi_inv_41 = ~WIRE_a_REQ0_3;
assign EXPR_arb_ack_hi_42 = EXPR_arb_ack_mack_40 & EXPR_arb_hi_inv_41;
always @(*) begin
    mreq = WIRE_a_MREQ_1;
end
always @(*) begin
    ack0 = WIRE_a_ACK0_4;
end
always @(*) begin
    ack1 = WIRE_a_ACK1_6;
end
    // ---- Phase 4 : sub-module instantiations ----
    // ---- Phase 5 : endmodule ----

endmodule

"""


def test_golden_text_of_a_two_leaf_arbiter(tmp_path):
    # Run in a fresh interpreter so that global ids start at 0.
    script = textwrap.dedent(f"""
        import sys
        sys.path.insert(0, {str(__file__.rsplit('/', 1)[0])!r})
        from design_kit import Design
        from test_simulation_arbiter import build_small_arbiter
        d = Design()
        build_small_arbiter(d)
        d.emit({str(tmp_path)!r})
    """)
    subprocess.run([sys.executable, "-c", script], check=True, capture_output=True)
    assert (tmp_path / "top.v").read_text() == GOLDEN_TOP
