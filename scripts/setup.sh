#!/usr/bin/env bash
# Installs everything velmora needs on a fresh Debian machine, then builds and installs _velmora.
set -euo pipefail
cd "$(dirname "$0")/.."

need_apt=()
command -v iverilog >/dev/null 2>&1 || need_apt+=(iverilog)
command -v verilator >/dev/null 2>&1 || need_apt+=(verilator)
[ -f /usr/include/gtest/gtest.h ] || need_apt+=(libgtest-dev)
command -v cmake >/dev/null 2>&1 || need_apt+=(cmake)
command -v g++ >/dev/null 2>&1 || need_apt+=(g++)
if [ ${#need_apt[@]} -gt 0 ]; then
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${need_apt[@]}" >/dev/null
fi

python3 -m pip install -q --disable-pip-version-check scikit-build-core nanobind ninja \
    -r tests/requirements.txt
python3 -m pip install -q --disable-pip-version-check --no-build-isolation \
    -Cbuild-dir=build/py .
