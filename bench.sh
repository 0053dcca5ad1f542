#!/usr/bin/env bash
# Installs what is missing, builds, and runs the benchmark (a few minutes).
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/build.sh build
QT_QPA_PLATFORM=offscreen build/bench/verolan_bench "$@"
