"""Dynamic counters from Python: creation, the chain of sums and step wires with their names, the
commit, the getters, and the refusals of a caller's mistakes (raised before anything changes)."""

import re

import pytest

import _velmora as v


@pytest.fixture
def cnt(arena, top):
    return arena.mk_dyn_counter("c", 8)


def next_id(arena) -> int:
    """The global id the next object takes (made with a throwaway wire)."""
    return arena.mk_wire("probe", 1).global_id + 1


def name(arena, hcp) -> str:
    return arena.hcp_verilog_name(hcp)


def test_mk_dyn_counter_makes_its_register_first(arena, top):
    cnt = arena.mk_dyn_counter("c", 8)
    assert isinstance(cnt, v.CcpIdent)
    assert cnt.ccp_type == "DCNT"
    assert repr(cnt) == f"CcpIdent(global_id={cnt.global_id}, ccp_type=DCNT)"
    reg = arena.dyn_counter_get_reg(cnt)
    assert (reg.hw_type, arena.get_hw_bit_sz(reg)) == ("REG", 8)
    assert name(arena, reg) == f"REG_c_CNT_{reg.global_id}"
    assert reg.global_id == cnt.global_id - 1
    assert arena.dyn_counter_get_now(cnt).global_id == reg.global_id


def test_adds_are_numbered_and_an_enabled_add_makes_a_step_wire(arena, cnt):
    en = arena.mk_wire("en", 1)
    one, two, four = (arena.mk_val(n, 8, x) for n, x in (("one", 1), ("two", 2), ("four", 4)))
    s0 = arena.dyn_counter_add(cnt, one)
    s1 = arena.dyn_counter_add(cnt, two, enable_i=en)
    s2 = arena.dyn_counter_add(cnt, four)
    assert name(arena, s0) == f"EXPR_c_ADD0_{s0.global_id}"
    assert name(arena, s1) == f"WIRE_c_ST1_{s1.global_id}"
    # The enabled add makes its sum "c_ADD1" first, then the step wire.
    assert s1.global_id == s0.global_id + 2
    assert name(arena, s2) == f"EXPR_c_ADD2_{s2.global_id}"
    assert [arena.get_hw_bit_sz(s) for s in (s0, s1, s2)] == [8, 8, 8]
    assert arena.dyn_counter_get_now(cnt).global_id == s2.global_id


def test_update_commits_and_the_numbering_goes_on(arena, cnt, top):
    one = arena.mk_val("one", 8, 1)
    for _ in range(3):
        arena.dyn_counter_add(cnt, one)
    arena.untrack_module_at_com_init(top)
    arena.track_module_at_flow_init(top)
    seq = arena.mk_flow_block_seq("s")
    arena.initialize_flow_block(seq)
    arena.dyn_counter_update(cnt)
    reg = arena.dyn_counter_get_reg(cnt)
    assert arena.dyn_counter_get_now(cnt).global_id == reg.global_id
    s3 = arena.dyn_counter_add(cnt, one)
    assert name(arena, s3) == f"EXPR_c_ADD3_{s3.global_id}"
    arena.dyn_counter_update(cnt)
    with pytest.raises(ValueError, match="^DynCounter update: nothing to commit — call add\\(\\) "
                                         "first$"):
        arena.dyn_counter_update(cnt)


def test_sliced_addend_and_enable_become_slice_expressions(arena, cnt):
    bus = arena.mk_wire("bus", 16)
    first = next_id(arena)
    arena.dyn_counter_add(cnt, bus, v.Slice(8, 16), bus, v.Slice(3, 4))
    # Addend slice, enable slice, the sum, the step wire and the three events of its selection.
    assert next_id(arena) == first + 4 + 3 + 1


# ---- refusals ----------------------------------------------------------------------------------

def test_width_below_one_is_refused(arena, top):
    with pytest.raises(ValueError, match="^counter width must be >= 1, got 0$"):
        arena.mk_dyn_counter("c", 0)


@pytest.mark.parametrize(
    "enable_width, enable_slice, message",
    [
        (4, None, "cond must be 1-bit, got 4 (slice the cond variable down to one bit)"),
        (4, v.Slice(0, 2), "cond must be 1-bit, got 2 (slice the cond variable down to one bit)"),
        (4, v.Slice(3, 5),
         "cond slice Slice { start: 3, stop: 5 } does not fit cond variable of width 4"),
    ],
    ids=["wide_enable", "wide_slice", "slice_outside"],
)
def test_enable_is_checked_as_a_condition(arena, cnt, enable_width, enable_slice, message):
    en = arena.mk_wire("en", enable_width)
    one = arena.mk_val("one", 8, 1)
    first = next_id(arena)
    with pytest.raises(ValueError, match=f"^{re.escape(message)}$"):
        arena.dyn_counter_add(cnt, one, None, en, enable_slice)
    assert next_id(arena) == first + 1  # only the probe


@pytest.mark.parametrize("bad", [v.Slice(4, 12), v.Slice(-1, 3), v.Slice(5, 5)],
                         ids=["past_the_end", "negative_start", "empty"])
def test_addend_slice_outside_the_addend_is_refused(arena, cnt, bad):
    addend = arena.mk_wire("addend", 8)
    first = next_id(arena)
    with pytest.raises(ValueError) as err:
        arena.dyn_counter_add(cnt, addend, bad)
    assert str(err.value) == (
        f"argument 'addend_slice': Slice {{ start: {bad.start}, stop: {bad.stop} }} does not lie "
        f"within WIRE_addend_{addend.global_id} (8 bits): a slice needs 0 <= start < stop <= 8")
    assert next_id(arena) == first + 1


@pytest.mark.parametrize("method", ["dyn_counter_add", "dyn_counter_update",
                                    "dyn_counter_get_reg", "dyn_counter_get_now"])
def test_an_arbiter_is_not_a_counter(arena, top, method):
    arb = arena.mk_arb("a", v.ArbSamePriPolicy.AckOne)
    args = (arb, arena.mk_wire("x", 8)) if method == "dyn_counter_add" else (arb,)
    with pytest.raises(TypeError, match="argument 'cnt_i': expected a complex component of kind "
                                        "DCNT"):
        getattr(arena, method)(*args)


def test_addend_must_be_a_signal(arena, cnt):
    with pytest.raises(TypeError, match="argument 'addend_i'"):
        arena.dyn_counter_add(cnt, 3)
