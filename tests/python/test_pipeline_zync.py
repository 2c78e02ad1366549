"""Pipeline and zync blocks from Python: factories and the leaves they take, generated names, the
All-mode warning, and the refusals of a caller's mistakes (exact texts, raised before anything
changes)."""

from __future__ import annotations

import re

import pytest

import _velmora as v
from design_kit import Design

P = v.ArbSamePriPolicy
C = v.ArbLockedChannel


class Flow:
    """A module at flow init with arbiters a and b, a one-bit c, an 8-bit bus and a register r."""

    def __init__(self, arena):
        self.arena = arena
        self.m = arena.mk_module("m")
        arena.track_module_at_com_init(self.m)
        self.a = arena.mk_arb("a", P.AckOne)
        self.b = arena.mk_arb("b", P.AckOne)
        self.c = arena.mk_wire("c", 1)
        self.bus = arena.mk_wire("bus", 8)
        self.r = arena.mk_reg("r", 4)
        arena.untrack_module_at_com_init(self.m)
        arena.track_module_at_flow_init(self.m)

    def open(self, block):
        self.arena.initialize_flow_block(block)
        return block

    def close(self, block):
        self.arena.check_flow_block_prefinalize(block)
        self.arena.finalize_flow_block(block)

    def seq_body(self, name="body"):
        s = self.open(self.arena.mk_flow_block_seq(name))
        self.arena.gen_basic_assign(self.r, 1)
        self.close(s)
        return s


@pytest.fixture
def f(arena):
    return Flow(arena)


def abs_arb(f, arb) -> str:
    return f"ARB_{'a' if arb == f.a else 'b'}_{arb.global_id}"


def refused(call, message, kind=ValueError):
    with pytest.raises(kind) as e:
        call()
    assert str(e.value) == message


def leaf_counts(f):
    return f.arena.arb_leaf_count(f.a), f.arena.arb_leaf_count(f.b)


# ---- factories ---------------------------------------------------------------------------------


def test_pipeline_takes_one_leaf_of_its_priority(f):
    p = f.arena.mk_flow_block_pip("p", f.a)
    assert isinstance(p, v.FlowBlockIdent)
    assert p.block_type == "PIPELINE"
    assert f.arena.arb_leaf_count(f.a) == 1
    req = f.arena.arb_get_leaf_req_wire(f.a, 0)
    assert req.hw_type == "WIRE"
    assert req.global_id < p.global_id  # the leaf is made before the block


def test_auto_req_pipeline_takes_a_req_locked_leaf(f):
    f.arena.mk_flow_block_pip("p", f.a, priority=3, auto_req=True, auto_restart=True)
    assert f.arena.arb_get_leaf_req_wire(f.a, 0).hw_type == "VAL"
    assert f.arena.arb_get_leaf_ack_wire(f.a, 0).hw_type == "WIRE"


@pytest.mark.parametrize("auto_ack, ack_kind", [(False, "WIRE"), (True, "VAL")])
def test_zync_takes_one_leaf_per_bind_in_order(f, auto_ack, ack_kind):
    z = f.arena.mk_flow_block_zync("z", f.a, auto_ack=auto_ack)
    assert z.block_type == "ZYNC"
    assert f.arena.arb_get_leaf_ack_wire(f.a, 0).hw_type == ack_kind
    m = f.arena.mk_flow_block_zync_multi(
        "zm", [(f.b, 4, False, f.c), (f.a, None, auto_ack, None)], False, priority=7)
    assert m.block_type == "ZYNC"
    assert leaf_counts(f) == (2, 1)
    assert f.arena.arb_get_leaf_ack_wire(f.a, 1).hw_type == ack_kind
    assert f.arena.arb_get_leaf_req_wire(f.b, 0).global_id < f.arena.arb_get_leaf_req_wire(
        f.a, 1).global_id


def test_leaf_priorities_default_to_ten(tmp_path):
    # Leaves of priority 10 (the default) and 9: the 9 is blocked by the pipeline's own leaf and
    # by the zync's, which shows in its grant logic ("arb_hi_inv").
    d = Design()
    ar = d.arena
    with d.components(d.top):
        arb = ar.mk_arb("a", P.AckOne)
    with d.flow(d.top):
        with d.block(ar.mk_flow_block_zync("z", arb)):
            d.assign(d.reg("r", 4), 1)
        with d.block(ar.mk_flow_block_pip("p", arb)), d.seq("s"):
            d.assign(d.reg("q", 4), 1)
        with d.block(ar.mk_flow_block_zync("low", arb, priority=9)):
            d.assign(d.reg("w", 4), 1)
    text = d.emit(tmp_path).top_file.read_text()
    assert len(re.findall(r"^wire\s+EXPR_arb_hi_inv_\d+;", text, re.M)) == 1
    assert len(re.findall(r"^wire\s+EXPR_arb_same_inv_\d+;", text, re.M)) == 1


