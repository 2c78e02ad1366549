#!/usr/bin/env bash
# Sets a fresh Debian machine up for velmora and builds it, once:
#
#   bash scripts/setup.sh examples   # what the examples need (no C++ tests, no test packages)
#   bash scripts/setup.sh tests      # also GoogleTest, the C++ tests and the test packages
#
# Python packages go into a virtual environment in the checkout (.venv, which sees the system's
# packages), never into the system's Python: Debian's refuses pip ("externally managed"). The
# extension is built with scikit-build-core into build/py; with `tests` the same build tree also
# holds the C++ unit tests and the C++ example, so the core is compiled once for both and
# `ctest --test-dir build/py` runs the C++ tests. PYTHON picks the interpreter the venv is made
# from (default python3).
set -euo pipefail
cd "$(dirname "$0")/.."

mode="${1:-tests}"
case "$mode" in
    examples | tests) ;;
    *)
        echo "usage: bash scripts/setup.sh [examples|tests]" >&2
        exit 2
        ;;
esac
PYTHON="${PYTHON:-python3}"
VENV=.venv

stage() { echo "== setup: $*"; }

# Runs a command with its whole output in a log, showing the lines that match a pattern; on a
# failure shows the end of the log and stops.
run_shown() {
    local log="$1" pattern="$2"
    shift 2
    mkdir -p "$(dirname "$log")"
    set +e
    "$@" 2>&1 | tee "$log" | grep -E --line-buffered "$pattern"
    local status="${PIPESTATUS[0]}"
    set -e
    if [ "$status" -ne 0 ]; then
        tail -n 60 "$log" >&2
        echo "setup: failed: $* (whole output in $log)" >&2
        exit "$status"
    fi
}

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
apt_install() {
    stage "installing Debian packages: $*"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "$@"
}

need_apt=()
command -v g++ >/dev/null 2>&1 || need_apt+=(g++)
command -v cmake >/dev/null 2>&1 || need_apt+=(cmake)
command -v iverilog >/dev/null 2>&1 || need_apt+=(iverilog)
if [ "$mode" = tests ]; then
    command -v verilator >/dev/null 2>&1 || need_apt+=(verilator)
    [ -f /usr/include/gtest/gtest.h ] || need_apt+=(libgtest-dev)
fi
command -v "$PYTHON" >/dev/null 2>&1 || need_apt+=(python3)
if [ ${#need_apt[@]} -gt 0 ]; then apt_install "${need_apt[@]}"; fi

# Debian splits venv (with the pip it bootstraps) and the C headers out of its Python.
need_apt=()
"$PYTHON" -c "import ensurepip, venv" >/dev/null 2>&1 || need_apt+=(python3-venv)
"$PYTHON" - <<'EOF' || need_apt+=(python3-dev)
import os, sys, sysconfig
sys.exit(0 if os.path.exists(os.path.join(sysconfig.get_paths()["include"], "Python.h")) else 1)
EOF
if [ ${#need_apt[@]} -gt 0 ]; then
    if [ "$(readlink -f "$(command -v "$PYTHON")")" != "$(readlink -f /usr/bin/python3)" ]; then
        echo "setup: $PYTHON lacks ${need_apt[*]} and is not Debian's python3; install them for" \
            "it, or run with PYTHON=/usr/bin/python3" >&2
        exit 1
    fi
    echo "setup: Debian's python3 lacks ${need_apt[*]} (needed to make a venv and build the extension)"
    apt_install "${need_apt[@]}"
fi

if ! "$VENV/bin/python" -c "import sys" >/dev/null 2>&1; then
    stage "making the virtual environment $VENV (from $PYTHON, seeing its packages)"
    rm -rf "$VENV"
    "$PYTHON" -m venv --system-site-packages "$VENV"
fi
PY="$VENV/bin/python"
PIP=("$PY" -m pip --disable-pip-version-check)

packages=(scikit-build-core nanobind ninja)
[ "$mode" = tests ] && packages+=(-r tests/requirements.txt)
stage "installing Python packages into $VENV: ${packages[*]}"
run_shown build/setup-pip.log "^(Collecting|Installing|Successfully)" \
    "${PIP[@]}" install --progress-bar off "${packages[@]}"

defines=()
if [ "$mode" = tests ]; then
    defines+=(--config-settings=cmake.define.VELMORA_BUILD_TESTS=ON
        --config-settings=cmake.define.VELMORA_BUILD_EXAMPLES=ON)
fi
stage "building the core and the extension into build/py (C++ tests too: $([ "$mode" = tests ] && echo yes || echo no)); the first build takes several minutes"
# The build's own progress lines ([n/total] per compiled file) are shown as they come.
# (--config-settings in full: Debian 12's pip predates its short form -C.)
run_shown build/setup-build.log "^ *\[[0-9]+/[0-9]+\]|warning:|^-- (Configuring|Generating) done|Successfully installed" \
    "${PIP[@]}" install -v --no-build-isolation --config-settings=build-dir=build/py "${defines[@]}" .
stage "done; Python is $PY"
