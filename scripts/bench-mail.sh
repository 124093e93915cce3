#!/usr/bin/env bash
# Mail sending yardsticks, each measured against a reference peer in the same run:
#   1. base64 encoding of a 50 MB file: `qel-mail encode` (the SMTP component's encoder, the
#      same lines it sends) against coreutils `base64`; the two outputs must be identical.
#   2. one message with a 20 MB attachment to the local Postfix (scripts/mail-servers.sh):
#      `qel-mail send --line-pause 0` against Python's smtplib sending the same message.
# Usage: scripts/bench-mail.sh [BUILD_DIR] [RUNS]   (default build, 3 runs; best run counts)
# MB = 10^6 bytes. Ratios above 1 mean qel-mail took longer than the reference.
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build}"
runs="${2:-3}"
tool="$build/bin/qel-mail"
py=/usr/bin/python3
[ -x "$tool" ] || { echo "bench-mail: $tool not built (ninja -C $build qel-mail)" >&2; exit 1; }

work="$(mktemp -d /tmp/qel-bench-mail.XXXXXX)"
trap 'rm -rf "$work"' EXIT

# best_of CMD...: the shortest wall time and the shortest CPU time (user + system, children
# included) of $runs runs of CMD, in seconds, as "WALL CPU". The machine is shared, so the CPU
# time is the steadier of the two.
best_of() {
    local best="" bestcpu="" line real user sys cpu i
    for ((i = 0; i < runs; i++)); do
        line=$( { TIMEFORMAT='%R %U %S'; time "$@" > /dev/null; } 2>&1 | tail -1)
        read -r real user sys <<< "$line"
        cpu=$(echo "$user + $sys" | bc -l)
        if [ -z "$best" ] || (($(echo "$real < $best" | bc -l))); then best=$real; fi
        if [ -z "$bestcpu" ] || (($(echo "$cpu < $bestcpu" | bc -l))); then bestcpu=$cpu; fi
    done
    echo "$best $bestcpu"
}
ratio() { echo "scale=2; $1 / $2" | bc -l; }
rate() { echo "scale=1; $1 / 1000000 / $2" | bc -l; }

# ---- 1. base64 -----------------------------------------------------------------------------
size=50000000
head -c "$size" /dev/urandom > "$work/b64.bin"
"$tool" encode "$work/b64.bin" > "$work/qel.b64"
base64 "$work/b64.bin" > "$work/ref.b64"
cmp -s "$work/qel.b64" "$work/ref.b64" || { echo "bench-mail: encodings differ" >&2; exit 1; }
rm -f "$work/qel.b64" "$work/ref.b64"
read -r t_qel c_qel <<< "$(best_of sh -c "'$tool' encode '$work/b64.bin'")"
read -r t_ref c_ref <<< "$(best_of sh -c "base64 '$work/b64.bin'")"
echo "base64 50 MB, wall: qel-mail encode $t_qel s ($(rate $size "$t_qel") MB/s), coreutils base64 $t_ref s ($(rate $size "$t_ref") MB/s), ratio $(ratio "$t_qel" "$t_ref")"
echo "base64 50 MB, CPU:  qel-mail encode $c_qel s, coreutils base64 $c_ref s, ratio $(ratio "$c_qel" "$c_ref")"
rm -f "$work/b64.bin"

# ---- 2. SMTP send of a 20 MB attachment ----------------------------------------------------
eval "$("$here/scripts/mail-servers.sh" start)"
host="${QEL_SMTP_HOST:-127.0.0.1}"
port="${QEL_SMTP_PORT:-2525}"
maildir="${QEL_MAILDIR_ALICE:-/tmp/qel-mail/mail/alice/Maildir}"
size=20000000
head -c "$size" /dev/urandom > "$work/attach.bin"
printf 'Twenty megabytes follow.\n' > "$work/body.txt"
token="bench$$"

send_qel() {
    "$tool" send --host "$host" --port "$port" --from bench@example.test \
        --to alice@example.test --subject "$token qel" --body-file "$work/body.txt" \
        --attach "$work/attach.bin" --line-pause 0
}
cat > "$work/send.py" <<'PY'
import sys, smtplib, time
from email.mime.multipart import MIMEMultipart
from email.mime.text import MIMEText
from email.mime.application import MIMEApplication
host, port, subject, body, attach = sys.argv[1:6]
msg = MIMEMultipart()
msg['From'] = 'bench@example.test'
msg['To'] = 'alice@example.test'
msg['Subject'] = subject
msg.attach(MIMEText(open(body).read(), 'plain', 'iso-8859-1'))
part = MIMEApplication(open(attach, 'rb').read(), 'octet-stream')
part.add_header('Content-Disposition', 'inline', filename='attach.bin')
msg.attach(part)
data = msg.as_bytes()
t0 = time.perf_counter()
with smtplib.SMTP(host, int(port)) as s:
    s.sendmail('bench@example.test', ['alice@example.test'], data)
# The dialogue alone, without building the message, for a second comparison.
with open(sys.argv[6], 'a') as f:
    f.write('%.6f\n' % (time.perf_counter() - t0))
PY
send_py() {
    "$py" "$work/send.py" "$host" "$port" "$token py" "$work/body.txt" "$work/attach.bin" \
        "$work/py-dialogue"
}

read -r t_qel c_qel <<< "$(best_of send_qel)"
read -r t_py c_py <<< "$(best_of send_py)"
t_pyd=$(sort -n "$work/py-dialogue" | head -1)
echo "SMTP 20 MB attachment, whole send, wall: qel-mail send $t_qel s, Python email+smtplib $t_py s, ratio $(ratio "$t_qel" "$t_py")"
echo "SMTP 20 MB attachment, whole send, client CPU: qel-mail $c_qel s, Python $c_py s, ratio $(ratio "$c_qel" "$c_py")"
echo "SMTP 20 MB attachment, against smtplib's dialogue alone (message prebuilt, $t_pyd s wall): ratio $(ratio "$t_qel" "$t_pyd")"

# The delivered copies are of no further use; leave the mailbox as it was.
sleep 1
grep -l -s "$token" "$maildir"/new/* "$maildir"/cur/* 2>/dev/null | xargs -r rm -f
