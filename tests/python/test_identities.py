"""Identity classes and Slice: attributes, reprs, construction rules."""

import pytest

import _velmora as v

from conftest import run_fresh


def test_first_identities_of_a_process_count_from_zero():
    out = run_fresh(
        """
        import _velmora as v
        a = v.ModelArena()
        m = a.mk_module("top")
        a.track_module_at_com_init(m)
        w = a.mk_wire("w", 1)
        x = a.mk_wire("x", 1)
        y = a.mk_wire("y", 1)
        r = a.mk_reg("acc", 8)
        print(repr(m)); print(repr(w)); print(repr(r)); print(str(r))
        """
    )
    assert out.splitlines() == [
        "ModuleIdent(global_id=0, depth_level=0)",
        "HcpIdent(global_id=1, hw_type=WIRE)",
        "HcpIdent(global_id=4, hw_type=REG)",
        "HcpIdent(global_id=4, hw_type=REG)",
    ]


def test_global_ids_are_shared_by_all_kinds_and_arenas(arena, top):
    other = v.ModelArena()
    r = arena.mk_reg("r", 1)
    m = other.mk_module("m")
    w = arena.mk_wire("w", 1)
    assert (m.global_id, w.global_id) == (r.global_id + 1, r.global_id + 2)


def test_reg_identity_attributes(arena, top):
    r = arena.mk_reg("acc", 8)
    assert repr(r) == f"HcpIdent(global_id={r.global_id}, hw_type=REG)"
    assert str(r) == repr(r)
    assert (r.hw_type, r.clocked, r.sensitive_type) == ("REG", True, "clocked")


@pytest.mark.parametrize(
    "make, hw_type, clocked, sensitive_type",
    [
        (lambda a: a.mk_wire("w", 4), "WIRE", False, "combinational"),
        (lambda a: a.mk_val("c", 4, 3), "VAL", False, "read_only"),
        (lambda a: a.mk_val_vv("c", 130, [1, 2, 3]), "VAL", False, "read_only"),
        (lambda a: a.mk_mem_blk("mem", 8, 4), "MEM_BLOCK", True, "clocked"),
    ],
)
def test_component_kinds_and_sensitivity(arena, top, make, hw_type, clocked, sensitive_type):
    h = make(arena)
    assert isinstance(h, v.HcpIdent)
    assert (h.hw_type, h.clocked, h.sensitive_type) == (hw_type, clocked, sensitive_type)


def test_mem_ele_and_expression_kinds(arena, top):
    mem = arena.mk_mem_blk("mem", 8, 4)
    idx = arena.mk_wire("idx", 4)
    ele = arena.mk_mem_ele("rd", mem, idx, 8, True)
    assert (ele.hw_type, ele.sensitive_type) == ("MEM_BLOCK_INDEXER", "clocked")
    e = arena.mk_expression("e", v.LogicOp.BitwiseAnd, idx, idx)
    assert (e.hw_type, e.clocked, e.sensitive_type) == ("EXPR", False, "read_only")


def test_module_identity_repr(arena):
    m = arena.mk_module("m")
    assert repr(m) == f"ModuleIdent(global_id={m.global_id}, depth_level=0)"
    assert str(m) == repr(m)


@pytest.mark.parametrize(
    "factory, block_type",
    [
        ("mk_flow_block_seq", "SEQUENTIAL"),
        ("mk_flow_block_par_auto", "PARALLEL"),
        ("mk_flow_block_par_no_sync", "PARALLEL"),
    ],
)
def test_flow_block_identity_repr(arena, factory, block_type):
    b = getattr(arena, factory)("blk")
    assert isinstance(b, v.FlowBlockIdent)
    assert b.block_type == block_type
    assert repr(b) == f"FlowBlockIdent(global_id={b.global_id}, block_type={block_type})"
    assert str(b) == repr(b)


@pytest.mark.parametrize("cls", [v.HcpIdent, v.ModuleIdent, v.FlowBlockIdent, v.CcpIdent])
def test_identities_cannot_be_constructed(cls):
    with pytest.raises(TypeError):
        cls()


@pytest.mark.parametrize("attr", ["global_id", "hw_type", "clocked", "sensitive_type"])
def test_identity_attributes_are_read_only(arena, top, attr):
    r = arena.mk_reg("r", 1)
    with pytest.raises(AttributeError):
        setattr(r, attr, getattr(r, attr))


def test_module_identity_attributes_are_read_only(arena):
    m = arena.mk_module("m")
    for attr in ("global_id", "depth_level"):
        with pytest.raises(AttributeError):
            setattr(m, attr, 0)


@pytest.mark.parametrize("cls", [v.HcpIdent, v.ModuleIdent, v.FlowBlockIdent, v.CcpIdent])
def test_identities_define_no_equality_or_hash_of_their_own(cls):
    assert "__eq__" not in vars(cls)
    assert "__hash__" not in vars(cls)


@pytest.mark.parametrize(
    "start, stop, valid, size",
    [
        (3, 3, False, 0),
        (0, 1, True, 1),
        (-1, 4, False, 5),
        (2, 7, True, 5),
        (5, 2, False, -3),
    ],
)
def test_slice_validity_and_size(start, stop, valid, size):
    s = v.Slice(start, stop)
    assert (s.start, s.stop, s.size, s.is_valid()) == (start, stop, size, valid)


def test_slice_repr_and_keywords():
    s = v.Slice(stop=9, start=-2)
    assert repr(s) == "Slice(start=-2, stop=9)"
    assert str(s) == repr(s)


@pytest.mark.parametrize("attr", ["start", "stop", "size"])
def test_slice_attributes_are_read_only(attr):
    s = v.Slice(0, 4)
    with pytest.raises(AttributeError):
        setattr(s, attr, 1)


@pytest.mark.parametrize(
    "args, kwargs, message",
    [
        ((1,), {}, "__init__(): incompatible function arguments. The following argument types are "
                   "supported:\n    1. __init__(self, start: int, stop: int) -> None\n\n"
                   "Invoked with types: _velmora.Slice, int"),
        (("1", 2), {}, "argument 'start': expected int, got str"),
        ((1.0, 2), {}, "argument 'start': expected int, got float"),
    ],
)
def test_slice_argument_errors(args, kwargs, message):
    with pytest.raises(TypeError) as e:
        v.Slice(*args, **kwargs)
    assert str(e.value) == message


@pytest.mark.parametrize("bound", [2**31, -(2**31) - 1])
def test_slice_bounds_are_signed_32_bit(bound):
    with pytest.raises(OverflowError):
        v.Slice(0, bound)
    s = v.Slice(-(2**31), 2**31 - 1)
    assert (s.start, s.stop) == (-(2**31), 2**31 - 1)
