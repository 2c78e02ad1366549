"""Choice blocks from Python: factories, the condition check, and the structural mistakes that
are refused (ValueError, exact texts) before anything changes."""

import pytest

import _velmora as v

COND_FACTORIES = ["cif", "sif", "cselif", "zif", "zelif", "pif"]
LOOP_FACTORIES = ["cwhile", "do_while"]
TYPE_TEXT = {
    "cif": "COND_IF", "sif": "COND_IF", "cselif": "COND_ELIF", "cselse": "COND_ELIF",
    "zif": "ZERO_COND_IF", "zelif": "ZERO_COND_ELIF", "zelse": "ZERO_COND_ELIF",
    "zstate": "ZERO_SWITCH", "zcase": "ZERO_SWITCH_CASE", "pick": "PICK", "pif": "PICK_IF",
    "pidef": "PICK_IF",
}  # fmt: skip


class Flow:
    """A module at flow init with a few signals, and short ways to make and open blocks."""

    def __init__(self, arena):
        self.arena = arena
        self.m = arena.mk_module("m")
        arena.track_module_at_com_init(self.m)
        self.c = arena.mk_wire("c", 1)
        self.e = arena.mk_wire("e", 1)
        self.sel = arena.mk_wire("sel", 2)
        self.r = arena.mk_reg("r", 4)
        arena.untrack_module_at_com_init(self.m)
        arena.track_module_at_flow_init(self.m)
        self.nouns = {}

    def make(self, kind, name=None, *args):
        if not args:
            args = {"zstate": (self.sel,), "zcase": (0,)}.get(kind, ())
            if kind in COND_FACTORIES or kind in LOOP_FACTORIES:
                args = (self.c,)
        b = getattr(self.arena, f"mk_flow_block_{kind}")(name or kind, *args)
        self.nouns[b.global_id] = (kind, name or kind)
        return b

    def open(self, kind, name=None, *args):
        b = self.make(kind, name, *args)
        self.arena.initialize_flow_block(b)
        return b

    def close(self, b):
        self.arena.check_flow_block_prefinalize(b)
        self.arena.finalize_flow_block(b)

    def label(self, b):
        """How messages name a block: its noun and absolute name."""
        kind, name = self.nouns[b.global_id]
        noun = "do-while" if kind == "do_while" else kind
        return f"{noun} {b.block_type}_{name}_{b.global_id}"

    def body(self, parent_kind, name="body"):
        """A closed body for `parent_kind`: a seq of one step, or one assignment."""
        if parent_kind in ("zif", "zelif", "zelse", "zcase"):
            self.arena.gen_basic_assign(self.r, 1)
            return
        s = self.open("seq", name)
        self.arena.gen_basic_assign(self.r, 1)
        self.close(s)

    def closed(self, kind, name=None, *args):
        b = self.open(kind, name, *args)
        self.body(kind)
        self.close(b)
        return b


@pytest.fixture
def f(arena):
    return Flow(arena)


def refused(call, message):
    with pytest.raises(ValueError) as e:
        call()
    assert str(e.value) == message


# ---- factories and the condition check ------------------------------------------------------


@pytest.mark.parametrize("kind", sorted(TYPE_TEXT))
def test_factories_make_blocks_of_their_type(f, kind):
    b = f.make(kind, "b")
    assert isinstance(b, v.FlowBlockIdent)
    assert b.block_type == TYPE_TEXT[kind]


@pytest.mark.parametrize("kind", COND_FACTORIES)
def test_condition_must_be_one_bit(f, kind):
    factory = getattr(f.arena, f"mk_flow_block_{kind}")
    wide = f.sel
    refused(lambda: factory("b", wide),
            "cond must be 1-bit, got 2 (slice the cond variable down to one bit)")
    refused(lambda: factory("b", wide, v.Slice(2, 3)),
            "cond slice Slice { start: 2, stop: 3 } does not fit cond variable of width 2")
    assert factory("b", wide, v.Slice(1, 2)).block_type == TYPE_TEXT[kind]
    assert factory("b", cond_slice=None, cond_i=f.c).block_type == TYPE_TEXT[kind]


@pytest.mark.parametrize("kind", COND_FACTORIES + ["cwhile", "swhile", "do_while", "scwait"])
def test_sliced_condition_needs_a_module_to_hold_its_wire(f, kind):
    factory = getattr(f.arena, f"mk_flow_block_{kind}")
    f.arena.untrack_module_at_flow_init(f.m)
    method = f"mk_flow_block_{kind}"
    refused(lambda: factory("b", f.sel, v.Slice(1, 2)),
            f"module trace stack is empty; {method} makes a component, which belongs to the "
            "module on top of the module trace stack: track a module with "
            "track_module_at_com_init first")
    assert isinstance(factory("b", f.c), v.FlowBlockIdent)


