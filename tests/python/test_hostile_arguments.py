"""Arguments that misbehave while they are converted, and objects that were never initialised:
each is an ordinary Python error, never a crash."""

import pytest

import _velmora as v
from conftest import run_fresh

LIMBS_THAT_CHANGE_THEIR_LIST = """
import _velmora as v

class Index:
    def __init__(self, owner, value, change):
        self.owner, self.value, self.change = owner, value, change

    def __index__(self):
        self.change(self.owner)
        return self.value

arena = v.ModelArena()
arena.track_module_at_com_init(arena.mk_module("m"))
changes = {{
    "clear": lambda l: l.clear(),
    "shrink": lambda l: l.__delitem__(slice(1, None)),
    "grow": lambda l: l.extend(range(1000)),
}}
limbs = []
limbs += [Index(limbs, 1, changes["{change}"]), 7, 9]
c = arena.mk_val_vv("x", 192, limbs)
print(arena.get_hw_bit_sz(c), arena.hcp_verilog_name(c))
"""


@pytest.mark.parametrize("change", ["clear", "shrink", "grow"])
def test_mk_val_vv_limbs_whose_index_changes_the_list_are_read_from_a_copy(change):
    # Run apart: without the copy, the interpreter reads freed memory or crashes.
    out = run_fresh(LIMBS_THAT_CHANGE_THEIR_LIST.format(change=change))
    assert out == "192 VAL_x_1\n"


def test_mk_val_vv_limbs_index_error_is_raised_unchanged(arena, top):
    class Refusing:
        def __index__(self):
            raise ArithmeticError("no index today")

    with pytest.raises(ArithmeticError, match="^no index today$"):
        arena.mk_val_vv("x", 64, [Refusing()])
    assert arena.get_hw_bit_sz(arena.mk_val_vv("y", 64, (5,))) == 64


ZYNC_BINDS_THAT_CHANGE_THEIR_LIST = """
import _velmora as v

class Index:
    def __init__(self, owner, value, change):
        self.owner, self.value, self.change = owner, value, change

    def __index__(self):
        self.change(self.owner)
        return self.value

arena = v.ModelArena()
arena.track_module_at_com_init(arena.mk_module("m"))
arbs = [arena.mk_arb(f"a{{k}}", v.ArbSamePriPolicy.AckOne) for k in range(3)]
changes = {{
    "clear": lambda l: l.clear(),
    "shrink": lambda l: l.__delitem__(slice(1, None)),
    "grow": lambda l: l.extend([(arbs[0], None, False, None)] * 1000),
}}
binds = []
binds += [(arbs[0], Index(binds, 3, changes["{change}"]), False, None),
          (arbs[1], None, True, None), (arbs[2], 5, False, None)]
z = arena.mk_flow_block_zync_multi("z", binds, False)
print(z.block_type, [arena.arb_leaf_count(a) for a in arbs])
"""


@pytest.mark.parametrize("change", ["clear", "shrink", "grow"])
def test_zync_binds_whose_priority_index_changes_the_list_are_read_from_a_copy(change):
    out = run_fresh(ZYNC_BINDS_THAT_CHANGE_THEIR_LIST.format(change=change))
    assert out == "ZYNC [1, 1, 1]\n"


RETURNED = "pass an identity that a ModelArena method returned"


@pytest.mark.parametrize(
    "call, arg, cls, remedy",
    [
        (lambda a, r: a.get_hw_bit_sz(v.HcpIdent.__new__(v.HcpIdent)), "hcp_i", "HcpIdent",
         RETURNED),
        (lambda a, r: a.gen_basic_assign(r, v.HcpIdent.__new__(v.HcpIdent)), "src", "HcpIdent",
         RETURNED),
        (lambda a, r: a.mk_expression("e", v.LogicOp.ArithPlus, v.HcpIdent.__new__(v.HcpIdent), 1),
         "a", "HcpIdent", RETURNED),
        (lambda a, r: a.set_top_module(v.ModuleIdent.__new__(v.ModuleIdent)), "module_i",
         "ModuleIdent", RETURNED),
        (lambda a, r: a.initialize_flow_block(v.FlowBlockIdent.__new__(v.FlowBlockIdent)),
         "block_i", "FlowBlockIdent", RETURNED),
        (lambda a, r: a.gen_basic_assign(r, 1, des_slice=v.Slice.__new__(v.Slice)), "des_slice",
         "Slice", "make one with Slice(start, stop)"),
        (lambda a, r: v.BackendVerilog(v.ModelArena.__new__(v.ModelArena)), "arena", "ModelArena",
         "make one with ModelArena()"),
    ],
)  # fmt: skip
def test_uninitialised_objects_are_a_type_error(arena, top, call, arg, cls, remedy):
    r = arena.mk_reg("r", 4)
    with pytest.raises(TypeError) as e:
        call(arena, r)
    assert str(e.value) == (
        f"argument '{arg}': this {cls} was made with {cls}.__new__ and holds nothing; {remedy}"
    )
    assert arena.get_hw_bit_sz(r) == 4
