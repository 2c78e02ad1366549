"""The fuzzer under tests/fuzz calls every method of the extension: a method added to ModelArena
or BackendVerilog must be added to its table too."""

import os
import sys

import _velmora as v

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "fuzz"))

from surface import ARENA_METHODS, BACKEND_METHODS  # noqa: E402


def public_methods(cls):
    return sorted(n for n in dir(cls) if not n.startswith("_"))


def test_fuzzer_covers_every_model_arena_method():
    assert sorted(ARENA_METHODS) == public_methods(v.ModelArena)


def test_fuzzer_covers_every_backend_method():
    assert sorted(BACKEND_METHODS) == public_methods(v.BackendVerilog)