def test_zcase_match_value_below_zero_is_refused_at_once(f):
    refused(lambda: f.arena.mk_flow_block_zcase("k", -1),
            "argument 'match_val': match value -1 can never match: a selector holds only values "
            "from 0 up")


@pytest.mark.parametrize(
    "kind, message",
    [
        ("cif", "cond block must have at least one body block"),
        ("sif", "cond block must have at least one body block"),
        ("pick", "pick block must have at least one pif branch"),
    ],
)
def test_prefinalize_of_an_empty_block(f, kind, message):
    b = f.open(kind)
    refused(lambda: f.arena.check_flow_block_prefinalize(b), message)


@pytest.mark.parametrize(
    "master, kind, message",
    [
        ("cif", "cselif", "cond elif/else block has no body sub-block"),
        ("cif", "cselse", "cond elif/else block has no body sub-block"),
    ],
)
def test_prefinalize_of_an_empty_branch(f, master, kind, message):
    f.closed(master)
    b = f.open(kind)
    refused(lambda: f.arena.check_flow_block_prefinalize(b), message)


@pytest.mark.parametrize("kind", ["pif", "pidef"])
def test_prefinalize_of_an_empty_pick_branch(f, kind):
    f.open("pick")
    b = f.open(kind)
    refused(lambda: f.arena.check_flow_block_prefinalize(b),
            "pick branch (pif/pidef) has no body sub-block")


# ---- chains: what may continue what ----------------------------------------------------------


@pytest.mark.parametrize("master, first_else, then", [
    ("cif", "cselse", "cselif"), ("cif", "cselse", "cselse"), ("sif", "cselse", "cselif"),
    ("zif", "zelse", "zelif"), ("zif", "zelse", "zelse"),
])  # fmt: skip
def test_nothing_continues_a_chain_after_its_else(f, master, first_else, then):
    m = f.closed(master, "i")
    first = f.closed(first_else, "e")
    late = f.make(then, "late")
    refused(lambda: f.arena.initialize_flow_block(late),
            f"{f.label(m)} cannot take {f.label(late)}: the chain already ends with its else "
            f"{f.label(first)}; an else is the last branch of a chain")


@pytest.mark.parametrize("master, con, why", [
    ("cif", "zelse", "a cif continues with cselif or cselse"),
    ("sif", "zelif", "a sif continues with cselif or cselse"),
    ("zif", "cselse", "zero-cond-if con blocks must be ZeroCondElif; a zif continues with zelif "
                      "or zelse"),
    ("zif", "cselif", "zero-cond-if con blocks must be ZeroCondElif; a zif continues with zelif "
                      "or zelse"),
])  # fmt: skip
def test_a_chain_takes_only_its_own_kind_of_elif_and_else(f, master, con, why):
    m = f.closed(master, "i")
    wrong = f.make(con, "x")
    refused(lambda: f.arena.initialize_flow_block(wrong), f"{f.label(m)} cannot take "
                                                          f"{f.label(wrong)}: {why}")


@pytest.mark.parametrize("con, masters", [("cselif", "cif or sif"), ("cselse", "cif or sif"),
                                          ("zelif", "zif"), ("zelse", "zif")])
def test_elif_or_else_with_no_chain_to_continue(f, con, masters):
    lone = f.make(con, "x")
    refused(lambda: f.arena.initialize_flow_block(lone),
            f"{f.label(lone)} has nothing to continue: open it right after the closed {masters} "
            f"it continues")
    s = f.open("seq", "s")
    refused(lambda: f.arena.initialize_flow_block(lone),
            f"{f.label(s)} cannot take {f.label(lone)}: a {con} continues a closed {masters} and "
            f"is opened right after it, not inside another block")


def test_a_refused_continuation_changes_nothing(f):
    s = f.open("seq", "s")
    m = f.closed("cif", "i")
    with pytest.raises(ValueError):
        f.arena.initialize_flow_block(f.make("zelse", "wrong"))
    f.closed("cselse", "right")
    f.close(s)
    f.arena.finalize_flow_procedure()
    f.arena.untrack_module_at_flow_init(f.m)
    f.arena.set_top_module(f.m)
    f.arena.build_flow()
    assert m.block_type == "COND_IF"


# ---- where blocks may stand ------------------------------------------------------------------


