"""Calls made in an order or a state that does not allow them: refused with ValueError, with the
model's own text and what to do, before anything changes."""

import pytest

import _velmora as v

L = v.LogicOp


def next_global_id():
    """The id the next identity of the process takes (made in a throwaway arena)."""
    return v.ModelArena().mk_module("probe").global_id + 1


def refused(call, message, error=ValueError):
    """`call` raises exactly `message` and creates no identity."""
    before = next_global_id()
    with pytest.raises(error) as e:
        call()
    assert str(e.value) == message
    assert next_global_id() == before + 1


def no_module(operation):
    return (
        f"module trace stack is empty; {operation} makes a component, which belongs to the module "
        "on top of the module trace stack: track a module with track_module_at_com_init first"
    )


@pytest.fixture
def parts(arena):
    """A top module with a few signals, no longer tracked."""
    top = arena.mk_module("top")
    arena.track_module_at_com_init(top)
    sigs = {
        "top": top,
        "r": arena.mk_reg("r", 8),
        "w4": arena.mk_wire("w4", 4),
        "w8": arena.mk_wire("w8", 8),
        "mem": arena.mk_mem_blk("mem", 8, 2),
    }
    arena.untrack_module_at_com_init(top)
    return sigs


# ---- Components need a module ------------------------------------------------------------------


@pytest.mark.parametrize(
    "call, operation",
    [
        (lambda a, s: a.mk_reg("x", 1), "mk_reg"),
        (lambda a, s: a.mk_wire("x", 1), "mk_wire"),
        (lambda a, s: a.mk_val("x", 1, 1), "mk_val"),
        (lambda a, s: a.mk_val_vv("x", 65, [1, 1]), "mk_val_vv"),
        (lambda a, s: a.mk_mem_blk("x", 8, 2), "mk_mem_blk"),
        (lambda a, s: a.mk_mem_ele("x", s["mem"], s["w4"], 8, True), "mk_mem_ele"),
        (lambda a, s: a.mk_expression("x", L.ArithPlus, s["r"], 1), "mk_expression"),
        (lambda a, s: a.mk_expression_single("x", L.BitwiseInvr, s["r"]), "mk_expression_single"),
        (lambda a, s: a.mk_extend_bit("x", s["r"], 4), "mk_extend_bit"),
        (lambda a, s: a.gen_basic_assign(s["r"], 3), "gen_basic_assign with an int source"),
        (lambda a, s: a.gen_basic_assign(s["r"], s["w4"]),
         "gen_basic_assign with a source narrower than its destination"),
    ],
)  # fmt: skip
def test_component_made_with_no_module_tracked_is_refused(arena, parts, call, operation):
    arena.set_top_module(parts["top"])
    refused(lambda: call(arena, parts), no_module(operation))
    # An assignment that makes no component still goes to the top module.
    arena.gen_basic_assign(parts["r"], parts["w8"])


def test_always_on_assignment_with_no_module_and_no_top_is_refused(arena, parts):
    refused(
        lambda: arena.gen_basic_assign(parts["r"], parts["w8"]),
        "add_basic_node_to_top_module: no top module set; an assignment outside every flow block "
        "joins the module on top of the module trace stack, or the top module when none is "
        "tracked: track a module with track_module_at_flow_init (or call set_top_module) first",
    )


# ---- Nesting limits ----------------------------------------------------------------------------


def nested_modules(arena, depth):
    modules = []
    for i in range(depth):
        modules.append(arena.mk_module(f"m{i}"))
        arena.track_module_at_com_init(modules[-1])
    return modules


def test_modules_nested_deeper_than_the_limit_are_refused_at_mk_module(arena):
    modules = nested_modules(arena, 256)
    assert modules[-1].depth_level == 255
    refused(
        lambda: arena.mk_module("deeper"),
        "mk_module: modules nested deeper than 256 are not supported; the module trace stack "
        "already holds 256 modules, and a module made now would sit below all of them",
    )
    arena.untrack_module_at_com_init(modules[-1])
    assert arena.mk_module("sibling").depth_level == 255


