#!/usr/bin/env bash
# Sets the machine up, then runs the bundled example designs end to end with the checkout's
# virtual environment (.venv), which setup.sh makes.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh examples
PY=.venv/bin/python
out="${1:-out}"
for example in seq_demo loop_demo karray_demo pipeline_demo; do
    echo "== example $example"
    "$PY" "examples/$example.py" "$out/$example"
done
