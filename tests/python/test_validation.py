"""Bad caller input is refused with a ValueError naming the argument, before anything is created,
and the arena keeps working afterwards."""

from types import SimpleNamespace

import pytest

import _velmora as v

L = v.LogicOp
NOT_HERE = "(an identity from another ModelArena, or one kept after BackendVerilog took the model)"


def name_of(kind, rel, ident):
    return f"{kind}_{rel}_{ident.global_id}"


def next_global_id():
    """The id the next identity of the process takes (made in a throwaway arena)."""
    return v.ModelArena().mk_module("probe").global_id + 1


@pytest.fixture
def d(arena, top):
    return SimpleNamespace(
        arena=arena,
        top=top,
        r=arena.mk_reg("r", 4),
        w=arena.mk_wire("w", 8),
        c3=arena.mk_val("c3", 3, 1),
        c4=arena.mk_val("c4", 4, 1),
        mem=arena.mk_mem_blk("mem", 8, 4),
        idx=arena.mk_wire("idx", 4),
    )


def assert_refused(d, call, message):
    """`call` raises exactly `message`, creates nothing, and the arena works afterwards."""
    before = next_global_id()
    with pytest.raises(ValueError) as e:
        call()
    assert str(e.value) == message
    assert next_global_id() == before + 1
    assert d.arena.get_hw_bit_sz(d.arena.mk_reg("after", 3)) == 3
    assert d.arena.get_hw_bit_sz(d.r) == 4


def foreign_reg(index):
    """A register at `index` of the register group of another arena."""
    other = v.ModelArena()
    m = other.mk_module("m")
    other.track_module_at_com_init(m)
    for _ in range(index):
        other.mk_reg("pad", 1)
    return other.mk_reg("foreign", 4)


# ---- Identities -------------------------------------------------------------------------------


@pytest.mark.parametrize("index", [0, 5], ids=["aliases_a_slot", "beyond_the_group"])
@pytest.mark.parametrize(
    "call, arg",
    [
        (lambda d, f: d.arena.get_hw_bit_sz(f), "hcp_i"),
        (lambda d, f: d.arena.is_marked_as_io(f), "hcp_i"),
        (lambda d, f: d.arena.mark_as_io(f, False, "p"), "hcp_i"),
        (lambda d, f: d.arena.set_reg_reset(f, d.c4), "reg_i"),
        (lambda d, f: d.arena.set_reg_reset(d.r, f), "reset_val_i"),
        (lambda d, f: d.arena.mk_expression("e", L.ArithPlus, d.r, f), "b"),
        (lambda d, f: d.arena.mk_expression("e", L.ArithPlus, f, 1), "a"),
        (lambda d, f: d.arena.mk_expression_single("e", L.BitwiseInvr, f), "a"),
        (lambda d, f: d.arena.mk_extend_bit("e", f, 8), "a"),
        (lambda d, f: d.arena.mk_mem_ele("e", d.mem, f, 8, True), "index_ident"),
        (lambda d, f: d.arena.gen_basic_assign(f, 1), "des_i"),
        (lambda d, f: d.arena.gen_basic_assign(d.r, f), "src"),
    ],
)
def test_component_of_another_arena_is_refused(d, index, call, arg):
    f = foreign_reg(index)
    assert_refused(
        d,
        lambda: call(d, f),
        f"argument '{arg}': {name_of('REG', 'foreign', f)} is not a component of this arena "
        f"{NOT_HERE}",
    )


@pytest.mark.parametrize(
    "method",
    [
        "track_module_at_com_init",
        "untrack_module_at_com_init",
        "track_module_at_flow_init",
        "untrack_module_at_flow_init",
        "set_top_module",
    ],
)
def test_module_of_another_arena_is_refused(d, method):
    foreign = v.ModelArena().mk_module("foreign")
    assert_refused(
        d,
        lambda: getattr(d.arena, method)(foreign),
        f"argument 'module_i': {name_of('MODULE', 'foreign', foreign)} is not a module of this "
        f"arena {NOT_HERE}",
    )


