#!/usr/bin/env bash
# Installs what is missing, builds the program alone, installs it into ~/.local
# and starts it. Its data then lives in ~/.local/share/verolan, outside this folder;
# installing again leaves it alone.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build-run -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF \
  -DCMAKE_INSTALL_PREFIX="$HOME/.local" >/dev/null
cmake --build build-run -j"$(nproc)"
cmake --install build-run >/dev/null
exec "$HOME/.local/bin/verolan"
