#!/usr/bin/env bash
# Runs a command with a private Xvfb display (24-bit, 1024x768) and stops the server after.
# Usage: scripts/xvfb-run-tests.sh COMMAND [ARGS...]
set -euo pipefail
if ! command -v Xvfb >/dev/null; then
  echo "xvfb-run-tests: Xvfb is not installed (scripts/install-deps.sh installs it)" >&2
  exit 77
fi
display=""
for n in $(seq 90 130); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=":$n"; break; fi
done
[ -n "$display" ] || { echo "xvfb-run-tests: no free display number" >&2; exit 1; }
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true' EXIT
for _ in $(seq 1 100); do
  [ -e "/tmp/.X11-unix/X${display#:}" ] && break
  sleep 0.05
done
DISPLAY="$display" QEL_BACKEND="${QEL_BACKEND:-x11}" "$@"
