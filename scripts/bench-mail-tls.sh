#!/usr/bin/env bash
# The secured send yardstick: one message with a 20 MB attachment over STARTTLS with a login,
# to the local Postfix submission port (scripts/mail-servers.sh), by `qel-mail send --security
# starttls --line-pause 0` and by Python's smtplib (starttls, login) sending the same kind of
# message, both checking the server certificate against the test CA.
# Usage: scripts/bench-mail-tls.sh [BUILD_DIR] [RUNS]   (default build, 1 run; best run counts)
# MB = 10^6 bytes. Ratios above 1 mean qel-mail took longer than the reference.
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build}"
runs="${2:-1}"
tool="$build/bin/qel-mail"
py=/usr/bin/python3
[ -x "$tool" ] || { echo "bench-mail-tls: $tool not built (ninja -C $build qel-mail)" >&2; exit 1; }

work="$(mktemp -d /tmp/qel-bench-mail-tls.XXXXXX)"
trap 'rm -rf "$work"' EXIT

best_of() { # CMD... -> "WALL CPU", the shortest of $runs runs, in seconds
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

eval "$("$here/scripts/mail-servers.sh" start)"
host="${QEL_SMTP_HOST:-127.0.0.1}"
port="${QEL_SUBMISSION_PORT:-2587}"
ca="${QEL_MAIL_CA:-/tmp/qel-mail/tls/ca.crt}"
maildir="${QEL_MAILDIR_BOB:-/tmp/qel-mail/mail/bob/Maildir}"
size=20000000
head -c "$size" /dev/urandom > "$work/attach.bin"
printf 'Twenty megabytes follow.\n' > "$work/body.txt"
printf 'alicepw\n' > "$work/password"
token="benchtls$$"

send_qel() {
    "$tool" send --host "$host" --port "$port" --from alice@example.test \
        --to bob@example.test --subject "$token qel" --body-file "$work/body.txt" \
        --attach "$work/attach.bin" --line-pause 0 --security starttls --ca-file "$ca" \
        --user alice --password-file "$work/password" --quiet
}
cat > "$work/send.py" <<'PY'
import sys, smtplib, ssl
from email.mime.multipart import MIMEMultipart
from email.mime.text import MIMEText
from email.mime.application import MIMEApplication
host, port, subject, body, attach, ca = sys.argv[1:7]
msg = MIMEMultipart()
msg['From'] = 'alice@example.test'
msg['To'] = 'bob@example.test'
msg['Subject'] = subject
msg.attach(MIMEText(open(body).read(), 'plain', 'iso-8859-1'))
part = MIMEApplication(open(attach, 'rb').read(), 'octet-stream')
part.add_header('Content-Disposition', 'attachment', filename='attach.bin')
msg.attach(part)
with smtplib.SMTP(host, int(port)) as s:
    s.starttls(context=ssl.create_default_context(cafile=ca))
    s.login('alice', 'alicepw')
    s.sendmail('alice@example.test', ['bob@example.test'], msg.as_bytes())
PY
send_py() {
    "$py" "$work/send.py" "$host" "$port" "$token py" "$work/body.txt" "$work/attach.bin" "$ca"
}

read -r t_qel c_qel <<< "$(best_of send_qel)"
read -r t_py c_py <<< "$(best_of send_py)"
echo "SMTP STARTTLS 20 MB attachment, wall: qel-mail send $t_qel s, Python smtplib $t_py s, ratio $(ratio "$t_qel" "$t_py")"
echo "SMTP STARTTLS 20 MB attachment, client CPU: qel-mail $c_qel s, Python $c_py s, ratio $(ratio "$c_qel" "$c_py")"

sleep 1
grep -l -s "$token" "$maildir"/new/* "$maildir"/cur/* 2>/dev/null | xargs -r rm -f