@pytest.mark.parametrize(
    "method", ["initialize_flow_block", "check_flow_block_prefinalize", "finalize_flow_block"]
)
def test_flow_block_of_another_arena_is_refused(d, method):
    foreign = v.ModelArena().mk_flow_block_seq("foreign")
    assert_refused(
        d,
        lambda: getattr(d.arena, method)(foreign),
        f"argument 'block_i': {name_of('SEQUENTIAL', 'foreign', foreign)} is not a flow block "
        f"of this arena {NOT_HERE}",
    )


@pytest.mark.parametrize(
    "call, arg, what, kind, rel",
    [
        (lambda a, old: a.get_hw_bit_sz(old.r), "hcp_i", "component", "REG", "r"),
        (lambda a, old: a.gen_basic_assign(old.r, 1), "des_i", "component", "REG", "r"),
        (lambda a, old: a.set_wire_default(old.w, old.c4), "wire_i", "component", "WIRE", "w"),
        (lambda a, old: a.mk_expression("e", L.BitwiseOr, old.w, old.w), "a", "component",
         "WIRE", "w"),
        (lambda a, old: a.track_module_at_com_init(old.top), "module_i", "module", "MODULE",
         "top"),
        (lambda a, old: a.set_top_module(old.top), "module_i", "module", "MODULE", "top"),
        (lambda a, old: a.initialize_flow_block(old.b), "block_i", "flow block", "SEQUENTIAL",
         "b"),
    ],
)  # fmt: skip
def test_identities_kept_across_backend_takeover_are_refused(arena, call, arg, what, kind, rel):
    def fill():
        top = arena.mk_module("top")
        arena.track_module_at_com_init(top)
        return SimpleNamespace(
            arena=arena,
            top=top,
            r=arena.mk_reg("r", 4),
            w=arena.mk_wire("w", 4),
            c4=arena.mk_val("c4", 4, 0),
            b=arena.mk_flow_block_seq("b"),
        )

    old = fill()
    v.BackendVerilog(arena)
    # The new model fills the same slots again; the kept identities must not reach them.
    fresh = fill()
    assert_refused(
        fresh,
        lambda: call(arena, old),
        f"argument '{arg}': {name_of(kind, rel, getattr(old, rel))} is not a {what} of this "
        f"arena {NOT_HERE}",
    )


@pytest.mark.parametrize(
    "call, arg, expected, got, rel",
    [
        (lambda d: d.arena.set_reg_reset(d.w, d.c4), "reg_i", "REG", "WIRE", "w"),
        (lambda d: d.arena.set_reg_reset(d.c4, d.c4), "reg_i", "REG", "VAL", "c4"),
        (lambda d: d.arena.set_wire_default(d.r, d.c4), "wire_i", "WIRE", "REG", "r"),
        (lambda d: d.arena.mk_mem_ele("e", d.r, d.idx, 8, True), "master_mem_blk_i", "MEM_BLOCK",
         "REG", "r"),
    ],
)  # fmt: skip
def test_component_of_the_wrong_kind_is_refused(d, call, arg, expected, got, rel):
    ident = getattr(d, rel)
    assert_refused(
        d,
        lambda: call(d),
        f"argument '{arg}': expected a {expected}, got {name_of(got, rel, ident)} (a {got})",
    )


# ---- Widths -----------------------------------------------------------------------------------


@pytest.mark.parametrize(
    "call, arg, what, maximum, value",
    [
        (lambda a, x: a.mk_reg("x", x), "bit_width", "bit width", 65536, 0),
        (lambda a, x: a.mk_reg("x", x), "bit_width", "bit width", 65536, -1),
        (lambda a, x: a.mk_reg("x", x), "bit_width", "bit width", 65536, 65537),
        (lambda a, x: a.mk_reg("x", x), "bit_width", "bit width", 65536, 2**31 - 1),
        (lambda a, x: a.mk_wire("x", x), "bit_width", "bit width", 65536, 0),
        (lambda a, x: a.mk_val("x", x, 0), "bit_width", "bit width", 65536, 0),
        (lambda a, x: a.mk_val_vv("x", x, [1]), "bit_width", "bit width", 65536, 2**31 - 1),
        (lambda a, x: a.mk_mem_blk("x", x, 4), "bit_width", "bit width", 65536, 0),
        (lambda a, x: a.mk_mem_blk("x", 8, x), "index_width", "index width", 32, 0),
        (lambda a, x: a.mk_mem_blk("x", 8, x), "index_width", "index width", 32, 33),
        (lambda a, x: a.mk_extend_bit("x", a.mk_wire("s", 1), x), "c", "bit width", 65536, 0),
        (lambda a, x: a.mk_extend_bit("x", a.mk_wire("s", 1), x), "c", "bit width", 65536,
         1 << 30),
    ],
)  # fmt: skip
def test_widths_outside_the_limits_are_refused(d, call, arg, what, maximum, value):
    # Arguments are checked before the model is touched, so even the operand made inside `call`
    # for mk_extend_bit comes first; the check of nothing-created is done per method below.
    with pytest.raises(ValueError) as e:
        call(d.arena, value)
    assert str(e.value) == f"argument '{arg}': {what} must be 1 to {maximum}, got {value}"
    assert d.arena.get_hw_bit_sz(d.arena.mk_reg("after", 3)) == 3


