"""Pipelines and zyncs in simulation: one shared unit (a pipeline) serves the items that zync blocks
hand it through an arbiter, each exactly once, proven cycle by cycle in Icarus.

Timeline (see test_simulation_seq_par): a state active in sample k shows its assignment in
sample k + 1. A zync's assignment takes effect in its grant cycle, so it shows one sample later;
the pipeline's body starts in the cycle after the grant.
"""

from __future__ import annotations

import pytest

import _velmora as v
from design_kit import Design
from verilog_tools import HAVE_IVERILOG, HAVE_VERILATOR, lint

pytestmark = pytest.mark.skipif(not HAVE_IVERILOG, reason="Icarus Verilog is not installed")
P = v.ArbSamePriPolicy


def check_lint(emitted):
    if HAVE_VERILATOR:
        assert lint(emitted.out_dir, emitted.top_name) == []


def first(trace, value):
    return trace.index(value)


class SharedUnit(Design):
    """Registers of the client (the top module, or with `client_module` a sub-module "client"):
    d (the item handed over), s0 and s1 (the steps around the zyncs). A pipeline's registers are
    made where the pipeline stands: q (the item it took in its first body state) and n (passes
    run)."""

    def __init__(self, client_module: bool = False):
        super().__init__()
        self.client = self.top
        with self.components(self.top):
            if client_module:
                self.client = self.arena.mk_module("client")
                self.arena.track_module_at_com_init(self.client)
            self.d = self.reg("d", 8)
            self.s0 = self.reg("s0", 1)
            self.s1 = self.reg("s1", 4)
            if client_module:
                self.arena.untrack_module_at_com_init(self.client)

    def inc(self, r, name):
        return self.arena.mk_expression(name, v.LogicOp.ArithPlus, r, 1)

    def server_regs(self, module, suffix=""):
        """q and n of one pipeline, made in `module`; n + 1 made there too."""
        with self.components(module):
            q = self.reg(f"q{suffix}", 8)
            n = self.reg(f"n{suffix}", 4)
            n_inc = self.inc(n, f"n{suffix}_inc")
        return q, n, n_inc

    def pipeline(self, arb, q, n, n_inc, body_states=3, name="p", **kw):
        """pip { seq [q <= d; n <= n + 1; idle steps up to `body_states`] }"""
        with self.block(self.arena.mk_flow_block_pip(name, arb, **kw)), self.seq(f"{name}_body"):
            self.assign(q, self.d)
            self.assign(n, n_inc)
            for _ in range(body_states - 2):
                self.assign(n, n)

    def zync(self, arb, value, name, **kw):
        with self.block(self.arena.mk_flow_block_zync(name, arb, **kw)):
            self.assign(self.d, value)

    def items(self, zyncs):
        """seq [s0 <= 1; each zync; s1 <= s1 + 1]; `zyncs` makes the zyncs."""
        s1_inc = self.inc(self.s1, "s1_inc")
        with self.seq("items"):
            self.assign(self.s0, 1)
            zyncs()
            self.assign(self.s1, s1_inc)


def two_items_on_one_pipeline(where: str):
    """seq [s0; zync A {d <= 5}; zync B {d <= 7}; s1] on arbiter `a` of the top module. `where`
    says what stands in a sub-module: nothing ("top"), the pipeline with its q and n ("server"),
    or the seq of zyncs with d, s0 and s1 ("client")."""
    u = SharedUnit(client_module=where == "client")
    with u.components(u.top):
        arb = u.arena.mk_arb("a", P.AckOne)
        server = u.top
        if where == "server":
            # A sub-module is described while its parent is tracked.
            server = u.arena.mk_module("server")
            q, n, n_inc = u.server_regs(server)
    if where != "server":
        q, n, n_inc = u.server_regs(server)
    with u.flow(u.client):
        u.items(lambda: (u.zync(arb, 5, "A"), u.zync(arb, 7, "B")))
    with u.flow(server):
        u.pipeline(arb, q, n, n_inc)
    return u


OUTPUTS = {"s0": 1, "d": 8, "q": 8, "n": 4, "s1": 4}