# ---- generated names and the warning -----------------------------------------------------------


def test_blocks_name_their_hardware_after_their_ids(tmp_path, capfd):
    d = Design()
    ar = d.arena
    with d.components(d.top):
        a, b = ar.mk_arb("a", P.AckOne), ar.mk_arb("b", P.AckOne)
        c = d.input("c")
    with d.flow(d.top):
        with d.seq("items"):
            one = ar.mk_flow_block_zync("one", a)
            with d.block(one):
                d.assign(d.reg("r", 4), 1)
            anyz = ar.mk_flow_block_zync_multi("any", [(a, None, False, c), (b, None, True, None)],
                                               False)
            with d.block(anyz):
                d.assign(d.reg("s", 4), 1)
            allz = ar.mk_flow_block_zync_multi("all", [(a, None, False, None), (b, None, False, c)],
                                               True)
            with d.block(allz):
                d.assign(d.reg("t", 4), 1)
        pip = ar.mk_flow_block_pip("p", a)
        with d.block(pip), d.seq("body"):
            d.assign(d.reg("q", 4), 1)
    text = d.emit(tmp_path).top_file.read_text()
    assert capfd.readouterr().err == (
        "[velmora][warn] zync block 'all': All-mode grant is AND over (ack & cond); the target "
        "may activate when not all conditions are satisfied\n")
    declared = set(re.findall(r"^(?:reg|wire)\s+(?:\[\d+:\d+\]\s+)?(\w+)", text, re.M))

    def has(prefix):
        return any(re.fullmatch(rf"{prefix}_\d+", name) for name in declared)

    p = pip.global_id
    assert has(f"SR_ST_pip_wait4syn_{p}_ST")
    assert has(f"EXPR_pip_no_mreq_{p}")
    assert has(f"VAL_pip_zero_{p}")
    for z in (one, anyz, allz):
        assert has(f"SR_ST_zync_state_{z.global_id}_ST")
        assert has(f"EXPR_zync_no_grant_{z.global_id}")
        assert has(f"EXPR_zync_exit_{z.global_id}")
    # One bind without condition: the state requests and the acknowledge grants directly.
    assert not any(n.startswith((f"EXPR_zync_req_{one.global_id}_",
                                 f"EXPR_zync_grant_term_{one.global_id}_")) for n in declared)
    # Any-mode binds take turns: one ring state per bind; a grant term per bind.
    i = anyz.global_id
    assert has(f"SR_ST_zync_turn_{i}_0_ST") and has(f"SR_ST_zync_turn_{i}_1_ST")
    assert has(f"EXPR_zync_req_{i}_0") and not has(f"EXPR_zync_req_{i}_1")
    assert has(f"EXPR_zync_grant_term_{i}_0") and has(f"EXPR_zync_grant_term_{i}_1")
    # All-mode as specified: requests and grant terms only where a bind has a condition.
    k = allz.global_id
    assert not has(f"SR_ST_zync_turn_{k}_0_ST")
    assert has(f"EXPR_zync_req_{k}_1") and not has(f"EXPR_zync_req_{k}_0")
    assert has(f"EXPR_zync_grant_term_{k}_1") and not has(f"EXPR_zync_grant_term_{k}_0")


@pytest.mark.parametrize("binds, match_all", [(1, True), (2, False)],
                         ids=["all_mode_one_bind", "any_mode"])
def test_only_all_mode_over_several_binds_warns(tmp_path, capfd, binds, match_all):
    d = Design()
    ar = d.arena
    with d.components(d.top):
        arbs = [ar.mk_arb(f"a{k}", P.AckOne) for k in range(binds)]
    with d.flow(d.top):
        z = ar.mk_flow_block_zync_multi("z", [(a, None, False, None) for a in arbs], match_all)
        with d.block(z):
            d.assign(d.reg("r", 4), 1)
    d.emit(tmp_path)
    assert "[velmora][warn]" not in capfd.readouterr().err


# ---- structural refusals -----------------------------------------------------------------------


def test_pipeline_needs_exactly_one_body(f):
    p = f.open(f.arena.mk_flow_block_pip("p", f.a))
    refused(lambda: f.arena.check_flow_block_prefinalize(p),
            "pipeline block must have exactly one body sub-block")
    first = f.seq_body("first")
    second = f.arena.mk_flow_block_seq("second")
    refused(lambda: f.arena.initialize_flow_block(second),
            f"pip PIPELINE_p_{p.global_id} cannot take seq SEQUENTIAL_second_{second.global_id}: "
            f"pipeline block already has a body sub-block (seq SEQUENTIAL_first_{first.global_id}"
            "); put the steps of the body in one seq")
    f.close(p)