@pytest.mark.parametrize(
    "call",
    [
        lambda d: d.arena.mk_mem_ele("x", d.mem, d.idx, 0, False),
        lambda d: d.arena.mk_mem_ele("x", d.mem, d.idx, 65537, False),
        lambda d: d.arena.mk_extend_bit("x", d.w, 0),
        lambda d: d.arena.mk_reg("x", 0),
    ],
)
def test_width_refusals_create_nothing(d, call):
    with pytest.raises(ValueError, match="bit width must be 1 to 65536"):
        before = next_global_id()
        call(d)
    assert next_global_id() == before + 1


@pytest.mark.parametrize(
    "call, width",
    [
        (lambda a: a.mk_reg("x", 65536), 65536),
        (lambda a: a.mk_val_vv("x", 65536, [1, 2]), 65536),
        (lambda a: a.mk_mem_blk("x", 1, 32), 1),
        (lambda a: a.mk_extend_bit("x", a.mk_wire("s", 1), 65536), 65536),
    ],
)
def test_widths_at_the_limits_are_accepted(d, call, width):
    assert d.arena.get_hw_bit_sz(call(d.arena)) == width


# ---- Slices -----------------------------------------------------------------------------------


def slice_message(arg, s, kind, rel, ident, width):
    return (
        f"argument '{arg}': Slice {{ start: {s.start}, stop: {s.stop} }} does not lie within "
        f"{name_of(kind, rel, ident)} ({width} bits): a slice needs 0 <= start < stop <= {width}"
    )


BAD_SLICES_OF_8 = [v.Slice(8, 9), v.Slice(0, 9), v.Slice(-1, 2), v.Slice(3, 3), v.Slice(5, 2)]


@pytest.mark.parametrize("s", BAD_SLICES_OF_8, ids=repr)
@pytest.mark.parametrize(
    "call, arg",
    [
        (lambda d, s: d.arena.mk_expression("e", L.BitwiseAnd, d.w, d.w, a_slice=s), "a_slice"),
        (lambda d, s: d.arena.mk_expression("e", L.BitwiseAnd, d.w, d.w, b_slice=s), "b_slice"),
        (lambda d, s: d.arena.mk_expression("e", L.RelationEq, 3, d.w, b_slice=s), "b_slice"),
        (lambda d, s: d.arena.mk_expression_single("e", L.LogicalNot, d.w, s), "a_slice"),
        (lambda d, s: d.arena.mk_extend_bit("e", d.w, 16, a_slice=s), "a_slice"),
        (lambda d, s: d.arena.gen_basic_assign(d.r, d.w, src_slice=s), "src_slice"),
    ],
)
def test_slice_outside_the_sliced_signal_is_refused(d, s, call, arg):
    assert_refused(d, lambda: call(d, s), slice_message(arg, s, "WIRE", "w", d.w, 8))


@pytest.mark.parametrize("s", [v.Slice(4, 5), v.Slice(0, 5), v.Slice(-2, 1), v.Slice(2, 1)], ids=repr)
@pytest.mark.parametrize("src", ["c4", "int"])
def test_destination_slice_outside_the_destination_is_refused(d, s, src):
    source = 1 if src == "int" else d.c4
    assert_refused(
        d,
        lambda: d.arena.gen_basic_assign(d.r, source, des_slice=s),
        slice_message("des_slice", s, "REG", "r", d.r, 4),
    )


