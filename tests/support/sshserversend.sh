#!/usr/bin/env bash
# sshserversend.sh: sshservers.sh passes COMMAND's exit status on and leaves no process,
# mount or directory behind, whether COMMAND fails, is killed with a process of its own still
# running, or sshservers.sh itself is stopped with SIGTERM (as a time limit does).
# Exits 77 (skipped) where sshservers.sh skips.
set -euo pipefail

here=$(dirname "$0")
# shellcheck source=SCRIPTDIR/namespacefixture.sh
source "$here/namespacefixture.sh"
fixture=$here/sshservers.sh

scratch=$(mktemp -d /tmp/shareward-sshserversend.XXXXXX)
trap 'rm -rf "$scratch"' EXIT

# processes_of DIRECTORY: the pids whose command line names DIRECTORY (each sshd does, by
# its configuration file).
processes_of() {
  local pid
  for pid in /proc/[0-9]*; do
    if grep -qF "$1" "$pid/cmdline" 2>/dev/null; then
      echo "${pid#/proc/}"
    fi
  done
}

# nothing_left CASE: no process, mount or file of the test directory COMMAND wrote down.
nothing_left() {
  local dir
  dir=$(cat "$scratch/$1") || fail "$1: COMMAND did not run"
  [ -z "$(processes_of "$dir")" ] || fail "$1: processes of $dir are left: $(processes_of "$dir")"
  ! grep -qF "$dir" /proc/self/mountinfo || fail "$1: $dir is still mounted"
  [ ! -e "$dir" ] || fail "$1: $dir is left"
  echo "ok: $1: nothing is left"
}

# expect_status CASE EXPECTED ACTUAL
expect_status() {
  [ "$3" -ne 77 ] || skip "sshservers.sh skipped"
  [ "$3" -eq "$2" ] || fail "$1: exit status $3, expected $2"
  echo "ok: $1: exit status $3"
}

status=0
bash "$fixture" 1 bash -c 'echo "$SHAREWARD_SSH_DIR" >"$1"; exit 3' _ "$scratch/failed" || status=$?
expect_status "COMMAND fails" 3 "$status"
nothing_left failed

# The sleep, named after the test directory, outlives COMMAND until the namespaces end.
status=0
bash "$fixture" 2 bash -c '(exec -a "sshservers-probe $SHAREWARD_SSH_DIR" sleep 60) &
  echo "$SHAREWARD_SSH_DIR" >"$1"; kill -KILL $$' _ "$scratch/killed" || status=$?
expect_status "COMMAND is killed" 137 "$status"
nothing_left killed

bash "$fixture" 2 bash -c 'echo "$SHAREWARD_SSH_DIR" >"$1.part"; mv "$1.part" "$1"
  exec -a "sshservers-probe $SHAREWARD_SSH_DIR" sleep 60' _ "$scratch/stopped" &
fixture_pid=$!
for ((i = 0; i < 400; i++)); do
  if [ -s "$scratch/stopped" ]; then
    # Both sshd and the probe: what must end is running.
    running=$(processes_of "$(cat "$scratch/stopped")" | wc -l)
    [ "$running" -lt 3 ] || break
  fi
  kill -0 "$fixture_pid" 2>/dev/null || fail "sshservers.sh ended before it was stopped"
  sleep 0.025
done
[ "${running:-0}" -ge 3 ] || fail "the two sshd and the probe did not start"
kill -TERM "$fixture_pid"
status=0
wait "$fixture_pid" || status=$?
expect_status "sshservers.sh is stopped" 143 "$status"
nothing_left stopped
echo "all end checks passed"
