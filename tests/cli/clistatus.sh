#!/usr/bin/env bash
# clistatus.sh CLI
#
# shareward-cli status and disconnect against the real smbd, smbstatus and smbcontrol, in the
# private mount and PID namespaces of ../app/privateserver.sh:
#   1. carol writes a file in [projects] and dave lists [team], each through an smbclient
#      kept connected; carol's file stays open while smbclient waits for its data on a FIFO;
#   2. status --json lists both sessions, both shares in use and the open file, with their
#      users and shares;
#   3. disconnect --share projects ends carol's connection and her open file, dave's stays;
#   4. carol connects again on an smbd process of her own: disconnect --pid of that process
#      ends her session and leaves dave's listed; smbd's main process is refused.
# Exits 77 (skipped) where root, the tools or the namespaces are missing.
set -euo pipefail

if [ "$#" -ne 1 ]; then
  echo "usage: $0 CLI" >&2
  exit 2
fi
cli=$1

# shellcheck source=SCRIPTDIR/../app/privateserver.sh
source "$(dirname "$0")/../app/privateserver.sh"
[ -x "$cli" ] || fail "no shareward-cli at $cli"
# python3 reads the JSON of status.
private_server_enter smbstatus smbcontrol mkfifo python3 -- "$@"

# Inside the namespaces from here on, as PID 1. smbstatus and smbcontrol read the private
# /etc/samba/smb.conf, so they see only this smbd.
write_global_config CLISTATUS "Shareward status test"
export SHAREWARD_RUN_DIRECTORY=$root/locks
export SHAREWARD_HISTORY_DIRECTORY=$root/history
fake_systemctl
export SHAREWARD_PROGRAM_SYSTEMCTL=$systemctl

declare -A passwords=([carol]='Carol-pw-5120' [dave]='Dave-pw-5121')
add_system_user carol 3101
add_system_user dave 3102
add_samba_user carol "${passwords[carol]}"
add_samba_user dave "${passwords[dave]}"
for share in projects team; do
  mkdir -m 0777 "$srv/$share"
  "$cli" share add "$share" --path "$srv/$share" --writable --valid-users carol,dave >/dev/null \
    || fail "shareward-cli share add $share failed"
done
start_smbd

# hold NAME SHARE USER: an smbclient connected to SHARE as USER that reads its commands from
# the FIFO $client/NAME.in, kept open by the script as file descriptor ${holder[NAME]}, and
# writes to $client/NAME.out.
declare -A holder=() holder_pid=()
data=
hold() {
  local name=$1 share=$2 user=$3 fd
  (umask 077 && printf 'username = %s\npassword = %s\n' "$user" "${passwords[$user]}" >"$client/$name.auth")
  rm -f "$client/$name.in"
  mkfifo "$client/$name.in"
  # Without the other holders' descriptors: a FIFO a child keeps open never ends.
  (
    for fd in "${holder[@]}" ${data:+"$data"}; do
      exec {fd}>&-
    done
    cd "$client" && exec timeout 100 smbclient "//127.0.0.1/$share" -p "$port" -s "$config" \
      -A "$client/$name.auth" <"$client/$name.in" >"$client/$name.out" 2>&1
  ) &
  holder_pid[$name]=$!
  # Read and write: the open does not wait for smbclient, and smbclient reads end-of-file only
  # when release closes it.
  exec {fd}<>"$client/$name.in"
  holder[$name]=$fd
}
send() {
  echo "$2" >&"${holder[$1]}"
}
release() {
  local fd=${holder[$1]}
  exec {fd}>&-
}

# wait_until WHAT CONDITION...: CONDITION true within 15 s, else a failed check.
wait_until() {
  local what=$1 i
  shift
  for ((i = 0; i < 150; i++)); do
    if "$@"; then
      echo "ok: $what"
      return 0
    fi
    sleep 0.1
  done
  problem "$what: not within 15 s; smbstatus says:"$'\n'"$(smbstatus 2>&1)"
  return 1
}

