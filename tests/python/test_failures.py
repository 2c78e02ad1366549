"""How failures reach Python, the thread check, and what is left usable afterwards."""

import threading

import pytest

import _velmora as v


def run_in_thread(fn):
    """Runs fn on a new thread; returns ("ok", result) or ("error", exception)."""
    box = {}

    def target():
        try:
            box["out"] = ("ok", fn())
        except BaseException as e:  # noqa: BLE001 - PanicException must be seen too
            box["out"] = ("error", e)

    t = threading.Thread(target=target)
    t.start()
    t.join()
    return box["out"]


def test_panic_exception_is_not_caught_by_except_exception(arena):
    # A call from a thread that does not own the arena is the one internal error a caller can
    # still cause.
    def call():
        seen = None
        try:
            try:
                arena.build_flow()
            except Exception:
                seen = "Exception"
        except v.PanicException as e:
            seen = str(e)
        return seen

    assert run_in_thread(call) == ("ok", "ModelArena is unsendable, but sent to another thread")


@pytest.mark.parametrize(
    "fail, exc",
    [
        (lambda a, m: (a.set_top_module(m), a.set_top_module(m)), ValueError),
        (lambda a, m: a.mk_mem_blk("mb", 0, 1), ValueError),
        (lambda a, m: a.set_reg_reset(a.mk_reg("r", 1), m), TypeError),
        (lambda a, m: a.mk_expression("e", v.LogicOp.Dummy, 1, 1), ValueError),
        (lambda a, m: a.mk_reg("r", 2**33), OverflowError),
        (lambda a, m: a.mk_expression("e", 99, 1, 1), ValueError),
    ],
)
def test_arena_stays_usable_after_a_failure(arena, fail, exc):
    m = arena.mk_module("m")
    arena.track_module_at_com_init(m)
    with pytest.raises(exc):
        fail(arena, m)
    r = arena.mk_reg("after", 5)
    assert arena.get_hw_bit_sz(r) == 5
    assert arena.get_asm_pri_val() == 10


@pytest.mark.parametrize(
    "call",
    [
        lambda a: a.mk_module("m"),
        lambda a: a.get_asm_pri_val(),
        lambda a: a.get_last_skeleton_flow_block_type(),
        lambda a: a.build_flow(),
    ],
)
def test_arena_used_from_another_thread_panics(arena, call):
    kind, out = run_in_thread(lambda: call(arena))
    assert kind == "error"
    assert type(out) is v.PanicException
    assert str(out) == "ModelArena is unsendable, but sent to another thread"
    # The owning thread keeps using it.
    assert arena.mk_module("still_mine").depth_level == 0


def test_argument_conversion_comes_before_the_thread_check(arena):
    kind, out = run_in_thread(lambda: arena.mk_reg("r", "wide"))
    assert kind == "error"
    assert type(out) is TypeError


def test_arena_created_on_a_thread_works_there():
    def work():
        a = v.ModelArena()
        m = a.mk_module("m")
        a.track_module_at_com_init(m)
        return a.get_hw_bit_sz(a.mk_wire("w", 7))

    assert run_in_thread(work) == ("ok", 7)


def test_backend_construction_from_another_thread_panics(arena):
    kind, out = run_in_thread(lambda: v.BackendVerilog(arena))
    assert kind == "error"
    assert str(out) == "ModelArena is unsendable, but sent to another thread"


def test_backend_used_from_another_thread_panics(arena, tmp_path):
    backend = v.BackendVerilog(arena=arena)
    kind, out = run_in_thread(lambda: backend.emit(str(tmp_path), "top"))
    assert kind == "error"
    assert type(out) is v.PanicException
    assert str(out) == "BackendVerilog is unsendable, but sent to another thread"


def test_backend_takes_the_model_and_leaves_an_empty_arena(arena):
    m = arena.mk_module("m")
    arena.track_module_at_com_init(m)
    r = arena.mk_reg("r", 4)
    arena.set_top_module(m)
    v.BackendVerilog(arena)
    with pytest.raises(ValueError, match="^build_flow: no top module set; call set_top_module "
                                         "first$"):
        arena.build_flow()
    with pytest.raises(ValueError) as e:
        arena.get_hw_bit_sz(r)
    assert str(e.value) == (
        f"argument 'hcp_i': REG_r_{r.global_id} is not a component of this arena "
        "(an identity from another ModelArena, or one kept after BackendVerilog took the model)"
    )
    with pytest.raises(ValueError, match="^module trace stack is empty; mk_reg makes a component"):
        arena.mk_reg("r2", 4)
    # The empty arena is a full arena again.
    fresh = arena.mk_module("fresh")
    arena.set_top_module(fresh)


def test_priority_mode_is_per_thread(arena):
    arena.set_asm_pri_to_manual(70)
    try:
        assert (arena.get_asm_pri_mode(), arena.get_asm_pri_val()) == ("Manual", 70)

        def other():
            a = v.ModelArena()
            return a.get_asm_pri_mode(), a.get_asm_pri_val()

        assert run_in_thread(other) == ("ok", ("Auto", 10))
    finally:
        arena.set_asm_pri_to_auto()
    assert (arena.get_asm_pri_mode(), arena.get_asm_pri_val()) == ("Auto", 10)


def test_manual_priority_takes_keyword_and_range(arena):
    try:
        arena.set_asm_pri_to_manual(priority=-5)
        assert arena.get_asm_pri_val() == -5
        arena.set_asm_pri_to_manual(2**31 - 1)
        assert arena.get_asm_pri_val() == 2**31 - 1
        with pytest.raises(OverflowError):
            arena.set_asm_pri_to_manual(2**31)
        assert arena.get_asm_pri_val() == 2**31 - 1
    finally:
        arena.set_asm_pri_to_auto()
