"""The module tree, the module trace stack and the top module."""

import pytest

import _velmora as v


def test_nested_modules_take_the_depth_of_the_trace_stack(arena):
    root = arena.mk_module("root")
    assert root.depth_level == 0
    arena.track_module_at_com_init(root)
    child = arena.mk_module("child")
    assert child.depth_level == 1
    arena.track_module_at_com_init(child)
    grandchild = arena.mk_module("grandchild")
    assert grandchild.depth_level == 2
    arena.untrack_module_at_com_init(child)
    sibling = arena.mk_module("sibling")
    assert sibling.depth_level == 1
    arena.untrack_module_at_com_init(root)
    assert arena.mk_module("other_root").depth_level == 0


def test_the_stage_of_the_top_entry_does_not_change_depth(arena):
    root = arena.mk_module("root")
    arena.track_module_at_flow_init(root)
    assert arena.mk_module("child").depth_level == 1
    arena.untrack_module_at_flow_init(root)


def test_creating_a_component_with_no_module_tracked_panics(arena):
    with pytest.raises(v.PanicException) as e:
        arena.mk_reg("r", 8)
    assert str(e.value) == "module trace stack is empty"


@pytest.mark.parametrize("untrack", ["untrack_module_at_com_init", "untrack_module_at_flow_init"])
def test_untrack_with_an_empty_stack_panics(arena, untrack):
    m = arena.mk_module("m")
    with pytest.raises(v.PanicException, match="^module trace stack is empty$"):
        getattr(arena, untrack)(m)


def test_untracking_the_wrong_module_panics_and_pops_the_top_entry(arena):
    a = arena.mk_module("a")
    b = arena.mk_module("b")
    arena.track_module_at_com_init(a)
    arena.track_module_at_com_init(b)
    with pytest.raises(v.PanicException) as e:
        arena.untrack_module_at_com_init(a)
    assert str(e.value).startswith("finalize_module: ident mismatch — wrong module finalized")
    # b was popped by the failed call; a is now on top.
    arena.untrack_module_at_com_init(a)
    with pytest.raises(v.PanicException, match="^module trace stack is empty$"):
        arena.untrack_module_at_com_init(a)


def test_components_attach_to_the_module_on_top(arena):
    m = arena.mk_module("m")
    arena.track_module_at_com_init(m)
    r = arena.mk_reg("r", 3)
    arena.untrack_module_at_com_init(m)
    assert arena.get_hw_bit_sz(r) == 3
    with pytest.raises(v.PanicException, match="^module trace stack is empty$"):
        arena.mk_wire("late", 1)


def test_second_set_top_module_panics_even_with_the_same_module(arena):
    m = arena.mk_module("m")
    arena.set_top_module(m)
    with pytest.raises(v.PanicException) as e:
        arena.set_top_module(m)
    assert str(e.value) == "top_module is already set"


def test_set_top_module_with_a_foreign_module_panics(arena):
    foreign = v.ModelArena().mk_module("foreign")
    with pytest.raises(v.PanicException, match="ArenaHandle"):
        arena.set_top_module(foreign)


def test_build_flow_without_top_module_panics(arena):
    with pytest.raises(v.PanicException) as e:
        arena.build_flow()
    assert str(e.value) == "build_flow: no top module set"


def test_module_name_too_long_panics_with_the_given_name(arena):
    name = "m" * 257
    with pytest.raises(v.PanicException) as e:
        arena.mk_module(name)
    assert str(e.value) == f'name exceeds MAX_NAME_LEN (256): "{name}"'


def test_absolute_name_too_long_panics_with_the_absolute_name(arena, top):
    name = "r" * 250  # "REG_" + name + "_" + id exceeds 256 bytes
    probe = arena.mk_wire("probe", 1)
    with pytest.raises(v.PanicException) as e:
        arena.mk_reg(name, 1)
    assert str(e.value) == f'name exceeds MAX_NAME_LEN (256): "REG_{name}_{probe.global_id + 1}"'