# status_has WHAT PYTHON: shareward-cli status --json, read as s, makes PYTHON true.
status_has() {
  local json
  json=$("$cli" status --json) || return 1
  python3 -c "import json, sys; s = json.loads(sys.argv[1]); sys.exit(0 if ($1) else 1)" "$json"
}
checked() {
  local what=$1
  shift
  if status_has "$@"; then
    echo "ok: $what"
  else
    problem "$what: shareward-cli status --json said:"$'\n'"$("$cli" status --json 2>&1)"
  fi
}
# Python expressions over s.
has_session() { echo "any(e['user'] == '$1' for e in s['sessions'])"; }
has_connection() { echo "any(e['share'] == '$1' and e['user'] == '$2' for e in s['connections'])"; }
open_file="any(e['path'] == '$srv/projects/held.txt' and e['share'] == 'projects' and e['user'] == 'carol' \
and 'write' in e['access'] for e in s['openFiles'])"

# 1. carol's put waits for the data of the FIFO with held.txt open for writing.
mkfifo "$client/data"
hold carol projects carol
hold dave team dave
send carol 'put data held.txt'
send dave 'ls'
exec {data}<>"$client/data"
echo "the first line" >&"$data"
wait_until "carol holds held.txt open" status_has "$open_file" || true

# 2. What status tells.
checked "status lists carol's and dave's sessions" "$(has_session carol) and $(has_session dave)"
checked "status lists [projects] used by carol and [team] by dave" \
  "$(has_connection projects carol) and $(has_connection team dave)"
checked "status lists held.txt open for writing by carol in [projects]" "$open_file"
checked "status tells smbd's service and the clients' addresses" \
  "s['services']['smbd'] == 'active' and all(e['address'] == '127.0.0.1' for e in s['sessions'])"
text=$("$cli" status) || problem "shareward-cli status failed"
if grep -Eq "^  $srv/projects/held\.txt +projects +carol +[0-9]+ +read/write" <<<"$text"; then
  echo "ok: status shows the open file in its table"
else
  problem "status shows no line of held.txt:"$'\n'"$text"
fi

# 3. The share's connections end; carol's write then fails, dave stays.
said=$("$cli" --dry-run disconnect --share projects) || problem "disconnect --dry-run failed"
[ "$said" = "would close every connection to share projects" ] || problem "the dry run said: $said"
checked "a dry run leaves carol connected" "$(has_connection projects carol)"
"$cli" disconnect --share projects >/dev/null || problem "shareward-cli disconnect --share projects failed"
wait_until "carol's connection to [projects] and held.txt are gone" \
  status_has "not $(has_connection projects carol) and not s['openFiles']" || true
echo "the second line" >&"$data"
exec {data}>&-
send carol 'ls'
release carol
wait "${holder_pid[carol]}" || true
if grep -q 'NT_STATUS_' "$client/carol.out"; then
  echo "ok: carol's smbclient saw the share go ($(grep -o 'NT_STATUS_[A-Z_]*' "$client/carol.out" | head -n 1))"
else
  problem "carol's smbclient saw no error:"$'\n'"$(cat "$client/carol.out")"
fi
checked "dave stays connected to [team]" "$(has_connection team dave)"

# 4. One smbd process ends; the other goes on.
hold carol projects carol
send carol 'ls'
wait_until "carol is connected again" status_has "$(has_connection projects carol)" || true
pid=$("$cli" status --json | python3 -c \
  "import json, sys; print(*[e['pid'] for e in json.load(sys.stdin)['sessions'] if e['user'] == 'carol'])")
dave_pid=$("$cli" status --json | python3 -c \
  "import json, sys; print(*[e['pid'] for e in json.load(sys.stdin)['sessions'] if e['user'] == 'dave'])")
if [ -n "$pid" ] && [ "$pid" != "$dave_pid" ] && [ "$pid" != "$smbd_pid" ]; then
  echo "ok: carol ($pid) and dave ($dave_pid) have smbd processes of their own"
else
  problem "carol's smbd process '$pid', dave's '$dave_pid', smbd's $smbd_pid"
fi
if "$cli" disconnect --pid "$smbd_pid" 2>"$client/refused"; then
  problem "disconnect --pid accepted smbd's main process $smbd_pid"
else
  echo "ok: smbd's main process is refused ($(cat "$client/refused"))"
fi
"$cli" disconnect --pid "$pid" || problem "shareward-cli disconnect --pid $pid failed"
wait_until "carol's session is gone" status_has "not $(has_session carol)" || true
checked "dave's session and connection stay" "$(has_session dave) and $(has_connection team dave)"
kill -0 "$smbd_pid" 2>/dev/null || problem "smbd is no longer running"

release carol
release dave
finish_checks
echo "all status and disconnect checks passed"
