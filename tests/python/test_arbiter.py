"""Arbiters from Python: creation, leaves, the one-time settings, queries, and the refusals of a
caller's mistakes (each raised before anything changes, naming the arbiter)."""

import pytest

import _velmora as v

P = v.ArbSamePriPolicy
C = v.ArbLockedChannel


@pytest.fixture
def arb(arena, top):
    return arena.mk_arb("a", P.AckOne)


def abs_name(arb) -> str:
    return f"ARB_a_{arb.global_id}"


def next_id(arena) -> int:
    """The global id the next object takes (made with a throwaway wire)."""
    return arena.mk_wire("probe", 1).global_id + 1


def test_mk_arb_returns_an_arbiter_identity(arena, top):
    arb = arena.mk_arb("a", P.NotAck)
    assert isinstance(arb, v.CcpIdent)
    assert arb.ccp_type == "ARB"
    assert repr(arb) == f"CcpIdent(global_id={arb.global_id}, ccp_type=ARB)"
    mreq = arena.arb_get_master_req_wire(arb)
    assert arena.hcp_verilog_name(mreq) == f"WIRE_a_MREQ_{mreq.global_id}"
    assert mreq.global_id == arb.global_id - 1  # the wire is made first
    assert arena.arb_leaf_count(arb) == 0


@pytest.mark.parametrize("policy", [P.AckOne, P.AckAll, P.NotAck, 0, 1, 2])
def test_policy_is_a_member_or_its_int(arena, top, policy):
    assert arena.mk_arb("a", policy).ccp_type == "ARB"


@pytest.mark.parametrize(
    "make, value, message",
    [
        (lambda ar, arb, x: ar.mk_arb("b", x), 3, "ArbSamePriPolicy index out of range: 3"),
        (lambda ar, arb, x: ar.arb_add_leaf_locked(arb, 1, x), 2,
         "ArbLockedChannel index out of range: 2"),
    ],
    ids=["policy", "channel"],
)
def test_enumeration_values_out_of_range_are_refused(arena, arb, make, value, message):
    with pytest.raises(ValueError, match=f"^{message}$"):
        make(arena, arb, value)


def test_leaves_take_consecutive_indexes_and_named_signals(arena, arb):
    assert arena.arb_add_leaf(arb, 5) == 0
    assert arena.arb_add_leaf_locked(arb, 1, C.Req) == 1
    assert arena.arb_add_leaf_locked(arb, 5, C.Ack) == 2
    assert arena.arb_leaf_count(arb) == 3
    kinds = [("WIRE", "WIRE"), ("VAL", "WIRE"), ("WIRE", "VAL")]
    for i, (req_kind, ack_kind) in enumerate(kinds):
        req = arena.arb_get_leaf_req_wire(arb, i)
        ack = arena.arb_get_leaf_ack_wire(arb, i)
        assert (req.hw_type, ack.hw_type) == (req_kind, ack_kind)
        assert arena.hcp_verilog_name(req) == f"{req_kind}_a_REQ{i}_{req.global_id}"
        assert arena.hcp_verilog_name(ack) == f"{ack_kind}_a_ACK{i}_{ack.global_id}"
        assert ack.global_id == req.global_id + 1
        assert arena.get_hw_bit_sz(req) == arena.get_hw_bit_sz(ack) == 1


@pytest.mark.parametrize("method", ["arb_set_hold", "arb_set_reset", "arb_set_master_ack"])
def test_sliced_signal_becomes_a_slice_expression(arena, arb, method):
    bus = arena.mk_wire("bus", 8)
    first = next_id(arena)
    getattr(arena, method)(arb, bus, v.Slice(3, 4))
    # One slice expression was made, nothing else.
    assert next_id(arena) == first + 2


# ---- refusals ----------------------------------------------------------------------------------

def set_twice(first, second):
    """A pair of settings on one arbiter: the second is refused."""
    def run(ar, arb):
        bit = ar.mk_wire("bit", 1)
        calls = {
            "hold": lambda: ar.arb_set_hold(arb, bit),
            "reset": lambda: ar.arb_set_reset(arb, bit),
            "mack": lambda: ar.arb_set_master_ack(arb, bit),
            "lock": lambda: ar.arb_lock_master_ack(arb),
        }
        calls[first]()
        return calls[second]
    return run


ONE_MACK = "; an arbiter takes one master ack, set or locked once"