@pytest.fixture(scope="module")
def top_module_trace(tmp_path_factory):
    emitted, sim = two_items_on_one_pipeline("top").run(tmp_path_factory.mktemp("top"), OUTPUTS,
                                                        cycles=14)
    return emitted, sim


def test_each_item_is_served_exactly_once_and_the_second_waits_while_the_pipeline_is_busy(
        top_module_trace):
    emitted, sim = top_module_trace
    # s0 in sample 0. A asks in sample 1, where the idle pipeline offers its entrance: granted,
    # d = 5 from sample 2. The body's states run in samples 2, 3, 4 (q <= d in 2). B asks from
    # sample 2 but waits while the body runs; the body's end in sample 4 is the next entrance:
    # granted there, d = 7 from 5, the second pass runs in 5, 6, 7.
    assert sim["d"] == [0, 0] + [5] * 3 + [7] * 9
    assert sim["q"] == [0, 0, 0] + [5] * 3 + [7] * 8
    assert sim["n"] == [0, 0, 0, 0, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2]
    check_lint(emitted)


def test_zync_exit_is_one_pulse_in_the_grant_cycle(top_module_trace):
    # Regression: the exit was the zync's waiting state, high in every waiting cycle, so the step
    # after B ran once per cycle B waited.
    _, sim = top_module_trace
    assert sim["s1"] == [0] * 6 + [1] * 8  # B granted in sample 4, s1's state in 5


def test_pipeline_in_a_sub_module_serves_like_one_in_the_top_module(tmp_path, top_module_trace):
    # Regression: grant logic built before the sub-module's pipeline set the master ack ignored
    # the pipeline's entrance, so B was taken while the pipeline was busy, and lost.
    emitted, sim = two_items_on_one_pipeline("server").run(tmp_path, OUTPUTS, cycles=14)
    assert sim.samples == top_module_trace[1].samples
    check_lint(emitted)


def test_zyncs_in_a_sub_module_are_served_like_zyncs_in_the_top_module(tmp_path,
                                                                      top_module_trace):
    # Their leaves' signals live in the sub-module; the grants come from the top module.
    emitted, sim = two_items_on_one_pipeline("client").run(tmp_path, OUTPUTS, cycles=14)
    assert sim.samples == top_module_trace[1].samples
    check_lint(emitted)


# ---- the pipeline on its own: requests from the testbench -----------------------------------

def lone_pipeline(policy=P.AckOne, requesters=(), auto_req=False, body_states=3, hold=False,
                  reset=False, auto_restart=False):
    """A pipeline on arbiter `a` with extra leaves of the given priorities, whose requests are
    the inputs "req{i}" and whose grants show on "ack{i}"; with `hold` / `reset` the arbiter's
    user hold and reset are the inputs "hold" and "rst"."""
    u = SharedUnit()
    inputs = {}
    with u.components(u.top):
        arb = u.arena.mk_arb("a", policy)
        for i, pri in enumerate(requesters):
            leaf = u.arena.arb_add_leaf(arb, pri)
            u.arena.mark_as_io(u.arena.arb_get_leaf_req_wire(arb, leaf), True, f"req{i}")
            u.arena.mark_as_io(u.arena.arb_get_leaf_ack_wire(arb, leaf), False, f"ack{i}")
            inputs[f"req{i}"] = 1
        for name, wanted, setter in (("hold", hold, u.arena.arb_set_hold),
                                     ("rst", reset, u.arena.arb_set_reset)):
            if wanted:
                setter(arb, u.input(name))
                inputs[name] = 1
    q, n, n_inc = u.server_regs(u.top)
    with u.flow(u.top):
        u.pipeline(arb, q, n, n_inc, body_states=body_states, auto_req=auto_req,
                   auto_restart=auto_restart)
    return u, inputs


def pulses(cycles, at):
    return [1 if k in at else 0 for k in range(cycles)]


def test_auto_req_pipeline_restarts_at_the_end_of_every_pass_without_idle_cycles(tmp_path):
    u, _ = lone_pipeline(auto_req=True, body_states=2)
    emitted, sim = u.run(tmp_path, {"n": 4}, cycles=9)
    # Its own leaf always requests: granted on the start pulse, the first pass runs its states
    # in samples 0 and 1 (n <= n + 1 in 1), the next pass in 2 and 3, and so on.
    assert sim["n"] == [0, 0, 1, 1, 2, 2, 3, 3, 4]
    check_lint(emitted)


