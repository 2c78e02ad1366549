#!/usr/bin/env bash
# Sets the machine up, then runs the bundled example design end to end.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
out="${1:-out}"
python3 examples/seq_demo.py "$out/seq_demo"
python3 examples/loop_demo.py "$out/loop_demo"
python3 examples/karray_demo.py "$out/karray_demo"
python3 examples/pipeline_demo.py "$out/pipeline_demo"
