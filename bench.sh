#!/usr/bin/env bash
# Installs what is missing, builds, and runs the benchmark (a few minutes).
set -euo pipefail
cd "$(dirname "$0")"
# postgresql: --server starts a throwaway server
scripts/install-deps.sh postgresql
scripts/build.sh build
QT_QPA_PLATFORM=offscreen build/bench/verolan_bench "$@"