@pytest.mark.parametrize("parent", ["cif", "sif", "pif", "pidef"])
@pytest.mark.parametrize("child", ["zif", "zstate"])
def test_zero_cycle_block_is_not_a_body_that_takes_cycles(f, parent, child):
    if parent in ("pif", "pidef"):
        f.open("pick")
    p = f.open(parent, "p")
    z = f.make(child, "z")
    refused(lambda: f.arena.initialize_flow_block(z),
            f"{f.label(p)} cannot take {f.label(z)}: a zero-cycle block cannot be the body of a "
            f"{parent}, whose body takes cycles; put the {child} inside a seq and make the seq "
            f"the body")


def test_zero_cycle_block_is_not_the_body_of_an_elif(f):
    f.closed("cif")
    p = f.open("cselse", "p")
    z = f.make("zif", "z")
    refused(lambda: f.arena.initialize_flow_block(z),
            f"{f.label(p)} cannot take {f.label(z)}: a zero-cycle block cannot be the body of a "
            f"cselse, whose body takes cycles; put the zif inside a seq and make the seq the body")


@pytest.mark.parametrize("parent, text", [
    ("cif", "cond block already has a body sub-block"),
    ("cselse", "cond elif/else already has a body sub-block"),
    ("pif", "pick branch already has a body sub-block"),
    ("cwhile", "while block already has a body sub-block"),
    ("do_while", "do-while block already has a body sub-block"),
])  # fmt: skip
@pytest.mark.parametrize("first_kind", ["seq", "cif"])
def test_second_body_is_refused(f, parent, text, first_kind):
    if parent == "cselse":
        f.closed("cif")
    if parent == "pif":
        f.open("pick")
    p = f.open(parent, "p")
    # A closed cif waits on top for an elif or else; the second body would attach after it.
    first = f.closed(first_kind, "first")
    second = f.make("seq", "second")
    refused(lambda: f.arena.initialize_flow_block(second),
            f"{f.label(p)} cannot take {f.label(second)}: {text} ({f.label(first)}); put the "
            f"steps of the body in one seq")


@pytest.mark.parametrize("parent, text", [
    ("zif", "zero-cond-if sub blocks must have BasicNodeFlow join policy"),
    ("zelse", "zero-cond-if sub blocks must have BasicNodeFlow join policy"),
    ("zcase", "zero-switch-case sub blocks must have BasicNodeFlow join policy"),
])  # fmt: skip
@pytest.mark.parametrize("child", ["seq", "cif", "pick"])
def test_only_zero_cycle_blocks_go_inside_a_zero_cycle_block(f, parent, text, child):
    if parent == "zelse":
        f.closed("zif")
    if parent == "zcase":
        f.open("zstate")
    p = f.open(parent, "p")
    inner = f.make(child, "x")
    refused(lambda: f.arena.initialize_flow_block(inner),
            f"{f.label(p)} cannot take {f.label(inner)}: {text}; a {parent} takes no cycle, so "
            f"only assignments, zif chains and zstates go inside it")


@pytest.mark.parametrize("parent", [None, "seq", "zif", "pick"])
def test_zcase_goes_only_directly_inside_a_zstate(f, parent):
    p = f.open(parent, "p") if parent else None
    k = f.make("zcase", "k")
    where = f"{f.label(p)} cannot take {f.label(k)}" if p else \
        f"{f.label(k)} cannot stand outside a block"
    refused(lambda: f.arena.initialize_flow_block(k),
            f"{where}: a zcase goes directly inside a zstate")


@pytest.mark.parametrize("parent", [None, "seq", "par_auto", "cif"])
@pytest.mark.parametrize("kind", ["pif", "pidef"])
def test_pick_branches_go_only_directly_inside_a_pick(f, parent, kind):
    p = f.open(parent, "p") if parent else None
    b = f.make(kind, "b")
    where = f"{f.label(p)} cannot take {f.label(b)}" if p else \
        f"{f.label(b)} cannot stand outside a block"
    refused(lambda: f.arena.initialize_flow_block(b),
            f"{where}: a pif or pidef goes directly inside a pick")


@pytest.mark.parametrize("child", ["seq", "cif", "zif"])
def test_pick_takes_only_pif_and_pidef(f, child):
    p = f.open("pick", "p")
    b = f.make(child, "b")
    refused(lambda: f.arena.initialize_flow_block(b),
            f"{f.label(p)} cannot take {f.label(b)}: pick sub blocks must be pif/pidef (PickIf); "
            f"put the steps inside a pif")


def test_second_pidef_is_refused(f):
    p = f.open("pick", "p")
    f.closed("pif", "a")
    first = f.closed("pidef", "d1")
    f.closed("pif", "b")  # a pif after the pidef is fine
    second = f.make("pidef", "d2")
    refused(lambda: f.arena.initialize_flow_block(second),
            f"{f.label(p)} cannot take {f.label(second)}: pick block accepts at most one pidef "
            f"default branch ({f.label(first)} is its default)")


