#!/usr/bin/env bash
# Builds the fuzz targets into ./build-fuzz and runs each for a bounded time
# (default 60 s each). Fails when a target finds a crash, hang or leak; the input
# that caused it lands in build-fuzz/findings/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"

scripts/install-deps.sh clang-14 libclang-rt-14-dev

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DVEROLAN_FUZZ=ON >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target fuzz_reportdefinition fuzz_restorecheck fuzz_csvreader fuzz_junitresults

status=0
for target in reportdefinition restorecheck csvreader junitresults; do
  # New inputs go to a working corpus; the seeds in the repository stay as committed.
  work="build-fuzz/corpus/$target"
  findings="build-fuzz/findings/$target"
  mkdir -p "$work" "$findings"
  echo "== fuzz_$target for ${seconds}s"
  if ! QT_QPA_PLATFORM=offscreen "build-fuzz/fuzz/fuzz_$target" \
      -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -max_len=65536 \
      -artifact_prefix="$findings/" -print_final_stats=1 \
      "$work" "fuzz/corpus/$target"; then
    echo "fuzz_$target: finding in $findings" >&2
    status=1
  fi
done
exit $status
