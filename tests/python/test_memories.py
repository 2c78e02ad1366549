"""Memory blocks and their elements: an element lives in its memory's module, reads and writes
exactly its own bits of one word, and its index may come from another module."""

import pytest

import _velmora as v
from design_kit import Design
from verilog_tools import HAVE_IVERILOG, HAVE_VERILATOR, lint

needs_iverilog = pytest.mark.skipif(not HAVE_IVERILOG, reason="Icarus Verilog is not installed")


def next_global_id():
    return v.ModelArena().mk_module("probe").global_id + 1


def check_lint(emitted):
    if HAVE_VERILATOR:
        assert lint(emitted.out_dir, emitted.top_name) == []


def delayed(values, stages):
    return [0] * stages + values[: len(values) - stages]


@needs_iverilog
def test_memory_element_index_from_another_module_is_routed(tmp_path):
    # top: widx counts 1, 2, 3; ridx follows it one cycle later. store (a sub-module): the
    # memory, a write element at widx storing widx, and a read element at ridx.
    d = Design()
    ar = d.arena
    ar.track_module_at_com_init(d.top)
    widx = ar.mk_reg("widx", 2)
    ar.set_reg_reset(widx, ar.mk_val("widx_rst", 2, 0))
    ar.mark_as_io(widx, False, "widx")
    ridx = ar.mk_reg("ridx", 2)
    store = ar.mk_module("store")
    ar.track_module_at_com_init(store)
    mem = ar.mk_mem_blk("mem", 8, 2)
    wr = ar.mk_mem_ele("wr", mem, widx, 8, False)
    rd = ar.mk_mem_ele("rd", mem, ridx, 8, True)
    ar.mark_as_io(rd, False, "rd")
    ar.untrack_module_at_com_init(store)
    ar.untrack_module_at_com_init(d.top)
    with d.flow(d.top):
        d.assign(ridx, widx)
        with d.seq("count"):
            for value in (1, 2, 3):
                d.assign(widx, value)
    with d.flow(store), pytest.warns(UserWarning, match="zero-extended"):
        d.assign(wr, widx)
    emitted, sim = d.run(tmp_path, {"widx": 2, "rd": 8}, cycles=6)
    # The word at ridx was written with widx on the edge that moved ridx there.
    assert sim["rd"] == delayed(sim["widx"], 1)
    check_lint(emitted)


def test_memory_element_made_in_another_module_is_refused(arena):
    top = arena.mk_module("top")
    arena.track_module_at_com_init(top)
    mem = arena.mk_mem_blk("mem", 8, 2)
    idx = arena.mk_wire("idx", 2)
    sub = arena.mk_module("sub")
    arena.track_module_at_com_init(sub)
    before = next_global_id()
    with pytest.raises(ValueError) as e:
        arena.mk_mem_ele("ele", mem, idx, 8, True)
    assert str(e.value) == (
        f"argument 'master_mem_blk_i': MEM_BLOCK_mem_{mem.global_id} belongs to "
        f"MODULE_top_{top.global_id}, not to MODULE_sub_{sub.global_id} where the element is "
        "being made; make the element in the memory's module (a memory is reached only inside "
        "its own module)")
    assert next_global_id() == before + 1
    arena.untrack_module_at_com_init(sub)
    assert arena.get_hw_bit_sz(arena.mk_mem_ele("ele", mem, idx, 8, True)) == 8


def test_memory_element_wider_than_the_word_is_refused(arena, top):
    mem = arena.mk_mem_blk("mem", 4, 2)
    idx = arena.mk_wire("idx", 2)
    before = next_global_id()
    with pytest.raises(ValueError) as e:
        arena.mk_mem_ele("ele", mem, idx, 5, False)
    assert str(e.value) == (
        f"argument 'bit_width': an element of 5 bits is wider than the 4-bit words of "
        f"MEM_BLOCK_mem_{mem.global_id}; an element reads or writes bits of one word")
    assert next_global_id() == before + 1


def build_narrow_elements(d, narrow_width):
    """An 8-bit memory; step 1 writes 0xA4 through a full-width element, step 2 writes all ones
    through a `narrow_width`-bit element of the same word. Read back whole and narrow."""
    ar = d.arena
    with d.components(d.top):
        mem = ar.mk_mem_blk("mem", 8, 2)
        at = ar.mk_val("at", 2, 1)
        wide = ar.mk_mem_ele("wide", mem, at, 8, False)
        narrow = ar.mk_mem_ele("narrow", mem, at, narrow_width, False)
        whole = ar.mk_mem_ele("whole", mem, at, 8, True)
        ar.mark_as_io(whole, False, "whole")
        low = ar.mk_mem_ele("low", mem, at, narrow_width, True)
        ar.mark_as_io(low, False, "low")
    with d.flow(d.top), d.seq("steps"):
        d.assign(wide, 0xA4)
        d.assign(narrow, (1 << narrow_width) - 1)


@needs_iverilog
@pytest.mark.parametrize("narrow_width", [1, 4])
def test_narrow_memory_element_writes_only_its_bits(tmp_path, narrow_width):
    d = Design()
    build_narrow_elements(d, narrow_width)
    emitted, sim = d.run(tmp_path, {"whole": 8, "low": narrow_width}, cycles=4)
    mask = (1 << narrow_width) - 1
    assert sim["whole"][1:] == [0xA4, 0xA4 | mask, 0xA4 | mask]
    assert sim["low"][1:] == [0xA4 & mask, mask, mask]
    check_lint(emitted)

