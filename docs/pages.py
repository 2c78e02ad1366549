"""The documentation pages: per construct, a few lines of Python (run after PRELUDE), the inputs
its simulation is driven with, and what the page says about it."""

from dataclasses import dataclass, field

# Every snippet runs after this; it is shown once, in docs/README.md.
PRELUDE = '''\
from contextlib import contextmanager

import _velmora as v

arena = v.ModelArena()
top = arena.mk_module("top")


@contextmanager
def components():
    arena.track_module_at_com_init(top)
    yield
    arena.untrack_module_at_com_init(top)


@contextmanager
def flow():
    arena.track_module_at_flow_init(top)
    yield
    arena.finalize_flow_procedure()
    arena.untrack_module_at_flow_init(top)


@contextmanager
def block(b):
    arena.initialize_flow_block(b)
    yield b
    arena.check_flow_block_prefinalize(b)
    arena.finalize_flow_block(b)


def reg(name, width=1):
    """An output register that resets to 0."""
    r = arena.mk_reg(name, width)
    arena.set_reg_reset(r, arena.mk_val(name + "_rst", width, 0))
    arena.mark_as_io(r, False, name)
    return r


def inp(name, width=1):
    w = arena.mk_wire(name, width)
    arena.mark_as_io(w, True, name)
    return w
'''


@dataclass
class Page:
    slug: str
    title: str
    about: str
    code: str
    cycles: int = 10
    inputs: dict[str, list[int]] = field(default_factory=dict)
    reading: str = ""


