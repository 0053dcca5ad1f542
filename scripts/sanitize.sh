#!/usr/bin/env bash
# Builds Verolan with AddressSanitizer and UndefinedBehaviorSanitizer into
# ./build-sanitize and runs the whole test suite; any finding fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh poppler-utils postgresql # pdftotext reads exported PDFs back; the tests start a throwaway server
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVEROLAN_SANITIZE=ON >/dev/null
cmake --build build-sanitize -j"$(nproc)"
cd build-sanitize
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
export LSAN_OPTIONS="suppressions=$PWD/../scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --output-on-failure -j"$(nproc)"
