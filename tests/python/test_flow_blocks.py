"""Flow blocks: factories, the open/close protocol, the pre-finalise check."""

import pytest

import _velmora as v

SEQ, PAR = int(v.FlowBlockType.Sequential), int(v.FlowBlockType.Parallel)


@pytest.fixture
def flow(arena):
    m = arena.mk_module("m")
    arena.track_module_at_flow_init(m)
    return m


def test_last_skeleton_type_is_parallel_with_no_block_open(arena):
    t = arena.get_last_skeleton_flow_block_type()
    assert type(t) is int
    assert t == PAR


def test_last_skeleton_type_follows_the_innermost_open_block(arena, flow):
    outer = arena.mk_flow_block_par_no_sync("outer")
    arena.initialize_flow_block(outer)
    assert arena.get_last_skeleton_flow_block_type() == PAR
    inner = arena.mk_flow_block_seq("inner")
    arena.initialize_flow_block(block_i=inner)
    assert arena.get_last_skeleton_flow_block_type() == SEQ
    arena.finalize_flow_block(inner)
    assert arena.get_last_skeleton_flow_block_type() == PAR


@pytest.mark.parametrize(
    "factory, message",
    [
        ("mk_flow_block_seq", "seq flow block has no element"),
        ("mk_flow_block_par_auto", "parallel flow block has no element"),
        ("mk_flow_block_par_no_sync", "parallel flow block has no element"),
    ],
)
def test_prefinalize_failure_is_a_value_error(arena, flow, factory, message):
    b = getattr(arena, factory)("b")
    arena.initialize_flow_block(b)
    with pytest.raises(ValueError) as e:
        arena.check_flow_block_prefinalize(b)
    assert str(e.value) == message


def test_block_with_a_sub_block_passes_prefinalize(arena, flow):
    outer = arena.mk_flow_block_seq("outer")
    arena.initialize_flow_block(outer)
    inner = arena.mk_flow_block_par_auto("inner")
    arena.initialize_flow_block(inner)
    arena.finalize_flow_block(inner)
    assert arena.check_flow_block_prefinalize(outer) is None
    arena.finalize_flow_block(outer)
    assert arena.finalize_flow_procedure() is None


def test_finalize_flow_procedure_with_two_open_blocks_is_refused(arena, flow):
    blocks = [arena.mk_flow_block_seq(name) for name in ("a", "b")]
    for b in blocks:
        arena.initialize_flow_block(b)
    with pytest.raises(ValueError) as e:
        arena.finalize_flow_procedure()
    assert str(e.value) == (
        "finalize_flow_procedure: flow block stack must have 0 or 1 element, got 2; finalize "
        f"the open blocks first, innermost (SEQUENTIAL_b_{blocks[1].global_id}) first"
    )
    assert arena.get_last_skeleton_flow_block_type() == SEQ


def test_finalize_flow_procedure_with_an_open_block_is_refused(arena, flow):
    a = arena.mk_flow_block_seq("a")
    arena.initialize_flow_block(a)
    with pytest.raises(ValueError) as e:
        arena.finalize_flow_procedure()
    assert str(e.value) == (
        "finalize_flow_procedure: leftover flow block must be lazy-closed, not still open; "
        f"finalize SEQUENTIAL_a_{a.global_id} first"
    )
    assert arena.get_last_skeleton_flow_block_type() == SEQ


def test_outermost_block_needs_flow_init_stage(arena):
    m = arena.mk_module("m")
    arena.track_module_at_com_init(m)
    b = arena.mk_flow_block_seq("b")
    arena.initialize_flow_block(b)
    with pytest.raises(ValueError) as e:
        arena.finalize_flow_block(b)
    assert str(e.value) == (
        "finalize_flow_block: expected FlowBlockInit stage on module trace stack, got CompInit; "
        f"SEQUENTIAL_b_{b.global_id} is an outermost flow block of MODULE_m_{m.global_id}, which "
        "is tracked for components: untrack it and track it with track_module_at_flow_init first"
    )
    # Still open: the block is finalized once the module is tracked for its flow.
    arena.gen_basic_assign(arena.mk_reg("r", 1), 1)
    arena.untrack_module_at_com_init(m)
    arena.track_module_at_flow_init(m)
    arena.finalize_flow_block(b)
    assert arena.finalize_flow_procedure() is None
