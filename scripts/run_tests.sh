#!/usr/bin/env bash
# Sets the machine up, then runs the whole test suite: C++ unit tests, the Python tests (which
# include the simulation and lint checks of emitted Verilog, the cocotb testbench and the
# documentation pages), then a fixed batch of the fuzzer. Everything runs with the checkout's
# virtual environment (.venv), which setup.sh makes.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh tests
PY=.venv/bin/python

echo "== C++ unit tests (build/py, built with the extension)"
(cd build/py && ctest --output-on-failure -j2)

echo "== Python tests"
"$PY" -m pytest -q tests/python

echo "== fuzz batch"
"$PY" tests/fuzz/run_fuzz.py
