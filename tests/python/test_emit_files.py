"""Writing the Verilog files: paths that cannot be used are refused, a file system failure is an
OSError naming the file, and a failed emit leaves the output folder as it was."""

import errno
import os
import tempfile

import pytest

import _velmora as v
from conftest import run_fresh
from design_kit import Design


def built_backend(with_sub=False):
    """A backend holding a built design (a top module, and a sub-module when asked), and the
    file names of the sub-modules."""
    d = Design()
    subs = []
    with d.components(d.top):
        r = d.arena.mk_reg("r", 4)
        d.arena.mark_as_io(r, False, "r")
        if with_sub:
            sub = d.arena.mk_module("sub")
            with d.components(sub):
                d.arena.mk_reg("q", 2)
            subs.append(f"MODULE_sub_{sub.global_id}")
    with d.flow(d.top):
        with d.seq():
            d.assign(r, 1)
    d.arena.set_top_module(d.top)
    d.arena.build_flow()
    return v.BackendVerilog(d.arena), subs


@pytest.mark.parametrize(
    "out, top, arg, problem",
    [
        ("", "top", "output_dir",
         "the output directory must not be empty (give \".\" for the current directory)"),
        ("{dir}\x00x", "top", "output_dir",
         "the output directory contains a NUL character at byte {n}, which no file path can "
         "hold; remove it"),
        ("{dir}", "", "top_file_name",
         "the top file name must not be empty: the top module is written to "
         "\"{{output_dir}}/{{top_file_name}}.v\""),
        ("{dir}", "to\x00p", "top_file_name",
         "the top file name contains a NUL character at byte 2, which no file path can hold; "
         "remove it"),
    ],
    ids=["empty_dir", "nul_in_dir", "empty_file", "nul_in_file"],
)  # fmt: skip
def test_unusable_paths_are_refused_before_writing(tmp_path, out, top, arg, problem):
    backend, _ = built_backend()
    out = out.format(dir=tmp_path)
    with pytest.raises(ValueError) as e:
        backend.emit(out, top)
    assert str(e.value) == f"argument '{arg}': " + problem.format(n=len(str(tmp_path)))
    assert list(tmp_path.iterdir()) == []
    backend.emit(str(tmp_path), "top")
    assert [p.name for p in tmp_path.iterdir()] == ["top.v"]


def test_emit_without_a_top_module_is_refused(tmp_path):
    backend = v.BackendVerilog(v.ModelArena())
    with pytest.raises(ValueError) as e:
        backend.emit(str(tmp_path), "top")
    assert str(e.value) == (
        "BackendVerilog::phase_init — no top module set on arena; call set_top_module and "
        "build_flow before BackendVerilog(arena)"
    )


def test_top_file_name_that_is_another_modules_file_name_is_refused(tmp_path):
    backend, (sub_file,) = built_backend(with_sub=True)
    with pytest.raises(ValueError) as e:
        backend.emit(str(tmp_path), sub_file)
    assert str(e.value) == (
        f"BackendVerilog::phase_emit — top file name \"{sub_file}\" is also the file name of "
        f"module {sub_file}, so one file would overwrite the other; choose another top file name"
    )
    assert list(tmp_path.iterdir()) == []


def test_missing_output_directory_is_an_os_error_naming_the_file(tmp_path):
    backend, _ = built_backend()
    missing = tmp_path / "missing"
    with pytest.raises(FileNotFoundError) as e:
        backend.emit(str(missing), "top")
    path = f"{missing}/top.v"
    assert e.value.errno == errno.ENOENT
    assert e.value.filename == path
    assert e.value.strerror == (
        f"BackendVerilog::phase_emit — cannot open {path}: No such file or directory"
    )
    assert list(tmp_path.iterdir()) == []


WRITE_PAST_THE_FILE_SIZE_LIMIT = """
import os, resource, signal, sys
sys.path.insert(0, {tests!r})
from test_emit_files import built_backend

out = {out!r}
with open(os.path.join(out, "top.v"), "w") as f:
    f.write("old top")
backend, _ = built_backend(with_sub=True)
signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
resource.setrlimit(resource.RLIMIT_FSIZE, (200, resource.RLIM_INFINITY))
try:
    backend.emit(out, "top")
except OSError as e:
    print("R:", e.errno, e.filename, e.strerror, flush=True)
resource.setrlimit(resource.RLIMIT_FSIZE, (resource.RLIM_INFINITY, resource.RLIM_INFINITY))
print("R:", sorted(os.listdir(out)), open(os.path.join(out, "top.v")).read(), flush=True)
backend.emit(out, "top")
text = open(os.path.join(out, "top.v")).read()
print("R:", len(os.listdir(out)), text.startswith("old"), "endmodule" in text, flush=True)
"""


def test_write_failure_leaves_no_truncated_file_and_keeps_the_old_one(tmp_path):
    # Run apart: the file size limit is process-wide.
    tests = os.path.dirname(os.path.abspath(__file__))
    out = run_fresh(WRITE_PAST_THE_FILE_SIZE_LIMIT.format(tests=tests, out=str(tmp_path)))
    top = f"{tmp_path}/top.v"
    assert [line for line in out.splitlines() if line.startswith("R: ")] == [
        f"R: {errno.EFBIG} {top} BackendVerilog::phase_emit — cannot write {top}: File too large",
        "R: ['top.v'] old top",
        "R: 2 False True",
    ]