def test_slice_of_an_int_operand_is_not_used_and_not_checked(d):
    e = d.arena.mk_expression("e", L.BitwiseAnd, 3, d.w, a_slice=v.Slice(50, 60))
    assert d.arena.get_hw_bit_sz(e) == 8


@pytest.mark.parametrize("s", [v.Slice(0, 8), v.Slice(7, 8), v.Slice(2, 5)], ids=repr)
def test_slices_within_the_signal_are_accepted(d, s):
    e = d.arena.mk_expression("e", L.BitwiseAnd, d.w, d.w, a_slice=s, b_slice=s)
    assert d.arena.get_hw_bit_sz(e) == s.size
    assert d.arena.get_hw_bit_sz(d.arena.mk_expression_single("n", L.BitwiseInvr, d.w, s)) == s.size


# ---- Reset and default values -----------------------------------------------------------------


@pytest.mark.parametrize(
    "call, arg, target",
    [
        (lambda d: d.arena.set_reg_reset(d.r, d.c3), "reset_val_i", ("REG", "r", 4)),
        (lambda d: d.arena.set_wire_default(d.w, d.c3), "default_val_i", ("WIRE", "w", 8)),
        (lambda d: d.arena.set_wire_default(wire_i=d.w, default_val_i=d.c3), "default_val_i",
         ("WIRE", "w", 8)),
    ],
)  # fmt: skip
def test_value_of_another_width_is_refused(d, call, arg, target):
    kind, rel, width = target
    assert_refused(
        d,
        lambda: call(d),
        f"argument '{arg}': {name_of('VAL', 'c3', d.c3)} has 3 bits but "
        f"{name_of(kind, rel, getattr(d, rel))} has {width} bits; the value must have the same "
        "width",
    )


def test_value_of_the_same_width_is_still_accepted_after_a_refusal(d):
    with pytest.raises(ValueError):
        d.arena.set_reg_reset(d.r, d.c3)
    d.arena.set_reg_reset(d.r, d.c4)
    with pytest.raises(ValueError, match="^argument 'reset_val_i': reset_val is set already; "):
        d.arena.set_reg_reset(d.r, d.c4)


# ---- Module tree ------------------------------------------------------------------------------


def mod(ident, rel):
    return name_of("MODULE", rel, ident)


def test_tracking_a_module_already_on_the_stack_is_refused(d):
    for method in ("track_module_at_com_init", "track_module_at_flow_init"):
        assert_refused(
            d,
            lambda: getattr(d.arena, method)(d.top),
            f"argument 'module_i': {mod(d.top, 'top')} is already on the module trace stack "
            "(tracked at CompInit)",
        )


def test_tracking_a_module_deeper_on_the_stack_is_refused(d):
    child = d.arena.mk_module("child")
    d.arena.track_module_at_flow_init(child)
    assert_refused(
        d,
        lambda: d.arena.track_module_at_flow_init(d.top),
        f"argument 'module_i': {mod(d.top, 'top')} is already on the module trace stack "
        "(tracked at CompInit)",
    )
    d.arena.untrack_module_at_flow_init(child)


def test_untracking_at_the_wrong_stage_is_refused_before_popping(d):
    assert_refused(
        d,
        lambda: d.arena.untrack_module_at_flow_init(d.top),
        f"argument 'module_i': {mod(d.top, 'top')} is tracked at CompInit, not at FlowBlockInit",
    )
    d.arena.untrack_module_at_com_init(d.top)
    d.arena.track_module_at_flow_init(d.top)
    with pytest.raises(ValueError, match="is tracked at FlowBlockInit, not at CompInit$"):
        d.arena.untrack_module_at_com_init(d.top)
    d.arena.untrack_module_at_flow_init(d.top)


def test_untracking_a_module_below_the_top_is_refused(d):
    child = d.arena.mk_module("child")
    d.arena.track_module_at_com_init(child)
    assert_refused(
        d,
        lambda: d.arena.untrack_module_at_com_init(d.top),
        f"argument 'module_i': {mod(d.top, 'top')} is not on top of the module trace stack "
        f"({mod(child, 'child')} is); modules are untracked innermost first",
    )