PAGES = [
    Page(
        "seq", "seq — one step per cycle",
        "A `seq` runs its steps one after another, one cycle each; an assignment made in a step "
        "is visible from the next cycle on.",
        '''\
with components():
    acc = reg("acc", 8)
with flow():
    with block(arena.mk_flow_block_seq("steps")):
        for value in (1, 2, 3):
            arena.gen_basic_assign(acc, value)
''',
        cycles=6,
        reading="The first step is active in cycle 0, so `acc` is 1 from cycle 1; after the "
        "third step the sequence (and here the whole procedure) is done and `acc` keeps 3."),
    Page(
        "par", "par_auto and par_no_sync — branches side by side",
        "`par_auto` starts all its branches in the same cycle and goes on once the longest has "
        "finished; `par_no_sync` starts them together but does not wait (the step after it "
        "follows its first branch).",
        '''\
with components():
    a, b, done = reg("a", 4), reg("b", 4), reg("done")
with flow():
    with block(arena.mk_flow_block_seq("s")):
        with block(arena.mk_flow_block_par_auto("both")):
            with block(arena.mk_flow_block_seq("short")):
                arena.gen_basic_assign(a, 1)
            with block(arena.mk_flow_block_seq("long")):
                for value in (1, 2, 3):
                    arena.gen_basic_assign(b, value)
        arena.gen_basic_assign(done, 1)
''',
        cycles=7,
        reading="Both branches start in cycle 0; `done` is set in the cycle after the longer "
        "branch's last step."),
    Page(
        "cif", "cif / sif / cselif / cselse — if chains",
        "`cif` decides in the cycle it is reached, `sif` takes a state of its own first; "
        "`cselif` and `cselse` continue the chain. Exactly one branch runs (or none), then the "
        "step after the chain.",
        '''\
with components():
    c, e = inp("c"), inp("e")
    x, y, z, done = reg("x", 4), reg("y", 4), reg("z", 4), reg("done")
with flow():
    with block(arena.mk_flow_block_cwhile("forever", arena.mk_val("one", 1, 1))):
        with block(arena.mk_flow_block_seq("s")):
            with block(arena.mk_flow_block_cif("if_c", c)):
                with block(arena.mk_flow_block_seq("two")):
                    arena.gen_basic_assign(x, 1)
                    arena.gen_basic_assign(x, 2)
            with block(arena.mk_flow_block_cselif("elif_e", e)):
                with block(arena.mk_flow_block_seq("one")):
                    arena.gen_basic_assign(y, 1)
            with block(arena.mk_flow_block_cselse("else")):
                with block(arena.mk_flow_block_seq("three")):
                    for value in (1, 2, 3):
                        arena.gen_basic_assign(z, value)
            arena.gen_basic_assign(done, 1)
''',
        cycles=14,
        inputs={"c": [1, 1, 1, 0, 0, 0, 0, 0, 0, 0], "e": [0, 0, 0, 1, 1, 0, 0]},
        reading="Each pass of the loop decides once: with `c` high the two-step branch writes "
        "`x`, with only `e` high the one-step branch writes `y`, otherwise `z` counts to 3."),
    Page(
        "cwhile", "cwhile / swhile — loops on a condition",
        "`cwhile` checks its condition when it is reached and after every pass of its body; "
        "`swhile` is the same loop with a state of its own for the check.",
        '''\
with components():
    run = inp("run")
    pulse, count = reg("pulse"), reg("count", 4)
    count_up = arena.mk_expression("count_up", v.LogicOp.ArithPlus, count, 1)
with flow():
    with block(arena.mk_flow_block_cwhile("while_run", run)):
        with block(arena.mk_flow_block_seq("body")):
            arena.gen_basic_assign(count, count_up)
            arena.gen_basic_assign(pulse, 1)
            arena.gen_basic_assign(pulse, 0)
''',
        cycles=12,
        inputs={"run": [1, 1, 1, 1, 1, 1, 1, 0]},
        reading="Each pass takes three cycles; once `run` is low when the loop checks it, the "
        "loop ends and nothing changes any more."),
    Page(
        "counter_loop", "counter_loop — a body run N times",
        "`counter_loop(name, n)` runs its body `n` times, with a counter register of its own.",
        '''\
with components():
    pulse, done = reg("pulse"), reg("done")
with flow():
    with block(arena.mk_flow_block_seq("s")):
        with block(arena.mk_flow_block_counter_loop("three", 3)):
            with block(arena.mk_flow_block_seq("one_pulse")):
                arena.gen_basic_assign(pulse, 1)
                arena.gen_basic_assign(pulse, 0)
        arena.gen_basic_assign(done, 1)
''',
        cycles=10,
        reading="Three pulses, each a high and a low cycle, then `done`."),
    Page(
        "sywait", "sywait — wait a number of cycles",
        "`sywait(name, n)` waits `n` cycles and takes no steps of its own.",
        '''\
with components():
    a = reg("a", 4)
with flow():
    with block(arena.mk_flow_block_seq("s")):
        arena.gen_basic_assign(a, 1)
        with block(arena.mk_flow_block_sywait("pause", 3)):
            pass
        arena.gen_basic_assign(a, 2)
''',
        cycles=8,
        reading="`a` becomes 1, the wait holds the sequence for three cycles, then `a` becomes 2."),
    Page(
        "scwait", "scwait — wait for a condition",
        "`scwait(name, cond)` waits until its condition is high.",
        '''\
with components():
    go = inp("go")
    a = reg("a", 4)
with flow():
    with block(arena.mk_flow_block_seq("s")):
        arena.gen_basic_assign(a, 1)
        with block(arena.mk_flow_block_scwait("wait_go", go)):
            pass
        arena.gen_basic_assign(a, 2)
''',
        cycles=9,
        inputs={"go": [0, 0, 0, 0, 1, 0]},
        reading="The sequence stays in the wait until `go` is seen high, then goes on."),
    Page(
        "do_while", "do_while — a body run before the first check",
        "`do_while(name, cond)` runs its body once, then again for as long as its condition is "
        "high after a pass.",
        '''\
with components():
    again = inp("again")
    count = reg("count", 4)
    count_up = arena.mk_expression("count_up", v.LogicOp.ArithPlus, count, 1)
with flow():
    with block(arena.mk_flow_block_do_while("repeat", again)):
        with block(arena.mk_flow_block_seq("body")):
            arena.gen_basic_assign(count, count_up)
            arena.gen_basic_assign(count, count_up)
''',
        cycles=10,
        inputs={"again": [0, 0, 0, 0, 0, 0]},
        reading="`again` is never high, yet the body runs once: `count` steps to 2."),
    Page(
        "zif", "zif / zelif / zelse — a choice inside one step",
        "A zero-cycle chain takes no state of its own: it chooses within the step it sits in, in "
        "the same cycle, the first branch whose condition is high.",
        '''\
with components():
    c, e = inp("c"), inp("e")
    r = reg("r", 4)
with flow():
    with block(arena.mk_flow_block_cwhile("forever", arena.mk_val("one", 1, 1))):
        with block(arena.mk_flow_block_seq("s")):
            arena.gen_basic_assign(r, 1)
            with block(arena.mk_flow_block_zif("if_c", c)):
                arena.gen_basic_assign(r, 2)
            with block(arena.mk_flow_block_zelif("elif_e", e)):
                arena.gen_basic_assign(r, 3)
            with block(arena.mk_flow_block_zelse("else")):
                arena.gen_basic_assign(r, 4)
''',
        cycles=10,
        inputs={"c": [1, 1, 1, 1, 0, 0, 0, 0], "e": [0, 0, 0, 0, 0, 0, 1, 1]},
        reading="Every second cycle `r` is 1; in the cycles between, the chain writes 2, 3 or 4 "
        "depending on `c` and `e` in that very cycle."),
    Page(
        "pick", "pick / pif / pidef — every matching branch",
        "A `pick` runs every `pif` branch whose condition is high, side by side, or its `pidef` "
        "default when none is; the step after it follows the branches.",
        '''\
with components():
    a, b = inp("a"), inp("b")
    x, y, dflt = reg("x", 4), reg("y", 4), reg("dflt", 4)
with flow():
    with block(arena.mk_flow_block_cwhile("forever", arena.mk_val("one", 1, 1))):
        with block(arena.mk_flow_block_pick("choose")):
            with block(arena.mk_flow_block_pif("when_a", a)):
                with block(arena.mk_flow_block_seq("sa")):
                    arena.gen_basic_assign(x, 1)
                    arena.gen_basic_assign(x, 0)
            with block(arena.mk_flow_block_pif("when_b", b)):
                with block(arena.mk_flow_block_seq("sb")):
                    arena.gen_basic_assign(y, 1)
                    arena.gen_basic_assign(y, 0)
            with block(arena.mk_flow_block_pidef("otherwise")):
                with block(arena.mk_flow_block_seq("sd")):
                    arena.gen_basic_assign(dflt, 1)
                    arena.gen_basic_assign(dflt, 0)
''',
        cycles=12,
        inputs={"a": [1, 1, 1, 1, 0, 0, 0, 0, 0, 0], "b": [0, 0, 1, 1, 1, 1, 0, 0]},
        reading="While `a` and `b` are both high both branches run; with neither, the default. "
        "A pick does not wait for all its branches: each finishing branch starts the step after "
        "it (the build says so in a warning), so give the branches equal lengths or follow the "
        "pick with a step that tolerates it."),
    Page(
        "zstate", "zstate / zcase — a switch inside one step",
        "A `zstate` compares its selector with each `zcase` value in the cycle of the step it "
        "sits in and makes the assignments of the matching case; no case matching, nothing.",
        '''\
with components():
    sel = inp("sel", 2)
    r = reg("r", 4)
with flow():
    with block(arena.mk_flow_block_cwhile("forever", arena.mk_val("one", 1, 1))):
        with block(arena.mk_flow_block_seq("s")):
            arena.gen_basic_assign(r, 1)
            with block(arena.mk_flow_block_zstate("by_sel", sel)):
                for value in (0, 2):
                    with block(arena.mk_flow_block_zcase(f"is_{value}", value)):
                        arena.gen_basic_assign(r, 10 + value)
''',
        cycles=10,
        inputs={"sel": [2, 2, 0, 0, 1, 1, 2, 2]},
        reading="Every second cycle `r` is 1; in the cycles between, `r` becomes 10 or 12 when "
        "`sel` is 0 or 2 in that cycle, and keeps 1 when it is 1 (no case)."),
    Page(
        "arbiter", "mk_arb — priority grants",
        "An arbiter grants, every cycle, the requesting leaves of the highest priority; among "
        "equal priorities its policy decides (`AckOne`: the lowest index). Requests and grants "
        "are one-bit wires, here made ports.",
        '''\
with components():
    arb = arena.mk_arb("a", v.ArbSamePriPolicy.AckOne)
    for i, priority in enumerate((1, 1, 5)):
        leaf = arena.arb_add_leaf(arb, priority)
        arena.mark_as_io(arena.arb_get_leaf_req_wire(arb, leaf), True, f"req{i}")
        arena.mark_as_io(arena.arb_get_leaf_ack_wire(arb, leaf), False, f"ack{i}")
''',
        cycles=6,
        inputs={"req0": [1, 1, 0, 1, 1, 0], "req1": [0, 1, 1, 1, 1, 0],
                "req2": [0, 0, 0, 0, 1, 0]},
        reading="Leaves 0 and 1 share priority 1: with both requesting, leaf 0 is granted. Leaf 2 "
        "(priority 5) takes the grant whenever it requests."),
    Page(
        "dyn_counter", "mk_dyn_counter — additions chained in one step",
        "A dynamic counter chains additions (each optionally enabled) onto its register and "
        "commits them together with `dyn_counter_update`; here outside any block, so on every "
        "cycle.",
        '''\
with components():
    inc, en = inp("inc", 8), inp("en")
    cnt = arena.mk_dyn_counter("c", 8)
    total = arena.dyn_counter_get_reg(cnt)
    arena.set_reg_reset(total, arena.mk_val("c_rst", 8, 0))
    arena.mark_as_io(total, False, "total")
with flow():
    arena.dyn_counter_add(cnt, inc)
    arena.dyn_counter_add(cnt, inc, None, en)
    arena.dyn_counter_update(cnt)
''',
        cycles=6,
        inputs={"inc": [1, 2, 3, 4, 0, 0], "en": [0, 1, 1, 0, 0, 0]},
        reading="Each cycle `total` grows by `inc`, and by `inc` once more where `en` is high: "
        "1, 5, 11, 15, then it holds."),
    Page(
        "gen_mux", "gen_mux — a two-way selection into a wire",
        "`gen_mux` makes a wire that is `if_true` while the one-bit condition is high and "
        "`if_false` otherwise, always on and clock-free.",
        '''\
with components():
    sel, a, b = inp("sel"), inp("a", 4), inp("b", 4)
    out = arena.gen_mux("pick", sel, None, a, b)
    arena.mark_as_io(out, False, "out")
''',
        cycles=5,
        inputs={"sel": [1, 0, 1, 0, 0], "a": [3, 3, 7, 7, 7], "b": [9, 9, 9, 5, 5]},
        reading="`out` follows `a` while `sel` is high and `b` otherwise, in the same cycle."),
    Page(
        "pipeline", "pip and zync — handing items to a shared unit",
        "A `pip` block is a unit that takes one item at a time through an arbiter; each `zync` "
        "asks the arbiter, makes its assignments in the cycle it is granted (handing the item "
        "over) and ends there. The pipeline starts its body in the cycle after a grant and offers "
        "its entrance again when the body ends.",
        '''\
with components():
    unit = arena.mk_arb("unit", v.ArbSamePriPolicy.AckOne)
    d, q, n = reg("d", 8), reg("q", 8), reg("n", 4)
    n_up = arena.mk_expression("n_up", v.LogicOp.ArithPlus, n, 1)
with flow():
    with block(arena.mk_flow_block_seq("client")):
        with block(arena.mk_flow_block_zync("hand_a", unit)):
            arena.gen_basic_assign(d, 5)
        with block(arena.mk_flow_block_zync("hand_b", unit)):
            arena.gen_basic_assign(d, 7)
with flow():
    with block(arena.mk_flow_block_pip("server", unit)):
        with block(arena.mk_flow_block_seq("body")):
            arena.gen_basic_assign(q, d)
            arena.gen_basic_assign(n, n_up)
            arena.gen_basic_assign(n, n)
''',
        cycles=12,
        reading="The first item (5) is handed over at once; the second (7) waits while the "
        "body runs and is taken at its end. `q` shows each item once and `n` counts two passes."),
    Page(
        "karray", "mk_karray — an array of records",
        "A Karray is an array of records whose elements are registers (or wires); reads and "
        "writes select elements by static, dynamic, enable-list or reducing indexes. Here a "
        "four-entry register file: a dynamic write under a zero-cycle `zif`, a dynamic read.",
        '''\
with components():
    we, waddr, wdata, raddr = inp("we"), inp("waddr", 2), inp("wdata", 8), inp("raddr", 2)
    rf = arena.mk_karray("rf", [4], [("data", 8)], v.HwComponentType.REG)
    arena.karray_reset_field(rf, "data", 0)
    rdata = arena.karray_read_field_hcp(rf, [("dyn", [], [raddr])], None, "data")
    arena.mark_as_io(rdata, False, "rdata")
with flow():
    with block(arena.mk_flow_block_zif("write_port", we)):
        arena.karray_assign_hcps(rf, [("dyn", [], [waddr])], {"data": wdata}, True)
''',
        cycles=7,
        inputs={"we": [1, 1, 0, 1, 0, 0, 0], "waddr": [0, 2, 3, 3, 0, 0, 0],
                "wdata": [17, 42, 99, 7, 0, 0, 0], "raddr": [0, 0, 2, 3, 3, 2, 1]},
        reading="Each write lands at its clock edge; `rdata` shows the entry `raddr` names in "
        "the same cycle. Entry 3 was not written while `we` was low (99), and entry 1 never was."),
]
