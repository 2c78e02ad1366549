#!/usr/bin/env bash
# Sets the machine up, then runs the bundled example design end to end.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
python3 examples/seq_demo.py "${1:-out/seq_demo}"