def test_a_root_module_cannot_become_a_sub_module(arena):
    root = arena.mk_module("root")
    top = arena.mk_module("top")
    arena.track_module_at_com_init(top)
    d = SimpleNamespace(arena=arena, r=arena.mk_reg("r", 4))
    assert_refused(
        d,
        lambda: arena.track_module_at_com_init(root),
        f"argument 'module_i': {mod(root, 'root')} was created outside any module, so it cannot "
        f"become a sub-module of {mod(top, 'top')}",
    )
    # Tracking it for its flow registers nothing, so it is allowed.
    arena.track_module_at_flow_init(root)
    arena.untrack_module_at_flow_init(root)


def test_a_module_cannot_become_a_sub_module_of_another_than_its_master(d):
    a = d.arena.mk_module("a")
    b = d.arena.mk_module("b")
    d.arena.track_module_at_com_init(b)
    assert_refused(
        d,
        lambda: d.arena.track_module_at_com_init(a),
        f"argument 'module_i': {mod(a, 'a')} was created inside {mod(d.top, 'top')}, so it "
        f"cannot become a sub-module of {mod(b, 'b')}",
    )


def test_a_module_cannot_be_registered_as_a_sub_module_twice(d):
    child = d.arena.mk_module("child")
    d.arena.track_module_at_com_init(child)
    d.arena.untrack_module_at_com_init(child)
    assert_refused(
        d,
        lambda: d.arena.track_module_at_com_init(child),
        f"argument 'module_i': {mod(child, 'child')} is already a sub-module of "
        f"{mod(d.top, 'top')}; tracking it at component init again would instantiate it twice",
    )
    # Its flow may still be described.
    d.arena.track_module_at_flow_init(child)
    d.arena.untrack_module_at_flow_init(child)


def test_a_sub_module_cannot_be_the_top_module(d):
    child = d.arena.mk_module("child")
    assert_refused(
        d,
        lambda: d.arena.set_top_module(child),
        f"argument 'module_i': {mod(child, 'child')} is a sub-module of {mod(d.top, 'top')}; "
        "the top module must be a root module",
    )
    d.arena.set_top_module(d.top)
    with pytest.raises(ValueError, match="^argument 'module_i': top_module is already set; "):
        d.arena.set_top_module(d.top)


def test_valid_module_tree_still_builds(arena):
    root = arena.mk_module("root")
    arena.track_module_at_com_init(root)
    child = arena.mk_module("child")
    arena.track_module_at_com_init(child)
    grandchild = arena.mk_module("grandchild")
    arena.track_module_at_com_init(grandchild)
    arena.untrack_module_at_com_init(grandchild)
    arena.untrack_module_at_com_init(child)
    arena.untrack_module_at_com_init(root)
    for m in (root, child):
        arena.track_module_at_flow_init(m)
        arena.untrack_module_at_flow_init(m)
    arena.set_top_module(root)


# ---- Flow blocks ------------------------------------------------------------------------------


@pytest.mark.parametrize("factory", ["mk_flow_block_seq", "mk_flow_block_par_auto"])
def test_opening_an_open_block_again_is_refused(d, factory):
    b = getattr(d.arena, factory)("b")
    d.arena.initialize_flow_block(b)
    inner = d.arena.mk_flow_block_seq("inner")
    d.arena.initialize_flow_block(inner)
    for block, kind, rel in ((b, b.block_type, "b"), (inner, "SEQUENTIAL", "inner")):
        assert_refused(
            d,
            lambda: d.arena.initialize_flow_block(block),
            f"argument 'block_i': {name_of(kind, rel, block)} is already open on the flow block "
            "stack",
        )
    d.arena.finalize_flow_block(inner)


# ---- Names ------------------------------------------------------------------------------------