def test_pipeline_takes_no_assignment_and_no_zero_cycle_body(f):
    p = f.open(f.arena.mk_flow_block_pip("p", f.a))
    refused(lambda: f.arena.gen_basic_assign(f.r, 1),
            f"pip PIPELINE_p_{p.global_id} cannot take an assignment: pipeline block does not "
            "accept direct asm nodes; use a sub-block")
    z = f.arena.mk_flow_block_zif("z", f.c)
    refused(lambda: f.arena.initialize_flow_block(z),
            f"pip PIPELINE_p_{p.global_id} cannot take zif ZERO_COND_IF_z_{z.global_id}: a "
            "zero-cycle block cannot be the body of a pip, whose body takes cycles; put the zif "
            "inside a seq and make the seq the body")


def test_zync_takes_assignments_and_zero_cycle_blocks_only(f):
    z = f.open(f.arena.mk_flow_block_zync("z", f.a))
    refused(lambda: f.arena.check_flow_block_prefinalize(z),
            "zync block must hold at least one basic node or basic-flow sub-block")
    s = f.arena.mk_flow_block_seq("s")
    refused(lambda: f.arena.initialize_flow_block(s),
            f"zync ZYNC_z_{z.global_id} cannot take seq SEQUENTIAL_s_{s.global_id}: zync block "
            "accepts only basic-flow sub-blocks; use a direct asm node or a basic-flow block; a "
            "zync's assignments all take effect in its grant cycle, so only assignments, zif "
            "chains and zstates go inside it")
    zif = f.open(f.arena.mk_flow_block_zif("zif", f.c))
    f.arena.gen_basic_assign(f.r, 2)
    f.close(zif)
    f.close(z)


# ---- refusals of a caller's mistakes -----------------------------------------------------------


def test_second_pipeline_on_one_arbiter_is_refused(f):
    first = f.arena.mk_flow_block_pip("p", f.a)
    refused(lambda: f.arena.mk_flow_block_pip("q", f.a),
            f"argument 'arb_i': {abs_arb(f, f.a)} already feeds pipeline "
            f"PIPELINE_p_{first.global_id}; an arbiter feeds one pipeline (give the second "
            "pipeline an arbiter of its own)")
    assert leaf_counts(f) == (1, 0)


@pytest.mark.parametrize("setting", ["set", "lock"])
def test_pipeline_on_an_arbiter_with_a_master_ack_is_refused(f, setting):
    if setting == "set":
        f.arena.arb_set_master_ack(f.a, f.c)
    else:
        f.arena.arb_lock_master_ack(f.a)
    refused(lambda: f.arena.mk_flow_block_pip("p", f.a),
            f"argument 'arb_i': the master ack of {abs_arb(f, f.a)} is already set or locked; a "
            "pipeline drives its arbiter's master ack itself, so leave it unset on an arbiter "
            "that feeds a pipeline")
    assert leaf_counts(f) == (0, 0)


@pytest.mark.parametrize("setting", ["arb_set_master_ack", "arb_lock_master_ack"])
def test_master_ack_of_an_arbiter_that_feeds_a_pipeline_is_refused(f, setting):
    p = f.arena.mk_flow_block_pip("p", f.a)
    args = (f.c,) if setting == "arb_set_master_ack" else ()
    refused(lambda: getattr(f.arena, setting)(f.a, *args),
            f"argument 'arb_i': the master ack of {abs_arb(f, f.a)} is driven by pipeline "
            f"PIPELINE_p_{p.global_id}, which lets the arbiter grant only when it can take an "
            "item; an arbiter that feeds a pipeline takes no master ack of its own")


def test_zync_binds_on_one_arbiter_twice_are_refused(f):
    binds = [(f.a, None, False, None), (f.b, None, False, None), (f.a, 3, True, None)]
    refused(lambda: f.arena.mk_flow_block_zync_multi("z", binds, False),
            f"argument 'binds': bind 2 contends on {abs_arb(f, f.a)} again (bind 0 already does); "
            "a zync takes one leaf on each of its arbiters")
    assert leaf_counts(f) == (0, 0)


def test_zync_bind_condition_must_be_one_bit(f):
    binds = [(f.a, None, False, f.c), (f.b, None, False, f.bus)]
    refused(lambda: f.arena.mk_flow_block_zync_multi("z", binds, True),
            f"argument 'binds' (the condition of bind 1, on {abs_arb(f, f.b)}): cond must be "
            "1-bit, got 8 (slice the cond variable down to one bit)")
    assert leaf_counts(f) == (0, 0)


