#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the benchmarks need.
# Safe to run again: apt skips what is already there.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config clang clang-14 libclang-rt-14-dev clang-format clang-tidy
  libfreetype-dev libfontconfig-dev fontconfig fonts-dejavu-core fonts-liberation
  libpng-dev libx11-dev xvfb x11-utils
  libsqlite3-dev sqlite3 libpq-dev postgresql postgresql-client libgtest-dev libgmock-dev libbenchmark-dev libcairo2-dev
  media-types python3 python3-aiosmtpd dovecot-pop3d postfix util-linux coreutils
  libssl-dev openssl
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  SUDO=""; [ "$(id -u)" = 0 ] || SUDO=sudo
  echo "postfix postfix/main_mailer_type select No configuration" | $SUDO debconf-set-selections
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