@pytest.mark.parametrize(
    "setup, message",
    [
        (set_twice("hold", "hold"),
         "argument 'arb_i': Arb::set_user_hold: user hold already set on {arb}; "
         "an arbiter takes one user hold"),
        (set_twice("reset", "reset"),
         "argument 'arb_i': Arb::set_user_reset: user reset already set on {arb}; "
         "an arbiter takes one user reset"),
        (set_twice("mack", "mack"),
         "argument 'arb_i': Arb::set_master_ack_src: master ack already set on {arb}" + ONE_MACK),
        (set_twice("lock", "mack"),
         "argument 'arb_i': Arb::set_master_ack_src: master ack already set on {arb}" + ONE_MACK),
        (set_twice("mack", "lock"),
         "argument 'arb_i': Arb::set_master_ack_locked: master ack already set on {arb}"
         + ONE_MACK),
        (set_twice("lock", "lock"),
         "argument 'arb_i': Arb::set_master_ack_locked: master ack already set on {arb}"
         + ONE_MACK),
    ],
    ids=["hold", "reset", "master_ack", "master_ack_after_lock", "lock_after_master_ack",
         "lock_twice"],
)
def test_one_time_settings_refuse_a_second_setting(arena, arb, setup, message):
    second = setup(arena, arb)
    first = next_id(arena)
    with pytest.raises(ValueError) as e:
        second()
    assert str(e.value) == message.format(arb=abs_name(arb))
    assert next_id(arena) == first + 1  # nothing was made


@pytest.mark.parametrize(
    "method, arg, role",
    [
        ("arb_set_hold", "cond_i", "the user hold"),
        ("arb_set_reset", "cond_i", "the user reset"),
        ("arb_set_master_ack", "src_i", "the master ack"),
    ],
)
@pytest.mark.parametrize(
    "sig_slice, problem",
    [
        (None, "cond must be 1-bit, got 8 (slice the cond variable down to one bit)"),
        (v.Slice(2, 4), "cond must be 1-bit, got 2 (slice the cond variable down to one bit)"),
        (v.Slice(8, 9),
         "cond slice Slice { start: 8, stop: 9 } does not fit cond variable of width 8"),
    ],
    ids=["whole", "two_bits", "outside"],
)
def test_signals_wider_than_one_bit_are_refused(arena, arb, method, arg, role, sig_slice,
                                                problem):
    bus = arena.mk_wire("bus", 8)
    first = next_id(arena)
    with pytest.raises(ValueError) as e:
        getattr(arena, method)(arb, bus, sig_slice)
    assert str(e.value) == f"argument '{arg}' ({role} of {abs_name(arb)}): {problem}"
    assert next_id(arena) == first + 1
    getattr(arena, method)(arb, bus, v.Slice(0, 1))  # still free to be set


@pytest.mark.parametrize("getter", ["arb_get_leaf_req_wire", "arb_get_leaf_ack_wire"])
@pytest.mark.parametrize(
    "leaves, index, tail",
    [
        (0, 0, "which has no leaves yet"),
        (2, 2, "which has 2 leaves (0 to 1)"),
        (2, 2**64 - 1, "which has 2 leaves (0 to 1)"),
    ],
)
def test_leaf_index_out_of_range_is_refused(arena, arb, getter, leaves, index, tail):
    for _ in range(leaves):
        arena.arb_add_leaf(arb, 1)
    with pytest.raises(ValueError) as e:
        getattr(arena, getter)(arb, index)
    assert str(e.value) == (
        f"argument 'idx': leaf index {index} is out of range for {abs_name(arb)}, {tail}")


ARB_METHODS = [
    ("arb_add_leaf", lambda ar, a, w: ar.arb_add_leaf(a, 1)),
    ("arb_add_leaf_locked", lambda ar, a, w: ar.arb_add_leaf_locked(a, 1, C.Req)),
    ("arb_lock_master_ack", lambda ar, a, w: ar.arb_lock_master_ack(a)),
    ("arb_set_master_ack", lambda ar, a, w: ar.arb_set_master_ack(a, w)),
    ("arb_set_hold", lambda ar, a, w: ar.arb_set_hold(a, w)),
    ("arb_set_reset", lambda ar, a, w: ar.arb_set_reset(a, w)),
    ("arb_leaf_count", lambda ar, a, w: ar.arb_leaf_count(a)),
    ("arb_get_master_req_wire", lambda ar, a, w: ar.arb_get_master_req_wire(a)),
    ("arb_get_leaf_req_wire", lambda ar, a, w: ar.arb_get_leaf_req_wire(a, 0)),
    ("arb_get_leaf_ack_wire", lambda ar, a, w: ar.arb_get_leaf_ack_wire(a, 0)),
]