@pytest.mark.parametrize("child", ["seq", "zif", "zstate"])
def test_zstate_takes_only_zcase(f, child):
    p = f.open("zstate", "p")
    b = f.make(child, "b")
    refused(lambda: f.arena.initialize_flow_block(b),
            f"{f.label(p)} cannot take {f.label(b)}: zero-switch sub blocks must be "
            f"ZeroSwitchCase; a zstate holds only zcase blocks")


def test_zcase_value_beyond_the_selector_or_repeated_is_refused(f):
    z = f.open("zstate", "z")
    first = f.closed("zcase", "k1", 1)
    f.closed("zcase", "k3", 3)
    beyond = f.make("zcase", "k4", 4)
    refused(lambda: f.arena.initialize_flow_block(beyond),
            f"{f.label(z)} cannot take {f.label(beyond)}: match value 4 can never match: the "
            f"selector WIRE_sel_{f.sel.global_id} has 2 bits (values 0 to 3)")
    again = f.make("zcase", "again", 1)
    refused(lambda: f.arena.initialize_flow_block(again),
            f"{f.label(z)} cannot take {f.label(again)}: match value 1 repeats {f.label(first)}, "
            f"and only the first case of a value can ever run")


def test_zstate_without_cases_or_without_assignments(f):
    z = f.open("zstate", "z")
    refused(lambda: f.arena.check_flow_block_prefinalize(z),
            f"{f.label(z)} has no zcase: give it at least one zcase")
    k = f.open("zcase", "k", 0)
    f.close(k)
    refused(lambda: f.arena.check_flow_block_prefinalize(z),
            f"{f.label(z)} has no assignment in any of its zcase blocks: give a case an "
            f"assignment, or leave the zstate out")


# ---- assignments where only blocks go --------------------------------------------------------


@pytest.mark.parametrize("scope, text", [
    ("cif", "cond block does not accept direct asm nodes; use a sub-block"),
    ("sif", "cond block does not accept direct asm nodes; use a sub-block"),
    ("cselif", "cond elif/else block does not accept direct asm nodes; use a sub-block"),
    ("cselse", "cond elif/else block does not accept direct asm nodes; use a sub-block"),
    ("pick", "pick block does not accept direct asm nodes; use a pif/pidef branch"),
    ("pif", "pick branch (pif/pidef) does not accept direct asm nodes; use a sub-block"),
    ("pidef", "pick branch (pif/pidef) does not accept direct asm nodes; use a sub-block"),
    ("zstate", "a zstate holds only zcase blocks; make the assignment inside a zcase"),
])  # fmt: skip
def test_assignment_directly_in_a_block_of_blocks_is_refused(f, scope, text):
    if scope in ("cselif", "cselse"):
        f.closed("cif")
    if scope in ("pif", "pidef"):
        f.open("pick")
    b = f.open(scope, "b")
    refused(lambda: f.arena.gen_basic_assign(f.r, 3),
            f"{f.label(b)} cannot take an assignment: {text}")
    # Nothing was made for the refused assignment (an int source would be a new constant).
    assert f.make("seq", "next").global_id == b.global_id + 1


# ---- a zif chain without any assignment ------------------------------------------------------


def empty_zif_chain(f):
    z = f.open("zif", "z")
    f.close(z)
    e = f.open("zelse", "e")
    f.close(e)
    return z


@pytest.mark.parametrize("path", ["next_block", "next_assignment", "parent_prefinalize",
                                  "parent_finalize", "procedure_end"])
def test_empty_zif_chain_is_refused_where_it_would_be_attached(f, path):
    parent = None if path == "procedure_end" else f.open("seq", "s")
    z = empty_zif_chain(f)
    calls = {
        "next_block": lambda: f.arena.initialize_flow_block(f.make("seq", "after")),
        "next_assignment": lambda: f.arena.gen_basic_assign(f.r, 1),
        "parent_prefinalize": lambda: f.arena.check_flow_block_prefinalize(parent),
        "parent_finalize": lambda: f.arena.finalize_flow_block(parent),
        "procedure_end": lambda: f.arena.finalize_flow_procedure(),
    }
    refused(calls[path], f"{f.label(z)} has no assignment in any of its branches: give a branch "
                         f"an assignment, or leave the chain out")


def test_zif_chain_with_an_assignment_in_its_else_only_is_complete(f):
    s = f.open("seq", "s")
    z = f.open("zif", "z")
    f.close(z)
    f.closed("zelse", "e")
    f.close(s)
    f.arena.finalize_flow_procedure()
