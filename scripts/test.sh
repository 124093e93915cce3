#!/usr/bin/env bash
# Runs every test: installs what the tests need, starts the local mail servers, builds and runs
# the suite, then again under AddressSanitizer and UndefinedBehaviorSanitizer (with clang, which
# also builds the fuzzers), and gives each fuzzer a short run.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc)

bash scripts/install-deps.sh
export QEL_REQUIRE_SERVERS=1
export QEL_REGISTRY="$root/build/test-registry"

bash scripts/mail-servers.sh start
trap 'bash scripts/mail-servers.sh stop >/dev/null 2>&1 || true' EXIT

echo "== build and test (release)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j1

echo "== build and test (AddressSanitizer + UndefinedBehaviorSanitizer, clang, with fuzzers)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DQEL_SANITIZE=ON -DQEL_FUZZ=ON >/dev/null
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j1

echo "== short fuzz runs"
bash scripts/fuzz-short.sh build-asan
