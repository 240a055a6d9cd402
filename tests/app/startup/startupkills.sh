#!/usr/bin/env bash
# startupkills.sh SHAREWARD WATCHER SMB_CONF
#
# The real Shareward ended by SIGTERM (as at a logout) or SIGKILL at random moments, 50 times,
# in the sandbox of startupsandbox.sh: every start shows its window, whatever became of the
# one before, and once a window has ended no process holds its single-instance lock or a save
# lock.
#
# Exits 77 (skipped) where root, the tools or the namespaces are missing.
set -euo pipefail

if [ "$#" -ne 3 ]; then
  echo "usage: $0 SHAREWARD WATCHER SMB_CONF" >&2
  exit 2
fi
shareward=$1
watcher=$2
config=$3
rounds=50

# shellcheck source=startupsandbox.sh
. "$(dirname "$0")/startupsandbox.sh"

# Processes with a descriptor on a file in the lock directories.
lock_holders() {
  local fd pid
  # Processes that end meanwhile make find complain; what it found is still right.
  { find /proc/[0-9]*/fd -maxdepth 1 \( -lname "$XDG_RUNTIME_DIR/*" -o -lname "$SHAREWARD_RUN_DIRECTORY/*" \) \
    2>/dev/null || true; } | while read -r fd; do
    pid=${fd#/proc/}
    pid=${pid%%/*}
    echo "$pid ($(cat "/proc/$pid/comm" 2>/dev/null)) -> $(readlink "$fd")"
  done
}

shown_count=0
for round in $(seq "$rounds"); do
  report=round$round
  start_shareward "$report" &
  pid=$!
  pids+=("$pid")
  for _ in $(seq 300); do
    [ -n "$(events "$report" shown)" ] && break
    kill -0 "$pid" 2>/dev/null || fail "start $round ended before its window came up: $(cat "reports/$report" 2>/dev/null)"
    sleep 0.02
  done
  [ -n "$(events "$report" shown)" ] || fail "start $round showed no window: $(cat "reports/$report" 2>/dev/null)"
  [ -z "$(events "$report" box)" ] || fail "start $round showed a box: $(events "$report" box)"
  shown_count=$((shown_count + 1))

  # Anywhere from its first screen to its background load and later.
  sleep "0.$(printf '%03d' $((RANDOM % 400)))"
  if [ $((RANDOM % 2)) -eq 0 ]; then signal=TERM; else signal=KILL; fi
  kill -"$signal" "$pid"
  wait_for_end "$pid"
  holders=$(lock_holders)
  [ -z "$holders" ] || fail "after SIGTERM/SIGKILL of start $round ($signal), locks are held: $holders"
done
echo "$shown_count of $rounds starts showed their window; each was ended by SIGTERM or SIGKILL"
echo "PASS"