@pytest.mark.parametrize("name, call", ARB_METHODS, ids=[n for n, _ in ARB_METHODS])
def test_arbiter_argument_must_be_a_ccp_ident(arena, top, name, call):
    wire = arena.mk_wire("w", 1)
    with pytest.raises(TypeError, match="^argument 'arb_i': expected CcpIdent, got HcpIdent$"):
        call(arena, wire, wire)


@pytest.mark.parametrize("name, call", ARB_METHODS, ids=[n for n, _ in ARB_METHODS])
def test_arbiter_of_another_arena_is_refused(arena, top, name, call):
    other = v.ModelArena()
    other.track_module_at_com_init(other.mk_module("m"))
    foreign = other.mk_arb("f", P.AckOne)
    other.arb_add_leaf(foreign, 1)
    with pytest.raises(ValueError) as e:
        call(arena, foreign, arena.mk_wire("w", 1))
    assert str(e.value) == (
        f"argument 'arb_i': ARB_f_{foreign.global_id} is not a complex component of this arena "
        "(an identity from another ModelArena, or one kept after BackendVerilog took the model)")


CHANGES = [(n, c) for n, c in ARB_METHODS if not n.startswith(("arb_get", "arb_leaf_count"))]


@pytest.mark.parametrize("name, call", CHANGES, ids=[n for n, _ in CHANGES])
def test_arbiters_do_not_change_after_build_flow(arena, top, name, call):
    arb = arena.mk_arb("a", P.AckOne)
    arena.arb_add_leaf(arb, 1)
    wire = arena.mk_wire("w", 1)
    arena.untrack_module_at_com_init(top)
    arena.set_top_module(top)
    arena.build_flow()
    with pytest.raises(ValueError, match=(
            f"^{name}: build_flow has already built the design's control; nothing can be added "
            "to the model after it$")):
        call(arena, arb, wire)
    assert arena.arb_leaf_count(arb) == 1


def test_mk_arb_after_build_flow_is_refused(arena, top):
    arena.untrack_module_at_com_init(top)
    arena.set_top_module(top)
    arena.build_flow()
    with pytest.raises(ValueError, match="^mk_arb: build_flow has already built"):
        arena.mk_arb("a", P.AckOne)


def test_mk_arb_with_no_module_tracked_is_refused(arena):
    with pytest.raises(ValueError, match=(
            "^module trace stack is empty; mk_arb makes a component, which belongs to the module "
            "on top of the module trace stack: track a module with track_module_at_com_init "
            "first$")):
        arena.mk_arb("a", P.AckOne)


@pytest.mark.parametrize("name, call", [
    ("arb_add_leaf", lambda arena, arb, w: arena.arb_add_leaf(arb, 1)),
    ("arb_add_leaf_locked", lambda arena, arb, w: arena.arb_add_leaf_locked(arb, 1, C.Req)),
    ("arb_lock_master_ack", lambda arena, arb, w: arena.arb_lock_master_ack(arb)),
    ("arb_set_hold", lambda arena, arb, w: arena.arb_set_hold(arb, w, v.Slice(0, 1))),
])
def test_changes_that_make_signals_need_a_tracked_module(arena, top, name, call):
    arb = arena.mk_arb("a", P.AckOne)
    wide = arena.mk_wire("w", 2)
    bit = arena.mk_wire("r", 1)
    arena.untrack_module_at_com_init(top)
    with pytest.raises(ValueError, match=(
            f"^module trace stack is empty; {name} makes a component, which belongs to the "
            "module on top of the module trace stack")):
        call(arena, arb, wide)
    assert arena.arb_leaf_count(arb) == 0
    # A whole one-bit condition makes nothing, so it needs no module.
    arena.arb_set_reset(arb, bit)


def test_leaves_may_be_added_from_another_module(arena, top):
    arb = arena.mk_arb("a", P.AckOne)
    sub = arena.mk_module("sub")
    arena.track_module_at_com_init(sub)
    assert arena.arb_add_leaf(arb, 1) == 0
    arena.untrack_module_at_com_init(sub)
    assert arena.arb_leaf_count(arb) == 1