def test_blocks_nested_deeper_than_the_limit_are_refused_at_initialize(arena):
    m = arena.mk_module("m")
    arena.track_module_at_flow_init(m)
    for i in range(256):
        arena.initialize_flow_block(arena.mk_flow_block_seq(f"s{i}"))
    deeper = arena.mk_flow_block_par_auto("deeper")
    refused(
        lambda: arena.initialize_flow_block(deeper),
        "initialize_flow_block: flow blocks nesting deeper than 256 are not supported; "
        f"PARALLEL_deeper_{deeper.global_id} would be nested one level deeper: finalize an open "
        "block first",
    )
    assert arena.get_last_skeleton_flow_block_type() == int(v.FlowBlockType.Sequential)


def test_nesting_at_the_limit_builds_and_emits_without_exhausting_the_stack(arena, tmp_path):
    modules = nested_modules(arena, 256)
    arena.mark_as_io(arena.mk_reg("deep", 2), False, "deepest")
    for m in reversed(modules):
        arena.untrack_module_at_com_init(m)
    top = modules[0]
    arena.track_module_at_com_init(top)
    r = arena.mk_reg("r", 8)
    arena.untrack_module_at_com_init(top)
    # The top module's flow nests blocks to the limit, each with one step.
    arena.track_module_at_flow_init(top)
    blocks = []
    for i in range(256):
        blocks.append(arena.mk_flow_block_seq(f"s{i}"))
        arena.initialize_flow_block(blocks[-1])
        arena.gen_basic_assign(r, i)
    for b in reversed(blocks):
        arena.finalize_flow_block(b)
    arena.finalize_flow_procedure()
    arena.untrack_module_at_flow_init(top)
    arena.set_top_module(top)
    arena.build_flow()
    v.BackendVerilog(arena).emit(str(tmp_path), "top")
    assert len(list(tmp_path.glob("*.v"))) == 256


# ---- Build ---------------------------------------------------------------------------------------


@pytest.fixture
def built_ready(arena, parts):
    """A design with one sequence, ready for build_flow."""
    top = parts["top"]
    arena.track_module_at_flow_init(top)
    seq = arena.mk_flow_block_seq("steps")
    arena.initialize_flow_block(seq)
    arena.gen_basic_assign(parts["r"], 1)
    arena.finalize_flow_block(seq)
    arena.finalize_flow_procedure()
    arena.untrack_module_at_flow_init(top)
    arena.set_top_module(top)
    return parts


def test_build_flow_twice_is_refused(arena, built_ready):
    arena.build_flow()
    refused(
        arena.build_flow,
        "top module start node must not be set before build_flow; build_flow runs once per "
        "design",
    )


def test_build_flow_with_a_block_still_open_is_refused(arena, built_ready):
    top = built_ready["top"]
    arena.track_module_at_flow_init(top)
    late = arena.mk_flow_block_seq("late")
    arena.initialize_flow_block(late)
    arena.untrack_module_at_flow_init(top)
    refused(
        arena.build_flow,
        f"build_flow: flow block SEQUENTIAL_late_{late.global_id} is still open; finalize every "
        "block and call finalize_flow_procedure before build_flow",
    )


def test_build_flow_with_a_module_still_tracked_is_refused(arena, built_ready):
    top = built_ready["top"]
    arena.track_module_at_com_init(top)
    refused(
        arena.build_flow,
        f"build_flow: MODULE_top_{top.global_id} is still on the module trace stack (tracked at "
        "CompInit); untrack every module before build_flow",
    )
    arena.untrack_module_at_com_init(top)
    arena.build_flow()


@pytest.mark.parametrize("factory, text", [
    ("mk_flow_block_seq", "seq flow block has no element"),
    ("mk_flow_block_par_no_sync", "parallel flow block has no element"),
])  # fmt: skip
def test_empty_block_that_skipped_its_prefinalize_check_is_refused_by_build_flow(
        arena, parts, factory, text):
    top = parts["top"]
    arena.track_module_at_flow_init(top)
    outer = arena.mk_flow_block_seq("outer")
    arena.initialize_flow_block(outer)
    inner = getattr(arena, factory)("inner")
    arena.initialize_flow_block(inner)
    arena.finalize_flow_block(inner)
    arena.finalize_flow_block(outer)
    arena.finalize_flow_procedure()
    arena.untrack_module_at_flow_init(top)
    arena.set_top_module(top)
    refused(
        arena.build_flow,
        f"build_flow: {text} ({inner.block_type}_inner_{inner.global_id} of "
        f"MODULE_top_{top.global_id}); check_flow_block_prefinalize reports this before "
        "finalize_flow_block: fix the block there",
    )
    # Nothing was built: the model still takes additions.
    arena.track_module_at_com_init(top)
    assert arena.get_hw_bit_sz(arena.mk_reg("more", 3)) == 3