# The testbench drives requests as a clocked design would (on the rising edge), so that a sample
# shows a grant together with the request it answers; the pass it starts runs from the next
# sample on.


@pytest.mark.parametrize("at", [1, 4])
def test_idle_pipeline_offers_its_entrance_in_every_cycle_of_its_wait(tmp_path, at):
    # With no requester the wait state and the entrance alternate: the wait state holds one cycle
    # and fires the entrance again. A request that comes at any later cycle is granted at once.
    cycles = 10
    u, inputs = lone_pipeline(requesters=[5])
    stimulus = {"req0": pulses(cycles, {at})}
    emitted, sim = u.run(tmp_path, {"ack0": 1, "n": 4}, cycles=cycles, inputs=inputs,
                         stimulus=stimulus, sync=True)
    assert sim["ack0"] == pulses(cycles, {at})
    # One pass: its states run in the three samples after the grant (n <= n + 1 in the second).
    assert sim["n"] == [0] * (at + 3) + [1] * (cycles - at - 3)
    check_lint(emitted)


@pytest.mark.parametrize("policy, grant", [(P.NotAck, False), (P.AckOne, True)],
                         ids=["NotAck", "AckOne"])
def test_pipeline_starts_on_a_grant_not_on_a_request(tmp_path, policy, grant):
    # Regression: the body started whenever some leaf requested. Two requesters of equal priority
    # under NotAck are both refused, so nobody is served and no pass may run.
    cycles = 8
    u, inputs = lone_pipeline(policy=policy, requesters=[5, 5])
    stimulus = {"req0": pulses(cycles, {2}), "req1": pulses(cycles, {2})}
    emitted, sim = u.run(tmp_path, {"ack0": 1, "ack1": 1, "n": 4}, cycles=cycles, inputs=inputs,
                         stimulus=stimulus, sync=True)
    assert sim["ack0"] == pulses(cycles, {2} if grant else set())
    assert sim["ack1"] == pulses(cycles, set())
    assert sim["n"] == ([0] * 5 + [1] * 3 if grant else [0] * cycles)
    check_lint(emitted)


def test_arbiter_user_hold_freezes_the_pipeline_body(tmp_path):
    cycles = 12
    u, inputs = lone_pipeline(auto_req=True, body_states=2, hold=True)
    stimulus = {"hold": pulses(cycles, {3, 4, 5})}
    emitted, sim = u.run(tmp_path, {"n": 4}, cycles=cycles, inputs=inputs, stimulus=stimulus,
                         sync=True)
    # Passes run in samples 0-1 and 2-3; the hold in 3, 4, 5 freezes the second pass in its last
    # state, which does its step in 6; the passes go on from 7.
    assert sim["n"] == [0, 0, 1, 1, 1, 1, 1, 2, 2, 3, 3, 4]
    check_lint(emitted)


@pytest.mark.parametrize("auto_restart", [False, True], ids=["stops", "auto_restart"])
def test_arbiter_user_reset_clears_the_pipeline_and_restarts_it_only_with_auto_restart(
        tmp_path, auto_restart):
    cycles = 12
    u, inputs = lone_pipeline(auto_req=True, body_states=2, reset=True,
                              auto_restart=auto_restart)
    stimulus = {"rst": pulses(cycles, {4})}
    emitted, sim = u.run(tmp_path, {"n": 4}, cycles=cycles, inputs=inputs, stimulus=stimulus,
                         sync=True)
    if auto_restart:
        # The reset in sample 4 clears the third pass in its first state and starts a new pass
        # at once: its states run in 5 and 6.
        assert sim["n"] == [0, 0, 1, 1, 2, 2, 2, 3, 3, 4, 4, 5]
    else:
        # Everything is cleared, the wait state too: the pipeline stays stopped.
        assert sim["n"] == [0, 0, 1, 1] + [2] * 8
    check_lint(emitted)


# ---- zyncs on two arbiters, each with a pipeline ----------------------------------------------

