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

now() { date +%s.%N; }
# best_of CMD...: the shortest wall time of $runs runs of CMD, in seconds.
best_of() {
    local best="" t0 t1 d i
    for ((i = 0; i < runs; i++)); do
        t0=$(now)
        "$@"
        t1=$(now)
        d=$(echo "$t1 - $t0" | bc -l)
        if [ -z "$best" ] || (($(echo "$d < $best" | bc -l))); then best=$d; fi
    done
    echo "$best"
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
t_qel=$(best_of sh -c "'$tool' encode '$work/b64.bin' > /dev/null")
t_ref=$(best_of sh -c "base64 '$work/b64.bin' > /dev/null")
echo "base64 50 MB: qel-mail encode $t_qel s ($(rate $size "$t_qel") MB/s), coreutils base64 $t_ref s ($(rate $size "$t_ref") MB/s), ratio $(ratio "$t_qel" "$t_ref")"
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
        --attach "$work/attach.bin" --line-pause 0 > /dev/null
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

t_qel=$(best_of send_qel)
t_py=$(best_of send_py)
t_pyd=$(sort -n "$work/py-dialogue" | head -1)
echo "SMTP 20 MB attachment, whole send: qel-mail send $t_qel s, Python email+smtplib $t_py s, ratio $(ratio "$t_qel" "$t_py")"
echo "SMTP 20 MB attachment, against smtplib's dialogue alone (message prebuilt, $t_pyd s): ratio $(ratio "$t_qel" "$t_pyd")"

# The delivered copies are of no further use; leave the mailbox as it was.
sleep 1
grep -l -s "$token" "$maildir"/new/* "$maildir"/cur/* 2>/dev/null | xargs -r rm -f
