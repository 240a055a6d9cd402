#!/usr/bin/env bash
# Installs what Shareward needs, builds it and opens its window on this machine's
# /etc/samba/smb.conf. As root the window starts the build's backend (shareward-cli serve)
# itself; Shareward installed from its package runs as the desktop user and asks pkexec for
# the installed one. Without a display (no DISPLAY), the window runs on a virtual one: Xvfb is
# started, its display number said on standard error, and it is stopped when the window ends.
# Arguments go to Shareward (--connect HOST opens another server through ssh).
set -euo pipefail
cd "$(dirname "$0")/.."

# The build's backend is not where pkexec's action names it: this script runs it as root.
if [ "$(id -u)" -ne 0 ]; then
  echo "run.sh: run this as root (it installs packages, and the window starts the build's backend)" >&2
  exit 1
fi

bash scripts/install-deps.sh
# The same build as the test command's, so that each reuses the other's.
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build build --parallel "$(nproc)" --target shareward shareward-cli >&2
export SHAREWARD_PROGRAM_SHAREWARD_CLI=$PWD/build/src/cli/shareward-cli

if [ -n "${DISPLAY:-}" ]; then
  exec build/src/app/shareward "$@"
fi

displayfile=$(mktemp)
xvfblog=$(mktemp)
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$displayfile" 2>"$xvfblog" &
xvfb=$!
window=
stop() {
  if [ -n "$window" ]; then
    kill "$window" 2>/dev/null || true
    wait "$window" 2>/dev/null || true
  fi
  kill "$xvfb" 2>/dev/null || true
  wait "$xvfb" 2>/dev/null || true
  rm -f "$displayfile" "$xvfblog"
}
trap stop EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

for _ in $(seq 100); do
  grep -q . "$displayfile" && break
  if ! kill -0 "$xvfb" 2>/dev/null; then
    echo "run.sh: Xvfb did not start: $(cat "$xvfblog")" >&2
    exit 1
  fi
  sleep 0.1
done
if ! grep -q . "$displayfile"; then
  echo "run.sh: Xvfb did not start within 10 s: $(cat "$xvfblog")" >&2
  exit 1
fi
display=:$(head -n1 "$displayfile")
echo "No display: running under Xvfb on $display" >&2

# In the background, so that a signal to this script reaches its traps at once.
DISPLAY=$display build/src/app/shareward "$@" &
window=$!
status=0
wait "$window" || status=$?
window=
exit "$status"