def two_servers(policy=P.AckOne):
    """Arbiters A and B, each feeding a pipeline of three states (q <= d; n <= n + 1; idle) with
    its own registers qa, na and qb, nb."""
    u = SharedUnit()
    with u.components(u.top):
        arbs = (u.arena.mk_arb("A", policy), u.arena.mk_arb("B", policy))
    regs = [u.server_regs(u.top, suffix) for suffix in ("a", "b")]
    return u, arbs, regs


def serve(u, arbs, regs):
    for name, arb, (q, n, n_inc) in zip(("pa", "pb"), arbs, regs):
        u.pipeline(arb, q, n, n_inc, name=name)


def zync_on(u, binds, value, name, match_all=False):
    with u.block(u.arena.mk_flow_block_zync_multi(name, binds, match_all)):
        u.assign(u.d, value)


SERVER_OUTPUTS = {"d": 8, "qa": 8, "na": 4, "qb": 8, "nb": 4, "s1": 4}


def test_any_mode_zync_is_served_by_exactly_one_of_its_arbiters(tmp_path):
    # Regression: both binds requested at once, so two idle arbiters granted one item together
    # and both pipelines served it.
    u, (a, b), regs = two_servers()
    any_of = [(a, None, False, None), (b, None, False, None)]
    with u.flow(u.top):
        u.items(lambda: [zync_on(u, any_of, k, f"z{k}") for k in (1, 2, 3)])
        serve(u, (a, b), regs)
    emitted, sim = u.run(tmp_path, SERVER_OUTPUTS, cycles=10)
    # Item 1 asks A first (sample 1) and A grants. Item 2 asks A in 2, which is busy, then B in 3,
    # which grants. Item 3 asks A in 4, the last state of A's pass, where A grants again.
    assert sim["d"] == [0, 0, 1, 1, 2, 3, 3, 3, 3, 3]
    assert sim["qa"] == [0, 0, 0, 1, 1, 1, 3, 3, 3, 3]
    assert sim["qb"] == [0, 0, 0, 0, 0, 2, 2, 2, 2, 2]
    assert sim["na"] == [0, 0, 0, 0, 1, 1, 1, 2, 2, 2]
    assert sim["nb"] == [0, 0, 0, 0, 0, 0, 1, 1, 1, 1]
    assert sim["s1"] == [0] * 6 + [1] * 4
    check_lint(emitted)


def test_zyncs_binding_two_arbiters_in_crossed_orders_close_no_combinational_loop(tmp_path):
    # Under NotAck each arbiter's grant to one zync depends on the other zync's request there; a
    # request that depended on the zync's grant elsewhere would close a loop through both
    # arbiters. Taking turns, requests depend on states only.
    u, (a, b), regs = two_servers(P.NotAck)
    with u.components(u.top):
        e = u.reg("e", 8)
    with u.flow(u.top):
        with u.seq("items"), u.par("both"):
            zync_on(u, [(a, None, False, None), (b, None, False, None)], 1, "ab")
            with u.block(u.arena.mk_flow_block_zync_multi(
                    "ba", [(b, None, False, None), (a, None, False, None)], False)):
                u.assign(e, 2)
        serve(u, (a, b), regs)
    emitted, sim = u.run(tmp_path, {"d": 8, "e": 8, "na": 4, "nb": 4}, cycles=8)
    # Both ask in sample 0, each on its first arbiter, and both are granted there.
    assert sim["d"] == [0] + [1] * 7
    assert sim["e"] == [0] + [2] * 7
    assert sim["na"][-1] == 1 and sim["nb"][-1] == 1
    check_lint(emitted)


def test_all_mode_zync_is_granted_by_every_arbiter_in_one_cycle(tmp_path, capfd):
    u, (a, b), regs = two_servers()
    with u.flow(u.top):
        u.items(lambda: zync_on(u, [(a, None, False, None), (b, None, False, None)], 5, "both",
                                match_all=True))
        serve(u, (a, b), regs)
    emitted, sim = u.run(tmp_path, SERVER_OUTPUTS, cycles=8)
    assert capfd.readouterr().err == (
        "[velmora][warn] zync block 'both': All-mode grant is AND over (ack & cond); the target "
        "may activate when not all conditions are satisfied\n")
    # Both idle pipelines grant in sample 1; each serves the item once.
    assert sim["d"] == [0, 0] + [5] * 6
    assert sim["qa"] == sim["qb"] == [0, 0, 0] + [5] * 5
    assert sim["na"] == sim["nb"] == [0] * 4 + [1] * 4
    assert sim["s1"] == [0, 0, 0] + [1] * 5
    check_lint(emitted)


