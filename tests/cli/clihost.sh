#!/usr/bin/env bash
# clihost.sh CLI: run by "sshservers.sh 2" (../support/sshservers.sh). shareward-cli --host
# against two real OpenSSH servers, each a machine of its own:
#   1. every command family once on srv1, through ssh and the backend; srv2's files unchanged;
#   2. the command's exit status and output are the server's; a failure to reach the backend
#      is exit 255 with its reason (an unknown host, a changed host key, no shareward-cli on
#      the server, a backend of another protocol version);
#   3. the ssh connection killed at random moments of saves: each time smb.conf is the old or
#      the new file, whole, no temporary file is left, and the next save works.
set -euo pipefail

cli=$1
failures=0
problem() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
ok() {
  echo "ok: $*"
}
expect() {
  if [ "$2" = "$3" ]; then ok "$1"; else problem "$1: expected"$'\n'"$2"$'\n'"got"$'\n'"$3"; fi
}
# remote HOST ARGS...: shareward-cli --host HOST ARGS..., its output in $out, errors in $err,
# exit status in $status.
remote() {
  local host=$1
  shift
  status=0
  out=$("$cli" --ssh-config "$SHAREWARD_SSH_CONFIG" --host "$host" "$@" 2>"$SHAREWARD_SSH_DIR/err") || status=$?
  err=$(cat "$SHAREWARD_SSH_DIR/err")
}
dir=$SHAREWARD_SSH_DIR
# The servers' systemctl (sshd_config's SetEnv names it for the backend's sessions).
standin=$(dirname "$(readlink -f "$0")")/systemctlstandin.sh
conf1=$dir/srv1/etc/samba/smb.conf
conf2=$dir/srv2/etc/samba/smb.conf
srv2_before=$(sha256sum <"$conf2")

# 1. Every command family on srv1.
remote srv1 share list
expect "share list shows srv1's share" 0 "$status"
[[ $out == data* ]] || problem "share list: $out"
mkdir -p "$dir/srv1/srv/projects"
remote srv1 share add projects --path /srv/projects --comment "Team projects" --writable
expect "share add exits 0" 0 "$status"
grep -q '^\[projects\]' "$conf1" || problem "share add did not reach srv1's smb.conf"
[[ $out == *"+[projects]"* ]] || problem "share add printed no diff: $out"
remote srv1 share set projects --comment "Team files"
grep -q 'comment = Team files' "$conf1" || problem "share set did not reach srv1"
remote srv1 share show projects --json
[[ $out == *'"comment": "Team files"'* ]] || problem "share show --json: $out"
remote srv1 global set --workgroup OFFICE
grep -qi 'workgroup = OFFICE' "$conf1" || problem "global set did not reach srv1"
remote srv1 global show
[[ $out == *OFFICE* ]] || problem "global show: $out"
remote srv1 check
expect "check exits 0" 0 "$status"
remote srv1 show /etc/samba/smb.conf
expect "show of the server's smb.conf" 0 "$status"
remote srv1 print /etc/samba/smb.conf
expect "print is srv1's smb.conf, byte for byte" "$(cat "$conf1")" "$out"
remote srv1 print /etc/shadow
expect "print of another file is refused" 2 "$status"
remote srv1 history --json
versions=$(python3 -c 'import json,sys; print(len(json.load(sys.stdin)["versions"]))' <<<"$out")
[ "$versions" -ge 4 ] || problem "history has $versions versions"
remote srv1 diff 1
[[ $out == *"+[projects]"* ]] || problem "diff 1: $out"
remote srv1 restore 1
expect "restore exits 0" 0 "$status"
grep -q '^\[projects\]' "$conf1" && problem "restore 1 left [projects]"
remote srv1 share add projects --path /srv/projects --comment "Team files" --writable
remote srv1 share rename data shared
remote srv1 share remove shared
expect "share remove exits 0" 0 "$status"
# A password travels on standard input, inside the protocol.
remote srv1 user add alice --create-unix-account <<<"Alice-pw-1"
expect "user add exits 0 ($err)" 0 "$status"
"$dir/srv1/enter" pdbedit -L 2>/dev/null | grep -q '^alice:' || problem "alice is not a Samba user on srv1"
"$dir/srv2/enter" pdbedit -L 2>/dev/null | grep -q '^alice:' && problem "alice reached srv2"
remote srv1 user passwd alice <<<"Alice-pw-2"
expect "user passwd exits 0 ($err)" 0 "$status"
remote srv1 user list
[[ $out == *alice* ]] || problem "user list: $out"
remote srv1 group list
expect "group list exits 0 ($err)" 0 "$status"
remote srv1 service status
expect "service status exits 0 ($err)" 0 "$status"
remote srv1 service restart
grep -q 'restart smbd' "$dir/srv1/run/shareward/systemctl.log" || problem "service restart did not reach srv1"
# status and disconnect without smbd running: the same exit status as on the server itself.
for command in "status --json" "disconnect --share projects"; do
  # shellcheck disable=SC2086
  remote srv1 $command
  here=0
  # shellcheck disable=SC2086
  "$dir/srv1/enter" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin SHAREWARD_PROGRAM_SYSTEMCTL="$standin" \
    shareward-cli $command >/dev/null 2>&1 || here=$?
  expect "$command exits as on the server" "$here" "$status"
