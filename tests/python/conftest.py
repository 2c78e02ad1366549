"""Shared fixtures of the binding tests."""

from __future__ import annotations

import subprocess
import sys
import textwrap

import pytest

import _velmora as v


@pytest.fixture
def arena() -> v.ModelArena:
    return v.ModelArena()


@pytest.fixture
def top(arena: v.ModelArena) -> v.ModuleIdent:
    """A module tracked at component init, so that components can be created."""
    module = arena.mk_module("top")
    arena.track_module_at_com_init(module)
    return module


def run_fresh(code: str) -> str:
    """Runs `code` in a fresh interpreter (global ids start at 0 there); returns its stdout."""
    result = subprocess.run(
        [sys.executable, "-c", textwrap.dedent(code)],
        capture_output=True,
        text=True,
        check=False,
    )
    assert result.returncode == 0, result.stderr
    return result.stdout
