#!/usr/bin/env bash
# Decoding and parsing a mail with a 50 MB base64 attachment: this package's decoder and parser
# against coreutils `base64 -d` and Python's email package on the identical input, one run each.
# Usage: scripts/bench-mail-parse.sh [BUILD_DIR] [ATTACHMENT_BYTES]
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
size="${2:-50000000}"
bench="$build/bin/bench_mail_parse"
py=/usr/bin/python3
[ -x "$bench" ] || { echo "missing $bench: build the bench_mail_parse target" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$bench" --size "$size" --write-message "$work/msg.eml" --write-base64 "$work/att.b64"

seconds() { # command... -> wall seconds of one run
    local t0 t1
    t0=$(date +%s.%N)
    "$@" >/dev/null
    t1=$(date +%s.%N)
    echo "$t1 - $t0" | bc -l
}

"$bench" --size "$size" --benchmark_format=json >"$work/ours.json"
read -r own_decode own_parse < <("$py" - "$work/ours.json" <<'PY'
import json, sys
r = {b['name'].split('/')[0]: b['real_time'] / 1000.0 for b in json.load(open(sys.argv[1]))['benchmarks']}
print(r['BM_Base64Decode'], r['BM_ParseMessage'])
PY
)

coreutils=$(seconds base64 -d "$work/att.b64")

cat >"$work/py_parse.py" <<'PY'
import sys, time, email
from email import policy
data = open(sys.argv[1], 'rb').read()
t0 = time.perf_counter()
msg = email.message_from_bytes(data, policy=policy.compat32)
t1 = time.perf_counter()
payload = [p.get_payload(decode=True) for p in msg.walk() if p.get_filename()]
t2 = time.perf_counter()
assert len(payload) == 1 and len(payload[0]) == int(sys.argv[2])
print(t1 - t0, t2 - t0)
PY
read -r py_parse py_parse_decode < <("$py" "$work/py_parse.py" "$work/msg.eml" "$size")

"$py" - "$size" "$own_decode" "$own_parse" "$coreutils" "$py_parse" "$py_parse_decode" <<'PY'
import sys
size, dec, parse, cu, pyp, pypd = int(sys.argv[1]), *map(float, sys.argv[2:])
mb = size / 1e6
print(f"attachment: {mb:.0f} MB")
print(f"base64 decode   qel {dec:7.3f} s   coreutils base64 -d {cu:7.3f} s   ratio qel/coreutils {dec / cu:5.2f}")
print(f"whole parse     qel {parse:7.3f} s   python email parse+decode {pypd:7.3f} s   ratio qel/python {parse / pypd:5.2f}")
print(f"                                    python email parse only   {pyp:7.3f} s")
PY
