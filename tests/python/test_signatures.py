"""What users and their tools see of the methods: real parameters, defaults and result types in
inspect.signature and help(), a docstring on every method, and a type stub that type-checks the
examples and the pure-Python package."""

import glob
import inspect
import os
import pydoc
import shutil
import subprocess
import sys

import pytest

import _velmora as v

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "fuzz"))

from surface import ARENA_METHODS, BACKEND_METHODS  # noqa: E402

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
METHODS = [(v.ModelArena, n, p) for n, p in sorted(ARENA_METHODS.items())] + [
    (v.BackendVerilog, n, p) for n, p in sorted(BACKEND_METHODS.items())
]
IDS = [f"{cls.__name__}.{name}" for cls, name, _ in METHODS]


def bound(cls, name):
    obj = v.ModelArena() if cls is v.ModelArena else v.BackendVerilog(v.ModelArena())
    return getattr(obj, name)


@pytest.mark.parametrize("cls, name, params", METHODS, ids=IDS)
def test_every_method_signature_names_its_parameters(cls, name, params):
    sig = inspect.signature(bound(cls, name))
    kinds = {p.kind for p in sig.parameters.values()}
    assert kinds <= {inspect.Parameter.POSITIONAL_OR_KEYWORD}
    assert list(sig.parameters) == [p for p, _ in params]
    assert all(p.annotation is not inspect.Parameter.empty for p in sig.parameters.values())
    assert sig.return_annotation is not inspect.Parameter.empty


@pytest.mark.parametrize("cls, name, params", METHODS, ids=IDS)
def test_every_method_has_a_docstring(cls, name, params):
    doc = getattr(cls, name).__doc__
    first_line, _, paragraph = doc.partition("\n\n")
    assert first_line.startswith(f"{name}(self")
    assert len(paragraph.split()) >= 5


@pytest.mark.parametrize(
    "method, defaults",
    [
        ("mk_expression", {"a_slice": None, "b_slice": None}),
        ("gen_mux", {"true_slice": None, "false_slice": None, "width": None}),
        ("mk_flow_block_pip", {"priority": None, "auto_req": False, "auto_restart": False}),
        ("mk_flow_block_zync", {"priority": None, "auto_ack": False}),
        ("dyn_counter_add", {"addend_slice": None, "enable_i": None, "enable_slice": None}),
        ("mk_reg", {}),
    ],
)
def test_signature_shows_the_defaults_a_call_gets(method, defaults):
    sig = inspect.signature(getattr(v.ModelArena(), method))
    shown = {n: p.default for n, p in sig.parameters.items() if p.default is not p.empty}
    assert shown == defaults


def test_signature_types_are_the_classes_of_the_module():
    sig = inspect.signature(v.ModelArena().mk_mem_ele)
    assert sig.parameters["master_mem_blk_i"].annotation is v.HcpIdent
    assert sig.parameters["is_read"].annotation is bool
    assert sig.return_annotation is v.HcpIdent
    assert str(inspect.signature(v.Slice)) == "(start: int, stop: int) -> None"


def test_help_shows_parameters_and_docstring():
    text = pydoc.render_doc(v.ModelArena.mk_reg, renderer=pydoc.plaintext)
    assert "mk_reg(self, name: str, bit_width: int) -> _velmora.HcpIdent" in text
    assert "Makes a register" in text


def test_stub_and_typed_marker_are_installed():
    stub = os.path.join(os.path.dirname(v.__file__), "_velmora.pyi")
    with open(stub) as f:
        text = f.read()
    assert "def mk_reg(self, name: str, bit_width: int) -> HcpIdent:" in text
    import velmora

    assert os.path.isfile(os.path.join(os.path.dirname(velmora.__file__), "py.typed"))


def test_mypy_accepts_the_examples_and_the_package(tmp_path):
    pytest.importorskip("mypy")
    # mypy finds no stub of a top-level module in site-packages: it reads the installed one from
    # a directory of its own.
    shutil.copy(os.path.join(os.path.dirname(v.__file__), "_velmora.pyi"), tmp_path)
    env = dict(os.environ, MYPYPATH=str(tmp_path))
    targets = sorted(glob.glob(os.path.join(ROOT, "examples", "*.py")))
    targets.append(os.path.join(ROOT, "python", "velmora"))
    run = subprocess.run(
        [sys.executable, "-m", "mypy", "--no-incremental", "--cache-dir", str(tmp_path / "cache"),
         *targets],
        env=env, capture_output=True, text=True, cwd=tmp_path,
    )
    assert run.returncode == 0, run.stdout + run.stderr
