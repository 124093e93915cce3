#!/bin/sh
# Builds the libFuzzer targets with clang and runs each for a short time (default 30 s) from
# its seed corpus in tests/fuzz/corpus/<name>/. New inputs go to a scratch directory, so the
# seed corpus in the repository stays as it is. Fails when a fuzzer finds a crash. The mail
# fuzzers are fuzz_mail_parse (whole mails), fuzz_mail_decode (header and text decoders) and
# fuzz_mail_secure (EHLO capabilities, APOP timestamps, UIDL listings).
#
#   scripts/fuzz-short.sh [SECONDS] [FUZZER...]
#
# Environment: QEL_FUZZ_BUILD (build directory, default build-fuzz), QEL_FUZZ_JOBS (ninja -j),
# QEL_FUZZ_PARALLEL (how many fuzzers run at once, default 1).
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${QEL_FUZZ_BUILD:-$ROOT/build-fuzz}
SECONDS_EACH=${1:-30}
[ $# -gt 0 ] && shift
JOBS=${QEL_FUZZ_JOBS:-2}
PARALLEL=${QEL_FUZZ_PARALLEL:-1}

if [ $# -gt 0 ]; then
    FUZZERS="$*"
else
    FUZZERS=$(cd "$ROOT/tests/fuzz" && ls fuzz_*.cpp | sed 's/\.cpp$//')
fi

if [ ! -f "$BUILD/build.ninja" ]; then
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
        -DQEL_FUZZ=ON -DQEL_BUILD_BENCH=OFF >/dev/null
fi
# shellcheck disable=SC2086
ninja -C "$BUILD" -j"$JOBS" $FUZZERS

SCRATCH=$(mktemp -d)
trap 'rm -rf "$SCRATCH"' EXIT
# Runs one fuzzer from its seeds; its exit status is the fuzzer's.
run() {
    F=$1
    SEEDS="$ROOT/tests/fuzz/corpus/$F"
    mkdir -p "$SCRATCH/$F" "$SCRATCH/$F-artifacts"
    "$BUILD/bin/$F" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$SCRATCH/$F-artifacts/" \
        "$SCRATCH/$F" $( [ -d "$SEEDS" ] && echo "$SEEDS" ) >"$SCRATCH/$F.log" 2>&1
}

# Waits for one fuzzer (its process id, then its name) and reports how it ended.
report() {
    P=$1
    F=$2
    echo "== $F: ${SECONDS_EACH}s"
    if ! wait "$P"; then
        STATUS=1
        tail -n 60 "$SCRATCH/$F.log"
        for A in "$SCRATCH/$F-artifacts"/*; do
            [ -f "$A" ] || continue
            mkdir -p "$BUILD/fuzz-artifacts"
            cp "$A" "$BUILD/fuzz-artifacts/"
            echo "crashing input kept in $BUILD/fuzz-artifacts/$(basename "$A")"
        done
    else
        grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|#[0-9]+ +DONE)' \
            "$SCRATCH/$F.log" || true
    fi
}

# The fuzzers run PARALLEL at a time, each on its own core; their reports come in the order
# of the list.
STATUS=0
RUNNING=""
for F in $FUZZERS; do
    run "$F" &
    RUNNING="$RUNNING $!:$F"
    if [ $(echo $RUNNING | wc -w) -ge "$PARALLEL" ]; then
        for R in $RUNNING; do report "${R%%:*}" "${R#*:}"; done
        RUNNING=""
    fi
done
for R in $RUNNING; do report "${R%%:*}" "${R#*:}"; done
exit $STATUS
