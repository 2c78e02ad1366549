"""IO marks: only components that can be ports take one, and a port name never clashes with a name
the emitted module declares for its components or sub-module instances."""

import pytest

import _velmora as v
from design_kit import Design
from verilog_tools import HAVE_IVERILOG, HAVE_VERILATOR, lint

L = v.LogicOp
needs_iverilog = pytest.mark.skipif(not HAVE_IVERILOG, reason="Icarus Verilog is not installed")


def make_kinds(arena):
    idx = arena.mk_wire("idx", 2)
    mem = arena.mk_mem_blk("mem", 8, 2)
    return {
        "reg": arena.mk_reg("r", 8),
        "wire": arena.mk_wire("w", 8),
        "val": arena.mk_val("c", 8, 5),
        "expr": arena.mk_expression("e", L.ArithPlus, idx, 1),
        "mem_blk": mem,
        "read_ele": arena.mk_mem_ele("rd", mem, idx, 8, True),
        "write_ele": arena.mk_mem_ele("wr", mem, idx, 8, False),
    }


AS_INPUT = " cannot take its value from an input port; only a REG or a WIRE can be marked as an input"
AS_OUTPUT = (" has no value of its own to drive an output port; only a REG, a WIRE, a VAL, an EXPR "
             "or a read MEM_BLOCK_INDEXER can be marked as an output")
REFUSED_MARKS = [
    ("mem_blk", True, "MEM_BLOCK_mem_{} (MEM_BLOCK)" + AS_INPUT),
    ("mem_blk", False, "MEM_BLOCK_mem_{} (MEM_BLOCK)" + AS_OUTPUT),
    ("write_ele", False, "MEM_BLOCK_INDEXER_wr_{} (write MEM_BLOCK_INDEXER)" + AS_OUTPUT),
    ("write_ele", True, "MEM_BLOCK_INDEXER_wr_{} (write MEM_BLOCK_INDEXER)" + AS_INPUT),
    ("val", True, "VAL_c_{} (VAL)" + AS_INPUT),
    ("expr", True, "EXPR_e_{} (EXPR)" + AS_INPUT),
    ("read_ele", True, "MEM_BLOCK_INDEXER_rd_{} (read MEM_BLOCK_INDEXER)" + AS_INPUT),
]


@pytest.mark.parametrize("kind, is_input, message", REFUSED_MARKS,
                         ids=[f"{k}-{'in' if i else 'out'}" for k, i, _ in REFUSED_MARKS])
def test_io_marks_on_kinds_that_cannot_be_ports_are_refused(arena, top, kind, is_input, message):
    hcp = make_kinds(arena)[kind]
    with pytest.raises(ValueError) as e:
        arena.mark_as_io(hcp, is_input, "p")
    assert str(e.value) == "argument 'hcp_i': " + message.format(hcp.global_id)
    assert arena.is_marked_as_io(hcp) is False
    arena.mark_as_io(arena.mk_reg("after", 1), False, "p")  # the name stayed free


@pytest.mark.parametrize("kind, is_input", [("reg", True), ("reg", False), ("wire", True),
                                            ("wire", False), ("val", False), ("expr", False),
                                            ("read_ele", False)])
def test_io_marks_on_kinds_that_can_be_ports_are_taken(arena, top, kind, is_input):
    hcp = make_kinds(arena)[kind]
    arena.mark_as_io(hcp, is_input, "p")
    assert arena.is_marked_as_io(hcp) is True


@needs_iverilog
def test_constants_expressions_and_read_elements_drive_outputs(tmp_path):
    d = Design()
    ar = d.arena
    with d.components(d.top):
        idx = ar.mk_wire("idx", 2)
        mem = ar.mk_mem_blk("mem", 8, 2)
        wr = ar.mk_mem_ele("wr", mem, idx, 8, False)
        ar.mark_as_io(ar.mk_val("c", 8, 5), False, "val")
        ar.mark_as_io(ar.mk_expression("e", L.ArithPlus, idx, 1), False, "expr")
        ar.mark_as_io(ar.mk_mem_ele("rd", mem, idx, 8, True), False, "read_ele")
    with d.flow(d.top), d.seq("fill"):
        d.assign(wr, 0x3C)
    emitted, sim = d.run(tmp_path, {"val": 8, "expr": 2, "read_ele": 8}, cycles=3)
    assert sim["val"] == [5, 5, 5]
    assert sim["expr"] == [1, 1, 1]  # idx is a wire at its default, 0
    assert sim["read_ele"] == [None, 0x3C, 0x3C]  # the word is written on the first step's edge
    if HAVE_VERILATOR:
        assert lint(emitted.out_dir, emitted.top_name) == []


# ---- Port names and generated names -----------------------------------------------------------


def generated_names(arena):
    """Names the emitted top module declares: a component's and a sub-module instance's."""
    x = arena.mk_reg("x", 4)
    sub = arena.mk_module("sub")
    arena.track_module_at_com_init(sub)
    arena.untrack_module_at_com_init(sub)
    return {"component": (arena.hcp_verilog_name(x), "REG"),
            "instance": (arena.module_verilog_name(sub), "MODULE"),
            "future_id": ("WIRE_y_999999999", "WIRE"),
            "control_kind": ("SR_ST_s_ST_3", "SR_ST"),
            "empty_name": ("EXPR__7", "EXPR")}


@pytest.mark.parametrize("which", ["component", "instance", "future_id", "control_kind",
                                   "empty_name"])
def test_name_collision_io_names_of_generated_form_are_refused(arena, top, which):
    name, kind = generated_names(arena)[which]
    y = arena.mk_reg("y", 4)
    with pytest.raises(ValueError) as e:
        arena.mark_as_io(y, False, name)
    assert str(e.value) == (
        f"argument 'io_name': \"{name}\" has the form of the names given to components and "
        f"sub-module instances ({kind}_{{name}}_{{id}}), so it could clash with one of them in the "
        "emitted module; choose an IO name that does not")
    assert arena.is_marked_as_io(y) is False


@pytest.mark.parametrize("name", ["REG_x", "REG_1", "REGx_1", "my_REG_x_1", "REG_x_1a", "MODULE",
                                  "reg_x_1", "WIRE_"])
def test_io_names_that_only_resemble_generated_names_are_taken(arena, top, name):
    y = arena.mk_reg("y", 4)
    arena.mark_as_io(y, False, name)
    assert arena.is_marked_as_io(y) is True


@needs_iverilog
def test_port_names_next_to_the_generated_names_they_resemble_stay_legal(tmp_path):
    # Port names as close to generated names as they may come, next to the names they resemble.
    d = Design()
    ar = d.arena
    ar.track_module_at_com_init(d.top)
    x = ar.mk_reg("x", 4)
    ar.set_reg_reset(x, ar.mk_val("x_rst", 4, 9))
    sub = ar.mk_module("sub")
    ar.track_module_at_com_init(sub)
    z = ar.mk_wire("z", 4)
    ar.untrack_module_at_com_init(sub)
    ar.mark_as_io(x, False, ar.hcp_verilog_name(x).rsplit("_", 1)[0])
    ar.mark_as_io(z, False, ar.module_verilog_name(sub).rsplit("_", 1)[0])
    ar.untrack_module_at_com_init(d.top)
    with d.flow(sub):
        d.assign(z, x)
    emitted, sim = d.run(tmp_path, {"REG_x": 4, "MODULE_sub": 4}, cycles=2)
    assert sim["REG_x"] == [9, 9]
    assert sim["MODULE_sub"] == [9, 9]
    if HAVE_VERILATOR:
        assert lint(emitted.out_dir, emitted.top_name) == []
