#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test without a display.
set -euo pipefail
cd "$(dirname "$0")"
# postgresql: the tests start a throwaway server for the team database
scripts/install-deps.sh desktop-file-utils appstream poppler-utils postgresql
scripts/build.sh build
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
