#!/usr/bin/env bash
# Local mail servers for the mail tests, reachable on the loopback address only:
#   SMTP (Postfix)  127.0.0.1:2525  accepts mail for alice@example.test and bob@example.test
#                                    and stores it in their Maildirs;
#   POP3 (Dovecot)  127.0.0.1:11110 serves those Maildirs to alice/alicepw and bob/bobpw
#                                    (plain text; STLS offered, APOP accepted).
# Secured ports, with certificates of a test CA made here (DIR/tls/ca.crt):
#   SMTP submission 127.0.0.1:2587  STARTTLS required, AUTH PLAIN/LOGIN checked by Dovecot,
#                                    and only a logged-in client may send;
#   SMTP implicit   127.0.0.1:2465  TLS from the first byte, the same login rules;
#   SMTP STARTTLS   127.0.0.1:2588  with an expired certificate, and 127.0.0.1:2589 with one
#                                    issued for another name (for the failure tests);
#   POP3S           127.0.0.1:11995 TLS from the first byte.
# DIR/tls/other-ca.crt is a second CA that signed none of them.
#
# Usage: scripts/mail-servers.sh start|stop|status|restart [DIR]
# Everything the servers write (configuration, queue, mailboxes, logs, pid files) lives under
# DIR (default /tmp/qel-mail, or $QEL_MAIL_DIR), so they never touch a system instance.
# "start" is idempotent: a server that already answers is left alone. It returns only once both
# ports accept connections and then prints the settings as shell assignments.
# The packages come from scripts/install-deps.sh (postfix, dovecot-pop3d). Must run as root:
# Postfix and Dovecot drop privileges themselves, and mailbox files belong to uid 5000.
set -euo pipefail