# ---- Opening and closing blocks ----------------------------------------------------------------


@pytest.fixture
def flow(arena, parts):
    arena.track_module_at_flow_init(parts["top"])
    return parts


def test_finalize_with_no_block_open_is_refused(arena, flow):
    b = arena.mk_flow_block_seq("b")
    refused(
        lambda: arena.finalize_flow_block(b),
        f"flow block stack is empty; SEQUENTIAL_b_{b.global_id} is not open: open it with "
        "initialize_flow_block first",
    )


def test_finalize_of_a_block_that_is_not_open_is_refused(arena, flow):
    a = arena.mk_flow_block_seq("a")
    b = arena.mk_flow_block_seq("b")
    arena.initialize_flow_block(a)
    refused(
        lambda: arena.finalize_flow_block(b),
        "finalize_flow_block: ident mismatch — wrong block finalized; "
        f"SEQUENTIAL_b_{b.global_id} is not open (the innermost open block is "
        f"SEQUENTIAL_a_{a.global_id})",
    )


def test_finalizing_the_wrong_block_leaves_the_real_one_open(arena, flow):
    outer = arena.mk_flow_block_seq("outer")
    inner = arena.mk_flow_block_par_auto("inner")
    arena.initialize_flow_block(outer)
    arena.initialize_flow_block(inner)
    refused(
        lambda: arena.finalize_flow_block(outer),
        "finalize_flow_block: ident mismatch — wrong block finalized; "
        f"SEQUENTIAL_outer_{outer.global_id} is not the innermost open block "
        f"(PARALLEL_inner_{inner.global_id} is): finalize blocks innermost first",
    )
    # The inner block is still the open scope: the next assignment lands in it.
    assert arena.get_last_skeleton_flow_block_type() == int(v.FlowBlockType.Parallel)
    arena.gen_basic_assign(flow["r"], 5)
    assert arena.check_flow_block_prefinalize(inner) is None
    arena.finalize_flow_block(inner)
    arena.finalize_flow_block(outer)
    assert arena.finalize_flow_procedure() is None


def test_opening_a_finalized_block_again_is_refused(arena, flow):
    b = arena.mk_flow_block_seq("b")
    arena.initialize_flow_block(b)
    arena.gen_basic_assign(flow["r"], 1)
    arena.finalize_flow_block(b)
    refused(
        lambda: arena.initialize_flow_block(b),
        f"SEQUENTIAL_b_{b.global_id} was opened before; a flow block is opened and finalized "
        "once: make a new block",
    )
    arena.finalize_flow_procedure()
    arena.untrack_module_at_flow_init(flow["top"])
    arena.set_top_module(flow["top"])
    arena.build_flow()


def test_outermost_block_with_no_module_tracked_is_refused(arena, parts):
    b = arena.mk_flow_block_seq("b")
    arena.initialize_flow_block(b)
    refused(
        lambda: arena.finalize_flow_block(b),
        f"module trace stack is empty; SEQUENTIAL_b_{b.global_id} is an outermost flow block and "
        "joins the module on top of the module trace stack: track that module with "
        "track_module_at_flow_init first",
    )
    arena.track_module_at_flow_init(parts["top"])
    arena.finalize_flow_block(b)


# ---- Reset and default values ------------------------------------------------------------------