NAME_FACTORIES = [
    lambda d, n: d.arena.mk_module(n),
    lambda d, n: d.arena.mk_reg(n, 1),
    lambda d, n: d.arena.mk_wire(n, 1),
    lambda d, n: d.arena.mk_val(n, 1, 0),
    lambda d, n: d.arena.mk_val_vv(n, 1, [0]),
    lambda d, n: d.arena.mk_mem_blk(n, 8, 2),
    lambda d, n: d.arena.mk_mem_ele(n, d.mem, d.idx, 8, True),
    lambda d, n: d.arena.mk_expression(n, L.ArithPlus, d.w, 1),
    lambda d, n: d.arena.mk_expression_single(n, L.BitwiseInvr, d.w),
    lambda d, n: d.arena.mk_extend_bit(n, d.w, 9),
    lambda d, n: d.arena.mk_flow_block_seq(n),
    lambda d, n: d.arena.mk_flow_block_par_auto(n),
    lambda d, n: d.arena.mk_flow_block_par_no_sync(n),
]
FACTORY_IDS = [
    "mk_module", "mk_reg", "mk_wire", "mk_val", "mk_val_vv", "mk_mem_blk", "mk_mem_ele",
    "mk_expression", "mk_expression_single", "mk_extend_bit", "mk_flow_block_seq",
    "mk_flow_block_par_auto", "mk_flow_block_par_no_sync",
]  # fmt: skip

BAD_NAMES = [
    ("a b", '"a b"', "U+0020", 1),
    (" lead", '" lead"', "U+0020", 0),
    ("tab\there", '"tab\\x09here"', "U+0009", 3),
    ("new\nline", '"new\\x0aline"', "U+000A", 3),
    ("nul\x00", '"nul\\x00"', "U+0000", 3),
    ("del\x7f", '"del\\x7f"', "U+007F", 3),
    ("nbsp\u00a0", '"nbsp\u00a0"', "U+00A0", 4),
    ("next\u0085line", '"next\u0085line"', "U+0085", 4),
    ("zähler\u3000x", '"zähler\u3000x"', "U+3000", 7),
    ("thin\u2009", '"thin\u2009"', "U+2009", 4),
]


def bad_name_message(arg, shown, code, at):
    return (
        f"argument '{arg}': {shown} contains {code} at byte {at}; a name must not contain "
        "whitespace or control characters, which no Verilog identifier can carry"
    )


@pytest.mark.parametrize("name, shown, code, at", BAD_NAMES, ids=[n[2] for n in BAD_NAMES])
@pytest.mark.parametrize("factory", NAME_FACTORIES, ids=FACTORY_IDS)
def test_names_with_whitespace_or_control_characters_are_refused(d, factory, name, shown, code, at):
    assert_refused(d, lambda: factory(d, name), bad_name_message("name", shown, code, at))


@pytest.mark.parametrize("factory", NAME_FACTORIES, ids=FACTORY_IDS)
def test_names_longer_than_the_limit_are_refused(d, factory):
    assert_refused(
        d,
        lambda: factory(d, "n" * 193),
        f'argument \'name\': "{"n" * 48}..." is 193 bytes long; a name may have at most 192 bytes '
        "(the rest of the 256-byte limit is kept for the names derived from it)",
    )


def test_long_name_preview_is_cut_on_a_character_boundary(d):
    name = "a" + "ä" * 100
    with pytest.raises(ValueError) as e:
        d.arena.mk_reg(name, 1)
    assert str(e.value).startswith(f'argument \'name\': "a{"ä" * 23}..." is 201 bytes long;')


@pytest.mark.parametrize("name", ["", "zähler", "計数", "a$b", "a\u200bb", "x" * 192, "ä" * 96])
@pytest.mark.parametrize("factory", NAME_FACTORIES, ids=FACTORY_IDS)
def test_free_names_within_the_limit_are_accepted(d, factory, name):
    factory(d, name)


# ---- IO marks ---------------------------------------------------------------------------------


@pytest.mark.parametrize("io_name", ["clk", "mrst"])
def test_the_design_inputs_are_reserved_io_names(d, io_name):
    assert_refused(
        d,
        lambda: d.arena.mark_as_io(d.r, True, io_name),
        f"argument 'io_name': \"{io_name}\" is reserved for the design's clock and master reset "
        "inputs (\"clk\", \"mrst\")",
    )
    assert d.arena.is_marked_as_io(d.r) is False