def test_empty_bind_list_is_refused(f):
    refused(lambda: f.arena.mk_flow_block_zync_multi("z", [], True),
            "zync requires at least one arb bind")


@pytest.mark.parametrize(
    "binds, message",
    [
        ("ab", "argument 'binds': expected a sequence of (CcpIdent, int or None, bool, HcpIdent "
               "or None) tuples, got str"),
        ([("a", None, False, None)], "argument 'binds': item 0: expected a (CcpIdent, int or "
                                     "None, bool, HcpIdent or None) tuple, got (str, NoneType, "
                                     "bool, NoneType)"),
        ([None], "argument 'binds': item 0: expected a (CcpIdent, int or None, bool, HcpIdent or "
                 "None) tuple, got NoneType"),
        ("wire", "argument 'binds': item 0: expected a (CcpIdent, int or None, bool, HcpIdent or "
                 "None) tuple, got (HcpIdent, NoneType, bool, NoneType)"),
        ("flag", "argument 'binds': item 0: expected a (CcpIdent, int or None, bool, HcpIdent or "
                 "None) tuple, got (CcpIdent, NoneType, int, NoneType)"),
        ("cond", "argument 'binds': item 0: expected a (CcpIdent, int or None, bool, HcpIdent or "
                 "None) tuple, got (CcpIdent, NoneType, bool, CcpIdent)"),
    ],
    ids=["not_a_sequence", "not_an_arbiter", "not_a_tuple", "wire_for_arbiter", "int_flag",
         "arbiter_for_cond"],
)
def test_zync_binds_of_the_wrong_shape_are_refused(f, binds, message):
    shapes = {
        "wire": [(f.c, None, False, None)],
        "flag": [(f.a, None, 1, None)],
        "cond": [(f.a, None, False, f.b)],
    }
    given = shapes.get(binds, binds) if isinstance(binds, str) else binds
    refused(lambda: f.arena.mk_flow_block_zync_multi("z", given, False), message, TypeError)


@pytest.mark.parametrize("method", ["mk_flow_block_pip", "mk_flow_block_zync"])
def test_arbiter_argument_must_be_a_ccp_ident(f, method):
    refused(lambda: getattr(f.arena, method)("x", f.c),
            "argument 'arb_i': expected CcpIdent, got HcpIdent", TypeError)


FOREIGN = ("is not a complex component of this arena (an identity from another ModelArena, or "
           "one kept after BackendVerilog took the model)")


@pytest.mark.parametrize(
    "call, prefix",
    [
        (lambda ar, x: ar.mk_flow_block_pip("p", x), "argument 'arb_i': "),
        (lambda ar, x: ar.mk_flow_block_zync("z", x), "argument 'arb_i': "),
        (lambda ar, x: ar.mk_flow_block_zync_multi("z", [(x, None, False, None)], False),
         "argument 'binds': bind 0: "),
    ],
    ids=["pip", "zync", "zync_multi"],
)
def test_arbiter_of_another_arena_is_refused(f, call, prefix):
    other = v.ModelArena()
    other.track_module_at_com_init(other.mk_module("m"))
    foreign = other.mk_arb("f", P.AckOne)
    refused(lambda: call(f.arena, foreign), f"{prefix}ARB_f_{foreign.global_id} {FOREIGN}")
    assert other.arb_leaf_count(foreign) == 0


@pytest.mark.parametrize("method, args", [
    ("mk_flow_block_pip", ()),
    ("mk_flow_block_zync", ()),
    ("mk_flow_block_zync_multi", None),
])
def test_shared_unit_blocks_are_refused_after_build_flow(arena, top, method, args):
    arb = arena.mk_arb("a", P.AckOne)
    arena.untrack_module_at_com_init(top)
    arena.set_top_module(top)
    arena.build_flow()
    call_args = ("x", arb) if args is not None else ("x", [(arb, None, False, None)], False)
    refused(lambda: getattr(arena, method)(*call_args),
            f"{method}: build_flow has already built the design's control; nothing can be added "
            "to the model after it")
    assert arena.arb_leaf_count(arb) == 0


def test_bind_condition_of_another_arena_is_refused(f):
    other = v.ModelArena()
    other.track_module_at_com_init(other.mk_module("m"))
    cond = other.mk_wire("oc", 1)
    refused(lambda: f.arena.mk_flow_block_zync_multi("z", [(f.a, None, False, cond)], False),
            f"argument 'binds': bind 0: WIRE_oc_{cond.global_id} is not a component of this "
            "arena (an identity from another ModelArena, or one kept after BackendVerilog took "
            "the model)")
    assert leaf_counts(f) == (0, 0)