cmd="${1:-}"
dir="${2:-${QEL_MAIL_DIR:-/tmp/qel-mail}}"
case "$dir" in /*) ;; *) dir="$(pwd)/$dir" ;; esac

host=127.0.0.1
smtp_port=2525
pop3_port=11110
submission_port=2587
smtps_port=2465
expired_port=2588
wrongname_port=2589
pop3s_port=11995
smtp_ports=("$smtp_port" "$submission_port" "$smtps_port" "$expired_port" "$wrongname_port")
pop3_ports=("$pop3_port" "$pop3s_port")
mail_uid=5000
users=(alice:alicepw bob:bobpw)
domain=example.test

die() { echo "mail-servers: $*" >&2; exit 1; }

port_open() { # port -> 0 when something accepts connections on it
    (exec 3<>"/dev/tcp/$host/$1") 2>/dev/null
}

wait_port() { # port state(open|closed) seconds
    local deadline=$((SECONDS + $3))
    while ((SECONDS <= deadline)); do
        if [ "$2" = open ]; then port_open "$1" && return 0; else port_open "$1" || return 0; fi
        sleep 0.05
    done
    return 1
}

dovecot_pid() {
    local f="$dir/dovecot/run/master.pid"
    [ -s "$f" ] && kill -0 "$(cat "$f")" 2>/dev/null && cat "$f"
}

postfix_running() {
    [ -f "$dir/postfix/etc/main.cf" ] && postfix -c "$dir/postfix/etc" status >/dev/null 2>&1
}

write_mailboxes() {
    install -d -m 755 "$dir"
    install -d -m 700 -o "$mail_uid" -g "$mail_uid" "$dir/mail"
    local u
    for u in "${users[@]}"; do
        local name="${u%%:*}"
        for sub in cur new tmp; do
            install -d -m 700 -o "$mail_uid" -g "$mail_uid" "$dir/mail/$name/Maildir/$sub"
        done
    done
    # Parents created above by install -d may belong to root; Dovecot needs them as the mail user.
    chown "$mail_uid:$mail_uid" "$dir/mail"/*/ "$dir/mail"/*/Maildir
}

all_open() { # port... -> 0 when every one accepts connections
    local p
    for p in "$@"; do port_open "$p" || return 1; done
}

# The test CA and the server certificates, made once and kept: a valid one for 127.0.0.1 and
# localhost, an expired one and one for another name, all signed by the test CA.
write_certificates() {
    local t="$dir/tls"
    [ -s "$t/server.crt" ] && [ -s "$t/expired.crt" ] && [ -s "$t/wrongname.crt" ] &&
        [ -s "$t/other-ca.crt" ] && return
    rm -rf "$t"
    install -d -m 755 "$t" "$t/issued"
    : >"$t/index.txt"
    echo 1000 >"$t/serial"
    cat >"$t/openssl.cnf" <<EOF
[ req ]
distinguished_name = dn
prompt = no
[ dn ]
CN = placeholder
[ ca_ext ]
basicConstraints = critical, CA:TRUE
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
[ ca ]
default_ca = test_ca
[ test_ca ]
database = $t/index.txt
serial = $t/serial
new_certs_dir = $t/issued
default_md = sha256
policy = any_name
unique_subject = no
copy_extensions = none
[ any_name ]
commonName = supplied
[ server_ext ]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature, keyEncipherment
extendedKeyUsage = serverAuth
subjectAltName = \$ENV::QEL_SAN
EOF
    local ec=(-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes) name
    for name in ca other-ca; do
        QEL_SAN=none openssl req -config "$t/openssl.cnf" -x509 "${ec[@]}" -keyout "$t/$name.key" \
            -out "$t/$name.crt" -days 3650 -subj "/CN=QEL test $name" -extensions ca_ext \
            >>"$t/openssl.log" 2>&1 || die "test CA not made; see $t/openssl.log"
    done
    issue() { # name subject-alt-names openssl-ca-date-options...
        local n="$1" san="$2"
        shift 2
        QEL_SAN="$san" openssl req -config "$t/openssl.cnf" -new "${ec[@]}" -keyout "$t/$n.key" \
            -out "$t/$n.csr" -subj "/CN=$n" >>"$t/openssl.log" 2>&1 &&
            QEL_SAN="$san" openssl ca -batch -notext -config "$t/openssl.cnf" -cert "$t/ca.crt" \
                -keyfile "$t/ca.key" -in "$t/$n.csr" -out "$t/$n.crt" -extensions server_ext "$@" \
                >>"$t/openssl.log" 2>&1 || die "certificate $n not made; see $t/openssl.log"
    }
    issue server "IP:$host, DNS:localhost" -days 3650
    issue expired "IP:$host, DNS:localhost" -startdate 20200101000000Z -enddate 20210101000000Z
    issue wrongname "DNS:wrong-name.$domain" -days 3650
    chmod 600 "$t"/*.key
}

write_dovecot_config() {
    local d="$dir/dovecot"
    install -d -m 755 "$d" "$d/run" "$d/state"
    local tmp="$d/users.tmp" u
    : >"$tmp"
    for u in "${users[@]}"; do
        local name="${u%%:*}" pass="${u#*:}"
        # uid 5000 needs no system account; Dovecot refuses to serve mail as root.
        echo "$name:{PLAIN}$pass:$mail_uid:$mail_uid::$dir/mail/$name::" >>"$tmp"
    done
    chmod 644 "$tmp"
    mv "$tmp" "$d/users"
    cat >"$d/dovecot.conf" <<EOF
# Generated by scripts/mail-servers.sh; private instance for tests.
protocols = pop3
listen = $host
base_dir = $d/run
state_dir = $d/state
log_path = $d/dovecot.log
ssl = yes
ssl_cert = <$dir/tls/server.crt
ssl_key = <$dir/tls/server.key
disable_plaintext_auth = no
auth_mechanisms = plain login apop
# Tests try wrong passwords on purpose; the default delay would cost 2 s each time.
auth_failure_delay = 0
mail_location = maildir:$dir/mail/%n/Maildir
first_valid_uid = $mail_uid
last_valid_uid = $mail_uid
passdb {
  driver = passwd-file
  args = scheme=PLAIN username_format=%n $d/users
}
userdb {
  driver = passwd-file
  args = username_format=%n $d/users
}
service pop3-login {
  inet_listener pop3 {
    address = $host
    port = $pop3_port
  }
  inet_listener pop3s {
    address = $host
    port = $pop3s_port
    ssl = yes
  }
}
# Postfix asks Dovecot to check SMTP logins.
service auth {
  unix_listener auth-smtp {
    mode = 0600
    user = postfix
    group = postfix
  }
}
EOF
}

write_postfix_config() {
    local p="$dir/postfix" etc="$dir/postfix/etc"
    install -d -m 755 "$p" "$etc" "$p/spool"
    install -d -m 700 -o postfix -g postfix "$p/data"
    local maps="" u
    for u in "${users[@]}"; do
        local name="${u%%:*}"
        maps+="${maps:+, }$name@$domain=$name/Maildir/"
    done
    cat >"$etc/main.cf" <<EOF
# Generated by scripts/mail-servers.sh; private instance for tests.
compatibility_level = 3.6
queue_directory = $p/spool
data_directory = $p/data
# Without a log file of its own Postfix logs to syslog, which does not run here.
maillog_file = $p/maillog
maillog_file_prefixes = $p
myhostname = mail.$domain
mydestination =
inet_interfaces = loopback-only
inet_protocols = ipv4
# Nothing may leave the machine.
default_transport = error:outbound mail disabled
relay_transport = error:outbound mail disabled
alias_maps =
alias_database =
# Large attachments are part of the tests.
message_size_limit = 104857600
virtual_mailbox_limit = 0
virtual_mailbox_domains = $domain
virtual_mailbox_base = $dir/mail
virtual_mailbox_maps = inline:{ $maps }
virtual_uid_maps = static:$mail_uid
virtual_gid_maps = static:$mail_uid
smtpd_banner = \$myhostname ESMTP
biff = no
# The plain port stays as it was; the secured ports switch TLS and logins on in master.cf.
smtpd_tls_chain_files = $dir/tls/server.key, $dir/tls/server.crt
smtpd_tls_security_level = none
smtpd_sasl_type = dovecot
smtpd_sasl_path = $dir/dovecot/run/auth-smtp
smtpd_sasl_auth_enable = no
EOF
    # Every service runs unchrooted, so nothing has to be copied into the queue directory.
    cat >"$etc/master.cf" <<EOF
$host:$smtp_port inet n - n - - smtpd
$host:$submission_port inet n - n - - smtpd
  -o smtpd_tls_security_level=encrypt
  -o smtpd_tls_auth_only=yes
  -o smtpd_sasl_auth_enable=yes
  -o smtpd_client_restrictions=permit_sasl_authenticated,reject
$host:$smtps_port inet n - n - - smtpd
  -o smtpd_tls_wrappermode=yes
  -o smtpd_sasl_auth_enable=yes
  -o smtpd_client_restrictions=permit_sasl_authenticated,reject
$host:$expired_port inet n - n - - smtpd
  -o smtpd_tls_security_level=may
  -o smtpd_tls_chain_files=$dir/tls/expired.key,$dir/tls/expired.crt
$host:$wrongname_port inet n - n - - smtpd
  -o smtpd_tls_security_level=may
  -o smtpd_tls_chain_files=$dir/tls/wrongname.key,$dir/tls/wrongname.crt
tlsmgr    unix  - - n 1000? 1 tlsmgr
pickup    unix  n - n 60   1 pickup
cleanup   unix  n - n -    0 cleanup
qmgr      unix  n - n 300  1 qmgr
rewrite   unix  - - n -    - trivial-rewrite
bounce    unix  - - n -    0 bounce
defer     unix  - - n -    0 bounce
trace     unix  - - n -    0 bounce
verify    unix  - - n -    1 verify
flush     unix  n - n 1000? 0 flush
proxymap  unix  - - n -    - proxymap
showq     unix  n - n -    - showq
error     unix  - - n -    - error
retry     unix  - - n -    - error
discard   unix  - - n -    - discard
smtp      unix  - - n -    - smtp
relay     unix  - - n -    - smtp
virtual   unix  - n n -    - virtual
anvil     unix  - - n -    1 anvil
scache    unix  - - n -    1 scache
postlog   unix-dgram n - n - 1 postlogd
EOF
}

start_dovecot() {
    if dovecot_pid >/dev/null; then
        wait_port "$pop3_port" open 5 || die "Dovecot runs but port $pop3_port does not accept"
        all_open "${pop3_ports[@]}" && return
        # An instance from an older version of this script lacks the secured ports.
        stop_dovecot
    fi
    local p
    for p in "${pop3_ports[@]}"; do
        port_open "$p" && die "port $p is taken by another program"
    done
    write_dovecot_config
    # Output goes to the log: a daemon that inherits our stdout would hold a caller's pipe open.
    dovecot -c "$dir/dovecot/dovecot.conf" </dev/null >>"$dir/dovecot/start.log" 2>&1 ||
        die "Dovecot did not start; see $dir/dovecot/start.log and $dir/dovecot/dovecot.log"
    for p in "${pop3_ports[@]}"; do
        wait_port "$p" open 10 || die "Dovecot started but port $p does not accept"
    done
}

start_postfix() {
    local etc="$dir/postfix/etc"
    if postfix_running; then
        wait_port "$smtp_port" open 5 || die "Postfix runs but port $smtp_port does not accept"
        all_open "${smtp_ports[@]}" && return
        stop_postfix
    fi
    local p
    for p in "${smtp_ports[@]}"; do
        port_open "$p" && die "port $p is taken by another program"
    done
    write_postfix_config
    # Postfix is silent unless on a terminal; script(1) gives it one so a failure can be shown.
    if ! script -qec "postfix -c '$etc' start" /dev/null </dev/null >"$dir/postfix/start.log" 2>&1; then
        script -qec "postfix -c '$etc' check" /dev/null </dev/null >>"$dir/postfix/start.log" 2>&1 || true
        cat "$dir/postfix/start.log" >&2
        die "Postfix did not start; see $dir/postfix/start.log and $dir/postfix/maillog"
    fi
    for p in "${smtp_ports[@]}"; do
        wait_port "$p" open 15 || die "Postfix started but port $p does not accept"
    done
}

stop_dovecot() {
    local pid
    if pid="$(dovecot_pid)"; then
        kill "$pid" 2>/dev/null || true
        local deadline=$((SECONDS + 10))
        while kill -0 "$pid" 2>/dev/null && ((SECONDS < deadline)); do sleep 0.05; done
    fi
    local p
    for p in "${pop3_ports[@]}"; do
        wait_port "$p" closed 10 || die "port $p still accepts after stopping Dovecot"
    done
}

stop_postfix() {
    if postfix_running; then
        script -qec "postfix -c '$dir/postfix/etc' stop" /dev/null </dev/null >/dev/null 2>&1 || true
    fi
    local p
    for p in "${smtp_ports[@]}"; do
        wait_port "$p" closed 10 || die "port $p still accepts after stopping Postfix"
    done
}

print_settings() {
    cat <<EOF
QEL_MAIL_DIR=$dir
QEL_SMTP_HOST=$host
QEL_SMTP_PORT=$smtp_port
QEL_POP3_HOST=$host
QEL_POP3_PORT=$pop3_port
QEL_SUBMISSION_PORT=$submission_port
QEL_SMTPS_PORT=$smtps_port
QEL_SMTP_EXPIRED_PORT=$expired_port
QEL_SMTP_WRONGNAME_PORT=$wrongname_port
QEL_POP3S_PORT=$pop3s_port
QEL_MAIL_CA=$dir/tls/ca.crt
QEL_MAIL_OTHER_CA=$dir/tls/other-ca.crt
QEL_MAIL_USERS="alice@$domain:alice:alicepw bob@$domain:bob:bobpw"
QEL_MAILDIR_ALICE=$dir/mail/alice/Maildir
QEL_MAILDIR_BOB=$dir/mail/bob/Maildir
EOF
}

status() {
    local rc=0
    if postfix_running && all_open "${smtp_ports[@]}"; then
        echo "smtp: running on $host:${smtp_ports[*]}"
    else
        echo "smtp: stopped"; rc=1
    fi
    if dovecot_pid >/dev/null && all_open "${pop3_ports[@]}"; then
        echo "pop3: running on $host:${pop3_ports[*]}"
    else
        echo "pop3: stopped"; rc=1
    fi
    return $rc
}

need_tools() {
    [ "$(id -u)" = 0 ] || die "must run as root"
    command -v postfix >/dev/null && command -v dovecot >/dev/null && command -v openssl >/dev/null ||
        die "postfix, dovecot or openssl missing: run scripts/install-deps.sh first"
}

case "$cmd" in
start)
    need_tools
    write_mailboxes
    write_certificates
    start_dovecot
    start_postfix
    print_settings
    ;;
stop)
    need_tools
    stop_postfix
    stop_dovecot
    echo "mail servers under $dir stopped"
    ;;
restart)
    "$0" stop "$dir"
    exec "$0" start "$dir"
    ;;
status)
    status
    ;;
*)
    echo "usage: $0 start|stop|status|restart [DIR]" >&2
    exit 2
    ;;
esac
