#!/usr/bin/env bash
# Sets the machine up, then runs the whole test suite: C++ unit tests, the Python tests (which
# include the simulation and lint checks of emitted Verilog), then a fixed batch of the fuzzer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

cmake -S . -B build/cpp -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_BUILD_TESTS=ON \
    -DVELMORA_BUILD_EXAMPLES=ON >/dev/null
cmake --build build/cpp -j2
(cd build/cpp && ctest --output-on-failure -j2)

python3 -m pytest -q tests/python

python3 tests/fuzz/run_fuzz.py
