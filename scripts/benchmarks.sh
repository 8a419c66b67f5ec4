#!/usr/bin/env bash
# Runs every benchmark in bench/ and measures the program itself, then writes
# docs/BENCHMARKS.md with the machine and the date.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
exec python3 scripts/benchmark_report.py "$@"
