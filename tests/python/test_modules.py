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


def test_creating_a_component_with_no_module_tracked_is_refused(arena):
    with pytest.raises(ValueError) as e:
        arena.mk_reg("r", 8)
    assert str(e.value) == (
        "module trace stack is empty; mk_reg makes a component, which belongs to the module on "
        "top of the module trace stack: track a module with track_module_at_com_init first"
    )


@pytest.mark.parametrize("untrack", ["untrack_module_at_com_init", "untrack_module_at_flow_init"])
def test_untrack_with_an_empty_stack_is_refused(arena, untrack):
    m = arena.mk_module("m")
    with pytest.raises(ValueError) as e:
        getattr(arena, untrack)(m)
    assert str(e.value) == (
        f"argument 'module_i': module trace stack is empty; MODULE_m_{m.global_id} is not "
        "tracked: a module is untracked after it was tracked"
    )


def test_untracking_the_wrong_module_is_refused_before_popping(arena):
    a = arena.mk_module("a")
    arena.track_module_at_com_init(a)
    b = arena.mk_module("b")
    arena.track_module_at_com_init(b)
    with pytest.raises(ValueError) as e:
        arena.untrack_module_at_com_init(a)
    assert str(e.value) == (
        f"argument 'module_i': MODULE_a_{a.global_id} is not on top of the module trace stack "
        f"(MODULE_b_{b.global_id} is); modules are untracked innermost first"
    )
    # Nothing was popped: b is still on top.
    arena.untrack_module_at_com_init(b)
    arena.untrack_module_at_com_init(a)
    with pytest.raises(ValueError, match="^argument 'module_i': module trace stack is empty; "):
        arena.untrack_module_at_com_init(a)


def test_components_attach_to_the_module_on_top(arena):
    m = arena.mk_module("m")
    arena.track_module_at_com_init(m)
    r = arena.mk_reg("r", 3)
    arena.untrack_module_at_com_init(m)
    assert arena.get_hw_bit_sz(r) == 3
    with pytest.raises(ValueError, match="^module trace stack is empty; mk_wire makes a "):
        arena.mk_wire("late", 1)


def test_second_set_top_module_is_refused_even_with_the_same_module(arena):
    m = arena.mk_module("m")
    arena.set_top_module(m)
    with pytest.raises(ValueError) as e:
        arena.set_top_module(m)
    assert str(e.value) == (
        f"argument 'module_i': top_module is already set; MODULE_m_{m.global_id} is the top "
        "module, and a design has one, set once"
    )


def test_set_top_module_with_a_foreign_module_is_refused(arena):
    foreign = v.ModelArena().mk_module("foreign")
    with pytest.raises(ValueError) as e:
        arena.set_top_module(foreign)
    assert str(e.value) == (
        f"argument 'module_i': MODULE_foreign_{foreign.global_id} is not a module of this arena "
        "(an identity from another ModelArena, or one kept after BackendVerilog took the model)"
    )
    # Nothing was recorded: a module of this arena can still become the top module.
    arena.set_top_module(arena.mk_module("own"))


def test_build_flow_without_top_module_is_refused(arena):
    with pytest.raises(ValueError) as e:
        arena.build_flow()
    assert str(e.value) == "build_flow: no top module set; call set_top_module first"


@pytest.mark.parametrize("length", [257, 250, 193])
def test_names_longer_than_the_user_limit_are_refused(arena, top, length):
    name = "m" * length
    with pytest.raises(ValueError) as e:
        arena.mk_module(name)
    assert str(e.value) == (
        f'argument \'name\': "{"m" * 48}..." is {length} bytes long; a name may have at most '
        "192 bytes (the rest of the 256-byte limit is kept for the names derived from it)"
    )


def test_a_name_at_the_user_limit_is_accepted(arena, top):
    assert arena.get_hw_bit_sz(arena.mk_reg("r" * 192, 1)) == 1
    assert arena.mk_module("m" * 192).depth_level == 1