done
remote srv1 --dry-run store-in-registry
expect "store-in-registry --dry-run exits 0 ($err)" 0 "$status"
remote srv1 share show nothere
expect "a command's failure is its own exit status" 1 "$status"
[[ $err == *nothere* ]] || problem "a command's failure says why: $err"
expect "srv2's smb.conf is untouched" "$srv2_before" "$(sha256sum <"$conf2")"

# 2. Failures to reach the backend: exit 255 with the reason.
remote nosuchhost share list
expect "an unknown host exits 255" 255 "$status"
[[ $err == *"Cannot connect to nosuchhost"* ]] || problem "unknown host: $err"
cp "$SHAREWARD_SSH_KNOWN_HOSTS" "$dir/known_hosts.saved"
ssh-keygen -q -t ed25519 -N '' -f "$dir/otherkey" </dev/null
sed -i "s|^\(\[127.0.0.1\]:2201\) .*|\1 $(cut -d ' ' -f 1,2 "$dir/otherkey.pub")|" "$SHAREWARD_SSH_KNOWN_HOSTS"
remote srv1 share list
expect "a changed host key exits 255" 255 "$status"
[[ $err == *"Host key verification failed"* ]] || problem "changed host key: $err"
cp "$dir/known_hosts.saved" "$SHAREWARD_SSH_KNOWN_HOSTS"
# srv2 without a shareward-cli it can run.
"$dir/srv2/enter" umount /usr/bin/shareward-cli
"$dir/srv2/enter" mount --bind /dev/null /usr/bin/shareward-cli
remote srv2 share list
expect "a server without shareward-cli exits 255" 255 "$status"
[[ $err == *"install the shareward package"* ]] || problem "no shareward-cli: $err"
cat >"$dir/newer-backend" <<'SCRIPT'
#!/bin/sh
echo '{"shareward":"backend","protocol":99,"version":"99.0"}'
cat >/dev/null
SCRIPT
chmod 0755 "$dir/newer-backend"
"$dir/srv2/enter" mount --bind "$dir/newer-backend" /usr/bin/shareward-cli
remote srv2 share list
expect "a newer backend exits 255" 255 "$status"
[[ $err == *"too new"*"upgrade the shareward package on this computer"* ]] || problem "newer backend: $err"

# 3. The connection killed at random moments of saves.
kills=${SHAREWARD_KILLED_SAVES:-20}
whole=0
landed=0
for ((i = 1; i <= kills; i++)); do
  before=$(cat "$conf1")
  "$cli" --ssh-config "$SHAREWARD_SSH_CONFIG" --host srv1 share set projects --comment "Saved $i" \
    >/dev/null 2>&1 &
  client=$!
  sleep "0.$((RANDOM % 60))"
  pkill -KILL -x ssh || true
  wait "$client" || true
  # The backend finishes what it started; wait for it to end before looking.
  for ((t = 0; t < 100; t++)); do
    "$dir/srv1/enter" pgrep -f 'shareward-cli serve' >/dev/null || break
    sleep 0.1
  done
  after=$(cat "$conf1")
  new=$(sed "/^\[projects\]/,/^\[/ s/^\([[:space:]]*comment = \).*/\1Saved $i/" <<<"$before")
  if [ "$after" != "$before" ] && [ "$after" != "$new" ]; then
    problem "save $i: smb.conf is neither the old nor the new file"
    continue
  fi
  leftovers=$(find "$dir/srv1/etc/samba" -mindepth 1 ! -name smb.conf)
  [ -z "$leftovers" ] || { problem "save $i left $leftovers"; continue; }
  whole=$((whole + 1))
  [ "$after" = "$before" ] || landed=$((landed + 1))
done
remote srv1 share set projects --comment "After the kills"
expect "the next save works" 0 "$status"
grep -q 'comment = After the kills' "$conf1" || problem "the save after the kills did not land"
echo "killed-connection saves with nothing lost: $whole of $kills ($landed saved before or after the kill, $((whole - landed)) not)"
expect "every killed save left a whole file" "$kills" "$whole"

[ "$failures" -eq 0 ] || { echo "$failures failures" >&2; exit 1; }