def unusable_output(tmp_path, kind):
    """(output_dir, the path emit fails on, the action, the errno, the system's text) for a file
    system that refuses the top file in one way."""
    if kind == "dir_is_a_file":
        out = tmp_path / "plain"
        out.write_text("not a folder")
        return out, f"{out}/top.v", "open", errno.ENOTDIR
    if kind == "top_file_is_a_folder":
        (tmp_path / "top.v").mkdir()
        return tmp_path, f"{tmp_path}/top.v", "replace", errno.EISDIR
    raise AssertionError(kind)


@pytest.mark.parametrize(
    "kind, error",
    [("dir_is_a_file", NotADirectoryError), ("top_file_is_a_folder", IsADirectoryError)],
)
def test_unusable_output_path_is_an_os_error_naming_the_file(tmp_path, kind, error):
    backend, _ = built_backend(with_sub=True)
    out, path, action, code = unusable_output(tmp_path, kind)
    before = sorted(p.name for p in tmp_path.iterdir())
    with pytest.raises(error) as e:
        backend.emit(str(out), "top")
    assert e.value.errno == code
    assert e.value.filename == path
    assert e.value.strerror == (
        f"BackendVerilog::phase_emit — cannot {action} {path}: {os.strerror(code)}"
    )
    assert path in str(e.value)
    assert sorted(p.name for p in tmp_path.iterdir()) == before


EMIT_INTO_A_READ_ONLY_FOLDER = """
import os, sys
sys.path.insert(0, {tests!r})
from test_emit_files import built_backend

backend, _ = built_backend()
if os.geteuid() == 0:
    # root writes anywhere; an ordinary user meets the folder's mode
    os.setgid(65534)
    os.setuid(65534)
try:
    backend.emit({out!r}, "top")
except OSError as e:
    print("R:", type(e).__name__, e.errno, e.filename, e.strerror, flush=True)
print("R:", os.listdir({out!r}), flush=True)
"""


def test_read_only_output_folder_is_an_os_error_naming_the_file():
    # Apart, and outside pytest's own private temporary folder, so that a dropped user can reach
    # it; the folder is readable and searchable by all but writable by none.
    tests = os.path.dirname(os.path.abspath(__file__))
    with tempfile.TemporaryDirectory() as tmp:
        os.chmod(tmp, 0o555)
        try:
            out = run_fresh(EMIT_INTO_A_READ_ONLY_FOLDER.format(tests=tests, out=tmp))
        finally:
            os.chmod(tmp, 0o755)
    path = f"{tmp}/top.v"
    assert [line for line in out.splitlines() if line.startswith("R: ")] == [
        f"R: PermissionError {errno.EACCES} {path} BackendVerilog::phase_emit — cannot open "
        f"{path}: {os.strerror(errno.EACCES)}",
        "R: []",
    ]


@pytest.mark.parametrize(
    "top, written",
    [("top", "top.v"), ("top.v", "top.v"), ("top.sv", "top.sv.v"), ("top.v.v", "top.v.v")],
)
def test_top_file_name_ending_in_v_is_not_given_a_second_v(tmp_path, top, written):
    backend, _ = built_backend()
    backend.emit(str(tmp_path), top)
    assert [p.name for p in tmp_path.iterdir()] == [written]
    assert (tmp_path / written).read_text().rstrip().endswith("endmodule")


def test_top_file_name_with_v_that_is_another_modules_file_is_refused(tmp_path):
    backend, (sub_file,) = built_backend(with_sub=True)
    with pytest.raises(ValueError) as e:
        backend.emit(str(tmp_path), sub_file + ".v")
    assert str(e.value) == (
        f"BackendVerilog::phase_emit — top file name \"{sub_file}.v\" is also the file name of "
        f"module {sub_file}, so one file would overwrite the other; choose another top file name"
    )
    assert list(tmp_path.iterdir()) == []


def _arbiter_reading(a, foreign):
    arb = a.mk_arb("a", v.ArbSamePriPolicy.AckOne)
    a.arb_add_leaf(arb, 1)
    a.arb_set_master_ack(arb, foreign)


def _mux_reading(a, foreign):
    a.mark_as_io(a.gen_mux("m", foreign, None, 1, 0, width=1), False, "m")


@pytest.mark.parametrize("read", [_arbiter_reading, _mux_reading], ids=["arbiter", "gen_mux"])
def test_signal_of_another_module_tree_is_refused_before_anything_is_written(tmp_path, read):
    a = v.ModelArena()
    other = a.mk_module("other")
    a.track_module_at_com_init(other)
    foreign = a.mk_wire("foreign", 1)
    a.untrack_module_at_com_init(other)
    top = a.mk_module("top")
    a.track_module_at_com_init(top)
    read(a, foreign)
    a.untrack_module_at_com_init(top)
    a.set_top_module(top)
    a.build_flow()
    backend = v.BackendVerilog(a)
    message = (f"emit: WIRE_foreign_{foreign.global_id} belongs to the module tree of "
               f"MODULE_other_{other.global_id}, but MODULE_top_{top.global_id} belongs to that "
               f"of MODULE_top_{top.global_id}; signals of different module trees cannot be "
               "connected")
    for _ in range(2):  # refused again, the same way: nothing was changed
        with pytest.raises(ValueError) as e:
            backend.emit(str(tmp_path), "top")
        assert str(e.value) == message
    assert list(tmp_path.iterdir()) == []
