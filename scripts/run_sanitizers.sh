#!/usr/bin/env bash
# Builds the C++ tests and the extension with AddressSanitizer and UndefinedBehaviorSanitizer,
# then runs ctest, pytest and a fuzz batch under them. Takes a good while on two cores; it is not
# part of run_tests.sh. Builds go to build/san-*, the extension into a venv of its own
# (build/san-venv), so the normal build and install stay as they are.
#
#   bash scripts/run_sanitizers.sh            # everything
#   FUZZ_SEEDS=0:2000 bash scripts/run_sanitizers.sh
set -euo pipefail
cd "$(dirname "$0")/.."

SAN="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g"
FUZZ_SEEDS="${FUZZ_SEEDS:-0:3000}"

echo "== C++ tests (ASan + UBSan)"
cmake -S . -B build/san-cpp -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_BUILD_TESTS=ON \
    "-DCMAKE_CXX_FLAGS=$SAN" "-DCMAKE_EXE_LINKER_FLAGS=$SAN" >/dev/null
cmake --build build/san-cpp -j2
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=0:halt_on_error=1:exitcode=86"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:exitcode=87"
(cd build/san-cpp && ctest --output-on-failure -j2)

echo "== extension (ASan + UBSan)"
[ -x build/san-venv/bin/python ] || python3 -m venv --system-site-packages build/san-venv
build/san-venv/bin/python -m pip install -q --disable-pip-version-check --no-build-isolation \
    -Cbuild-dir=build/san-py -Ccmake.build-type=RelWithDebInfo -Ccmake.define.VELMORA_BUILD_STUB=OFF \
    "-Ccmake.define.CMAKE_CXX_FLAGS=$SAN" "-Ccmake.define.CMAKE_SHARED_LINKER_FLAGS=$SAN" .

# The interpreter itself is not instrumented: the runtime is preloaded (with libstdc++, so that
# exceptions crossing the extension resolve to one copy), and Python's allocator is bypassed so
# that ASan sees every allocation.
LIBASAN="$(g++ -print-file-name=libasan.so)"
LIBSTDCXX="$(g++ -print-file-name=libstdc++.so)"
run_san() {
    LD_PRELOAD="$LIBASAN $LIBSTDCXX" PYTHONMALLOC=malloc "$@"
}

echo "== pytest (ASan + UBSan)"
# The stub is not built here (see VELMORA_BUILD_STUB), so its tests are left out.
run_san build/san-venv/bin/python -m pytest -q -p no:cacheprovider tests/python \
    -k "not stub_and_typed_marker and not mypy"

echo "== fuzz batch $FUZZ_SEEDS (ASan + UBSan)"
run_san build/san-venv/bin/python tests/fuzz/run_fuzz.py --seeds "$FUZZ_SEEDS" --batch 40 \
    --timeout 1800

echo "== sanitizers: clean"