def test_duplicate_io_names_are_refused(d):
    d.arena.mark_as_io(d.w, False, "p")
    child = d.arena.mk_module("child")
    d.arena.track_module_at_com_init(child)
    deep = d.arena.mk_reg("deep", 2)
    for hcp, is_input in ((d.r, True), (deep, False)):
        assert_refused(
            d,
            lambda: d.arena.mark_as_io(hcp, is_input, "p"),
            f"argument 'io_name': \"p\" is already the IO name of {name_of('WIRE', 'w', d.w)}",
        )
    assert d.arena.is_marked_as_io(d.r) is False


def test_re_marking_a_component_replaces_its_own_mark(d):
    d.arena.mark_as_io(d.w, False, "p")
    d.arena.mark_as_io(d.w, True, "p")
    d.arena.mark_as_io(d.w, True, "q")
    # "p" is free again once its only holder was renamed.
    d.arena.mark_as_io(d.r, False, "p")
    assert d.arena.is_marked_as_io(d.r) is True


@pytest.mark.parametrize(
    "io_name, message",
    [
        ("", "an IO name must not be empty: it becomes a port name"),
        ("p q", '"p q" contains U+0020 at byte 1; a name must not contain whitespace or control '
         "characters, which no Verilog identifier can carry"),
        ("p" * 193, f'"{"p" * 48}..." is 193 bytes long; a name may have at most 192 bytes (the '
         "rest of the 256-byte limit is kept for the names derived from it)"),
    ],
)  # fmt: skip
def test_io_names_follow_the_naming_rules(d, io_name, message):
    assert_refused(
        d, lambda: d.arena.mark_as_io(d.r, False, io_name), f"argument 'io_name': {message}"
    )


# ---- After build_flow -------------------------------------------------------------------------


ADDITIONS = [
    ("mk_module", lambda d: d.arena.mk_module("late")),
    ("mk_reg", lambda d: d.arena.mk_reg("late", 1)),
    ("mk_wire", lambda d: d.arena.mk_wire("late", 1)),
    ("mk_val", lambda d: d.arena.mk_val("late", 1, 0)),
    ("mk_val_vv", lambda d: d.arena.mk_val_vv("late", 1, [0])),
    ("mk_mem_blk", lambda d: d.arena.mk_mem_blk("late", 8, 2)),
    ("mk_mem_ele", lambda d: d.arena.mk_mem_ele("late", d.mem, d.idx, 8, True)),
    ("mk_expression", lambda d: d.arena.mk_expression("late", L.ArithPlus, d.w, 1)),
    ("mk_expression_single", lambda d: d.arena.mk_expression_single("late", L.LogicalNot, d.w)),
    ("mk_extend_bit", lambda d: d.arena.mk_extend_bit("late", d.w, 9)),
    ("gen_basic_assign", lambda d: d.arena.gen_basic_assign(d.r, 1)),
    ("set_reg_reset", lambda d: d.arena.set_reg_reset(d.r, d.c4)),
    ("set_wire_default", lambda d: d.arena.set_wire_default(d.idx, d.c4)),
    ("mk_flow_block_seq", lambda d: d.arena.mk_flow_block_seq("late")),
    ("mk_flow_block_par_auto", lambda d: d.arena.mk_flow_block_par_auto("late")),
    ("mk_flow_block_par_no_sync", lambda d: d.arena.mk_flow_block_par_no_sync("late")),
]


@pytest.mark.parametrize("method, call", ADDITIONS, ids=[a[0] for a in ADDITIONS])
def test_additions_after_build_flow_are_refused(d, method, call):
    d.arena.untrack_module_at_com_init(d.top)
    d.arena.set_top_module(d.top)
    d.arena.build_flow()
    d.arena.track_module_at_com_init(d.top)
    before = next_global_id()
    with pytest.raises(ValueError) as e:
        call(d)
    assert str(e.value) == (
        f"{method}: build_flow has already built the design's control; nothing can be added to "
        "the model after it"
    )
    assert next_global_id() == before + 1
    # Reading and marking are still fine.
    assert d.arena.get_hw_bit_sz(d.r) == 4
    d.arena.mark_as_io(d.r, False, "r_out")
    assert d.arena.is_marked_as_io(d.r) is True
