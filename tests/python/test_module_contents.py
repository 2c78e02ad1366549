"""What the module offers at import: names in registration order, enumerations, constants."""

import enum

import pytest

import _velmora as v

EXPECTED_ORDER = [
    "ModelArena",
    "HcpIdent",
    "Slice",
    "CcpIdent",
    "FlowBlockIdent",
    "ModuleIdent",
    "BackendVerilog",
    "LogicOp",
    "ArbSamePriPolicy",
    "ArbLockedChannel",
    "HwComponentType",
    "FlowBlockType",
    "DEFAULT_UE_PRI_USER",
    "DEFAULT_UE_PRI_INTERNAL_MAX",
    "DEFAULT_UE_PRI_INTERNAL_MIN",
    "DEFAULT_UE_PRI_RST",
    "DEFAULT_UE_PRI_MIN",
    "DEFAULT_UE_PRI_FALLBACK",
    "DEFAULT_UE_SUB_PRIORITY_USER",
    "_ASM_PRIORITY_CONST_NAMES",
    "PanicException",
]

LOGIC_OP = [
    "BitwiseAnd", "BitwiseOr", "BitwiseXor", "BitwiseInvr", "BitwiseShl", "BitwiseShr",
    "LogicalAnd", "LogicalOr", "LogicalNot", "RelationEq", "RelationNeq", "RelationLe",
    "RelationLeq", "RelationGe", "RelationGeq", "RelationSlt", "RelationSgt", "ArithPlus",
    "ArithMinus", "ArithMul", "ArithDiv", "ArithDivr", "ExtendBit", "SliceBit", "Assign",
    "Dummy",
]  # fmt: skip
HW_COMPONENT_TYPE = [
    "REG", "SR_ST", "SR_CDWT", "SR_CYWT", "CNT_REG", "SR_SY", "WIRE", "NEST", "VAL",
    "MEM_BLOCK_INDEXER", "EXPR", "IO_WIRE", "MEM_BLOCK",
]  # fmt: skip
FLOW_BLOCK_TYPE = [
    "Sequential", "Parallel", "CondIf", "CondElif", "ZeroCondIf", "ZeroCondElif", "ZeroSwitch",
    "ZeroSwitchCase", "WhileLoop", "DoWhile", "CounterLoop", "Wait", "Pipeline", "Zync", "Pick",
    "PickIf",
]  # fmt: skip


def test_contents_are_registered_in_order():
    names = [n for n in vars(v) if n in EXPECTED_ORDER]
    assert names == EXPECTED_ORDER


def test_nothing_public_beyond_the_listed_names():
    extra = [n for n in vars(v) if not n.startswith("__") and n not in EXPECTED_ORDER]
    assert extra == []


@pytest.mark.parametrize(
    "enum_name, members",
    [
        ("LogicOp", LOGIC_OP),
        ("ArbSamePriPolicy", ["AckOne", "AckAll", "NotAck"]),
        ("ArbLockedChannel", ["Req", "Ack"]),
        ("HwComponentType", HW_COMPONENT_TYPE),
        ("FlowBlockType", FLOW_BLOCK_TYPE),
    ],
)
def test_enumeration_members_and_values(enum_name, members):
    e = getattr(v, enum_name)
    assert issubclass(e, enum.IntEnum)
    assert e.__name__ == enum_name
    assert [(m.name, m.value) for m in e] == [(name, i) for i, name in enumerate(members)]


def test_enum_members_compare_equal_to_ints():
    assert v.HwComponentType.WIRE == 6
    assert v.FlowBlockType.PickIf == 15
    assert v.LogicOp.ArithPlus == 17


@pytest.mark.parametrize(
    "name, value",
    [
        ("DEFAULT_UE_PRI_USER", 10),
        ("DEFAULT_UE_PRI_INTERNAL_MAX", 100),
        ("DEFAULT_UE_PRI_INTERNAL_MIN", 50),
        ("DEFAULT_UE_PRI_RST", 2147483647),
        ("DEFAULT_UE_PRI_MIN", 0),
        ("DEFAULT_UE_PRI_FALLBACK", 1),
        ("DEFAULT_UE_SUB_PRIORITY_USER", 0),
    ],
)
def test_priority_constants(name, value):
    c = getattr(v, name)
    assert type(c) is int
    assert c == value


def test_priority_constant_names_list():
    names = v._ASM_PRIORITY_CONST_NAMES
    assert isinstance(names, list)
    assert names == EXPECTED_ORDER[12:19]
    assert names[0] == "DEFAULT_UE_PRI_USER"
    assert names[-1] == "DEFAULT_UE_SUB_PRIORITY_USER"


def test_panic_exception_derives_directly_from_base_exception():
    assert v.PanicException.__bases__ == (BaseException,)
    assert not issubclass(v.PanicException, Exception)