def test_zync_in_a_par_auto_fills_its_slot_only_when_granted(tmp_path):
    # Regression: with the waiting state as its exit, the zync counted as arrived in the first
    # cycle it waited, and the par ended before the zync was granted.
    u = SharedUnit()
    with u.components(u.top):
        arb = u.arena.mk_arb("a", P.AckOne)
        e = u.reg("e", 4)
    q, n, n_inc = u.server_regs(u.top)

    def zyncs():
        u.zync(arb, 1, "P")
        with u.par("side_by_side"):
            u.zync(arb, 2, "Q")
            with u.seq("other"):
                u.assign(e, 1)

    with u.flow(u.top):
        u.items(zyncs)
        u.pipeline(arb, q, n, n_inc, body_states=4)
    emitted, sim = u.run(tmp_path, {"d": 8, "e": 4, "n": 4, "s1": 4}, cycles=10)
    # P is granted in sample 1; its pass runs in 2 to 5. Q asks from 2 and is granted at the
    # pass's end in 5; the other branch ended long before. s1 follows Q's grant.
    assert sim["d"] == [0, 0] + [1] * 4 + [2] * 4
    assert sim["e"] == [0, 0, 0] + [1] * 7
    assert sim["s1"] == [0] * 7 + [1] * 3
    check_lint(emitted)


@pytest.mark.parametrize("to_b", [0, 1])
def test_any_mode_bind_asks_only_while_its_condition_holds(tmp_path, to_b):
    u, (a, b), regs = two_servers()
    with u.components(u.top):
        use_b = u.input("use_b")
        use_a = u.arena.mk_expression_single("use_a", v.LogicOp.BitwiseInvr, use_b)
    with u.flow(u.top):
        u.items(lambda: zync_on(u, [(a, None, False, use_a), (b, None, False, use_b)], 9, "z"))
        serve(u, (a, b), regs)
    emitted, sim = u.run(tmp_path, SERVER_OUTPUTS, cycles=7, inputs={"use_b": 1},
                         stimulus={"use_b": [to_b] * 7}, sync=True)
    # A's turn comes first (sample 1); when the item goes to B, A's turn passes unused and B's
    # turn in sample 2 is granted.
    served, idle = ("nb", "na") if to_b else ("na", "nb")
    granted = 2 if to_b else 1
    assert sim["d"] == [0] * (granted + 1) + [9] * (6 - granted)
    assert sim[served] == [0] * (granted + 3) + [1] * (4 - granted)
    assert sim[idle] == [0] * 7
    check_lint(emitted)


@pytest.mark.parametrize("c", [0, 1])
def test_zync_holding_a_zero_cycle_choice_assigns_in_its_grant_cycle(tmp_path, c):
    u = SharedUnit()
    with u.components(u.top):
        arb = u.arena.mk_arb("a", P.AckOne)
        choose = u.input("c")
    q, n, n_inc = u.server_regs(u.top)

    def zyncs():
        with u.block(u.arena.mk_flow_block_zync("z", arb)):
            with u.flow_block("zif", choose):
                u.assign(u.d, 5)
            with u.flow_block("zelse"):
                u.assign(u.d, 6)
            u.assign(u.s0, 0)

    with u.flow(u.top):
        u.items(zyncs)
        u.pipeline(arb, q, n, n_inc)
    emitted, sim = u.run(tmp_path, {"d": 8, "q": 8, "s0": 1}, cycles=6, inputs={"c": 1},
                         stimulus={"c": [c] * 6})
    # Granted in sample 1: the choice and the plain assignment both take effect there.
    value = 5 if c else 6
    assert sim["d"] == [0, 0] + [value] * 4
    assert sim["s0"] == [0, 1, 0, 0, 0, 0]
    assert sim["q"] == [0, 0, 0] + [value] * 3
    check_lint(emitted)