@pytest.mark.parametrize("setter, target, role", [
    ("set_reg_reset", "r", "reset value"),
    ("set_wire_default", "w8", "default value"),
])  # fmt: skip
def test_signal_as_its_own_reset_or_default_value_is_refused(arena, parts, setter, target, role):
    sig = parts[target]
    kind = "REG" if target == "r" else "WIRE"
    arg = "reset_val_i" if target == "r" else "default_val_i"
    refused(
        lambda: getattr(arena, setter)(sig, sig),
        f"argument '{arg}': {kind}_{target}_{sig.global_id} cannot be its own {role}; give "
        "another signal (a constant, usually)",
    )


# ---- Module trees ------------------------------------------------------------------------------


def test_module_made_inside_another_cannot_be_tracked_as_a_root(arena):
    parent = arena.mk_module("parent")
    arena.track_module_at_com_init(parent)
    child = arena.mk_module("child")
    arena.untrack_module_at_com_init(parent)
    refused(
        lambda: arena.track_module_at_com_init(child),
        f"argument 'module_i': MODULE_child_{child.global_id} was created inside "
        f"MODULE_parent_{parent.global_id}, so it is tracked at component init while that module "
        "is on top of the module trace stack (it becomes its sub-module)",
    )
    arena.track_module_at_com_init(parent)
    arena.track_module_at_com_init(child)


@pytest.fixture
def two_trees(arena, parts):
    other = arena.mk_module("other")
    arena.track_module_at_com_init(other)
    parts["other"] = other
    parts["o4"] = arena.mk_wire("o4", 4)
    parts["o8"] = arena.mk_reg("o8", 8)
    arena.untrack_module_at_com_init(other)
    return parts


def across(s, signal, here):
    names = {"o4": "WIRE_o4", "o8": "REG_o8", "r": "REG_r", "w8": "WIRE_w8", "w4": "WIRE_w4"}
    there_root = "other" if signal.startswith("o") else "top"
    return (
        f"{names[signal]}_{s[signal].global_id} belongs to the module tree of "
        f"MODULE_{there_root}_{s[there_root].global_id}, but MODULE_{here}_{s[here].global_id} "
        f"belongs to that of MODULE_{here}_{s[here].global_id}; signals of different module "
        "trees cannot be connected"
    )


def test_assignment_made_while_another_root_module_is_tracked_is_refused(arena, two_trees):
    s = two_trees
    arena.track_module_at_flow_init(s["other"])
    refused(lambda: arena.gen_basic_assign(s["r"], s["o8"]),
            f"argument 'des_i': {across(s, 'r', 'other')}")
    arena.untrack_module_at_flow_init(s["other"])
    arena.track_module_at_flow_init(s["top"])
    refused(lambda: arena.gen_basic_assign(s["r"], s["o8"]),
            f"argument 'src': {across(s, 'o8', 'top')}")
    arena.gen_basic_assign(s["r"], s["w8"])


@pytest.mark.parametrize(
    "call, arg, signal",
    [
        (lambda a, s: a.mk_expression("e", L.ArithPlus, s["w4"], s["o4"]), "b", "o4"),
        (lambda a, s: a.mk_expression_single("e", L.BitwiseInvr, s["o4"]), "a", "o4"),
        (lambda a, s: a.mk_extend_bit("e", s["o4"], 2), "a", "o4"),
        (lambda a, s: a.mk_mem_ele("e", s["mem"], s["o4"], 8, True), "index_ident", "o4"),
    ],
)  # fmt: skip
def test_component_joining_signals_of_another_module_tree_is_refused(arena, two_trees, call, arg,
                                                                     signal):
    s = two_trees
    arena.track_module_at_com_init(s["top"])
    refused(lambda: call(arena, s), f"argument '{arg}': {across(s, signal, 'top')}")


def test_reset_value_from_another_module_tree_is_refused(arena, two_trees):
    s = two_trees
    arena.track_module_at_com_init(s["other"])
    value = arena.mk_val("v", 8, 0)
    arena.untrack_module_at_com_init(s["other"])
    refused(
        lambda: arena.set_reg_reset(s["r"], value),
        f"argument 'reset_val_i': VAL_v_{value.global_id} belongs to the module tree of "
        f"MODULE_other_{s['other'].global_id}, but MODULE_top_{s['top'].global_id} belongs to that "
        f"of MODULE_top_{s['top'].global_id}; signals of different module trees cannot be "
        "connected",
    )
