#!/usr/bin/env bash
# Runs every test: installs what the tests need, starts the local mail servers and the private
# PostgreSQL cluster, builds (Release, warnings as errors) and runs the suite, installs the build
# into a temporary prefix and uses it from there, checks the style of changed files, then runs the
# suite again under AddressSanitizer and UndefinedBehaviorSanitizer (with clang, which also builds
# the fuzzers), runs the threaded tests under ThreadSanitizer, and gives each fuzzer a short run.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc)

# Each step's heading carries the minutes since the start, so a run that grows past its budget
# shows which step grew.
started=$(date +%s)
step() { echo "== $* [$(( ($(date +%s) - started) / 60 )) min]"; }

bash scripts/install-deps.sh
export QEL_REQUIRE_SERVERS=1
export QEL_REGISTRY="$root/build/test-registry"

bash scripts/mail-servers.sh start
bash scripts/pg-server.sh start
trap 'bash scripts/mail-servers.sh stop >/dev/null 2>&1 || true; bash scripts/pg-server.sh stop >/dev/null 2>&1 || true' EXIT

step "build and test (release, what users build; warnings are errors here)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DQEL_WERROR=ON -DQEL_BUILD_BENCH=ON \
  >/dev/null
cmake --build build -j"$jobs"
# The test programs are independent processes; test_mail holds the shared mail servers through a
# ctest resource lock, so nothing else that needs them runs beside it.
ctest --test-dir build --output-on-failure --no-tests=error -j"$jobs"

step "install into a temporary prefix: installed programs and two consumer projects"
bash scripts/install-check.sh build

step "style"
bash scripts/style-check.sh build

step "build and test (AddressSanitizer + UndefinedBehaviorSanitizer, clang, with fuzzers)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DQEL_SANITIZE=ON -DQEL_FUZZ=ON -DQEL_WERROR=ON >/dev/null
cmake --build build-asan -j"$jobs"
# Leak reports from the font libraries' own process-wide caches are suppressed (scripts/lsan.supp);
# every other leak fails the run.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"
ctest --test-dir build-asan --output-on-failure --no-tests=error -j"$jobs"

step "thread timer and image scroller (ThreadSanitizer)"
# Only the visual test program and what it links, and only its threaded tests: the worker of the
# thread timer meets the GUI thread there, and nowhere else in the packages.
# -O1 with line tables only: what ThreadSanitizer needs for exact reports, at a fraction of the
# compile time of a full optimised build with debug information.
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQEL_TSAN=ON \
  -DQEL_BUILD_EXAMPLES=OFF -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" >/dev/null
cmake --build build-tsan -j"$jobs" --target test_visual
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 build-tsan/bin/test_visual \
  --gtest_brief=1 --gtest_filter='TimerTest.*:ScrollerTest.*:ScrollerLifetime.*'

step "short fuzz runs"
QEL_FUZZ_BUILD="$root/build-asan" QEL_FUZZ_PARALLEL="$jobs" bash scripts/fuzz-short.sh
step "done"
