"""Every identifier written is legal Verilog and names one thing: names outside plain identifiers
are escaped, bytes an escaped identifier cannot carry are written as "%XX", and module names, which
also name files, hold no path separator."""

import urllib.parse

import pytest

import _velmora as v
from design_kit import Design
from verilog_tools import HAVE_IVERILOG, HAVE_VERILATOR, compile_check, lint

needs_iverilog = pytest.mark.skipif(not HAVE_IVERILOG, reason="Icarus Verilog is not installed")


def check_tools(emitted):
    compile_check(emitted.out_dir)
    if HAVE_VERILATOR:
        assert lint(emitted.out_dir, emitted.top_name) == []


def assert_printable_ascii(text: str):
    bad = sorted({c for c in text if not (" " <= c <= "~" or c == "\n")})
    assert bad == []


@needs_iverilog
def test_backtick_names_stay_distinct_registers(tmp_path):
    d = Design()
    with d.components(d.top):
        for name, value in (("`a", 1), ("`b", 2)):
            r = d.arena.mk_reg(name, 4)
            d.arena.set_reg_reset(r, d.const(name + "_rst", 4, value))
            d.arena.mark_as_io(r, False, name[1:])
    with d.flow(d.top):
        pass
    emitted, sim = d.run(tmp_path, {"a": 4, "b": 4}, cycles=2)
    assert sim["a"] == [1, 1]
    assert sim["b"] == [2, 2]
    check_tools(emitted)


@pytest.mark.parametrize("name", ["zähler", "計数", "`tick", "50%", "a%C3%A4", "ok"])
def test_written_names_are_printable_ascii_that_read_back_to_the_name(arena, top, name):
    r = arena.mk_reg(name, 4)
    written = arena.hcp_verilog_name(r)
    assert_printable_ascii(written)
    absolute = f"REG_{name}_{r.global_id}"
    if written.startswith("\\"):
        assert written.endswith(" ") and "`" not in written
        assert urllib.parse.unquote(written[1:-1]) == absolute
    else:
        assert written == absolute


@needs_iverilog
def test_non_ascii_names_give_legal_verilog(tmp_path):
    # Components, a sub-module and ports named outside ASCII; "%C3%A4" spelled out stays distinct
    # from the "ä" it encodes.
    d = Design("oben")
    ar = d.arena
    ar.track_module_at_com_init(d.top)
    count = ar.mk_reg("zähler", 4)
    ar.set_reg_reset(count, ar.mk_val("zähler_rst", 4, 3))
    ar.mark_as_io(count, False, "ä")
    unten = ar.mk_module("ünten")
    ar.track_module_at_com_init(unten)
    copy = ar.mk_wire("kopie", 4)
    ar.mark_as_io(copy, False, "%C3%A4")
    ar.untrack_module_at_com_init(unten)
    ar.untrack_module_at_com_init(d.top)
    with d.flow(unten):
        d.assign(copy, count)
    unten_name = ar.module_verilog_name(unten)
    emitted = d.emit(tmp_path)
    for f in emitted.files:
        assert_printable_ascii(f.read_text())
    # A sub-module's file is named as the module it holds.
    assert sorted(f.name for f in emitted.files) == sorted(["top.v", unten_name[1:-1] + ".v"])
    check_tools(emitted)


@pytest.mark.parametrize("name, sep, at", [("a/b", "/", 1), ("/abs", "/", 0), ("..\\up", "\\", 2)])
def test_module_names_with_path_separators_are_refused(arena, name, sep, at):
    before = v.ModelArena().mk_module("probe").global_id + 1
    with pytest.raises(ValueError) as e:
        arena.mk_module(name)
    assert str(e.value) == (
        f"argument 'name': \"{name}\" contains '{sep}' at byte {at}; a module name must not "
        "contain a path separator ('/' or '\\'): every module other than the top one is written "
        "to a file named after it")
    assert v.ModelArena().mk_module("probe").global_id == before  # no id was taken


@pytest.mark.parametrize("name", [".", "..", "a.b"])
def test_module_names_with_dots_are_written_inside_the_output_directory(tmp_path, name):
    d = Design()
    ar = d.arena
    ar.track_module_at_com_init(d.top)
    sub = ar.mk_module(name)
    ar.track_module_at_com_init(sub)
    ar.untrack_module_at_com_init(sub)
    ar.untrack_module_at_com_init(d.top)
    file_name = f"MODULE_{name}_{sub.global_id}.v"
    emitted = d.emit(tmp_path / "out")
    assert sorted(f.name for f in emitted.files) == sorted([file_name, "top.v"])
