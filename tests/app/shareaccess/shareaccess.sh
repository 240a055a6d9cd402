#!/usr/bin/env bash
# shareaccess.sh DRIVER
#
# What the share dialog writes, served by the real smbd, in the private mount and PID
# namespaces of ../privateserver.sh, which leave the machine's /etc and Samba's directories
# alone. There:
#   1. useradd makes alice and bob (uid >= 2500, so the dialog lists them) and the real
#      pdbedit makes them Samba users;
#   2. DRIVER, the window under Qt Test, adds five shares through the share dialog and saves
#      with the real testparm: [docs] read-only for all Samba users, [team] read/write for
#      alice alone, [guest] read/write for everyone as the guest, [audited] as [team] with
#      full_audit logging to smbd's log and acl_xattr, [mixed] read/write for Samba users as
#      themselves and for others as the guest; then it edits [team] and saves again. The
#      server maps names unknown to Samba to the guest (map to guest = bad user);
#   3. the real smbd serves the saved smb.conf on a private port on 127.0.0.1, and the real
#      smbclient checks that each share admits and refuses whom the dialog meant, that
#      full_audit logs alice's write to [audited] and that acl_xattr stores the file's ACL.
# Exits 77 (skipped) where root, the tools or the namespaces are missing.
set -euo pipefail

if [ "$#" -ne 1 ]; then
  echo "usage: $0 DRIVER" >&2
  exit 2
fi
driver=$1

# shellcheck source=SCRIPTDIR/../privateserver.sh
source "$(dirname "$0")/../privateserver.sh"
[ -x "$driver" ] || fail "no driver program at $driver"
private_server_enter -- "$@"

# Inside the namespaces from here on, as PID 1.
phase=$(now)
write_global_config SHAREACCESS "Shareward share access test"
# Writes of one byte on are asynchronous by default, which full_audit logs as pwrite_send:
# the dialog offers pwrite only, which smbd calls for synchronous writes.
echo "   aio write size = 0" >>"$config"
# Names unknown to Samba log on as the guest: the window's SHARE mode, which must open no
# share to guests by itself.
echo "   map to guest = bad user" >>"$config"

# The accounts: system users above 2500 in group users, made Samba users by pdbedit.
declare -A passwords=([alice]='Alice-pw-2601' [bob]='Bob-pw-2602')
for user in alice bob; do
  add_system_user "$user" 2601
  add_samba_user "$user" "${passwords[$user]}"
done
# carol has a system account and no Samba account: Samba does not know her.
add_system_user carol 2601
accounts=$(pdbedit -L) || fail "pdbedit -L failed"
for user in alice bob; do
  grep -q "^$user:" <<<"$accounts" || fail "pdbedit does not list $user: $accounts"
done

# The shared directories. [docs] belongs to group users and is writable for alice and bob
# as far as the file system goes, so only smb.conf's read-only keeps them from writing;
# [team], [guest] and [audited] are 0755 and root's until the save sets them to 01777.
mkdir -m 0775 "$srv/docs"
chgrp users "$srv/docs"
chmod 0775 "$srv/docs"
echo "read me" >"$srv/docs/readme.txt"
mkdir -m 0755 "$srv/team" "$srv/guest" "$srv/audited" "$srv/mixed"
setpriv --reuid=alice --regid=users --clear-groups -- test -w "$srv/docs" \
  || fail "$srv/docs should be writable for alice on the file system"
echo "hello from the share access test" >"$client/hello.txt"

fake_systemctl
echo "namespace, accounts and directories: $(elapsed "$phase")"

# The window: four shares through the dialog, then Save.
phase=$(now)
run_driver "$driver"
echo "window, dialog and save: $(elapsed "$phase")"

# [audited] as testparm reads it: both modules, in the order the writer chose, and the
# successful calls to log.
audited=$(testparm -s "$config" 2>/dev/null \
  | awk '/^\[/ { inside = ($0 == "[audited]") } inside && /=/ { sub(/^[[:space:]]+/, ""); print }')
modules=$(sed -n 's/^vfs objects = //p' <<<"$audited")
for module in full_audit acl_xattr; do
  grep -qw "$module" <<<"$modules" || fail "[audited] does not load $module:"$'\n'"$audited"
done
[ "$(wc -w <<<"$modules")" -eq 2 ] || fail "[audited] loads other modules as well: $modules"
echo "[audited]: vfs objects = $modules"
grep -qx 'full_audit:success = fsetxattr pwrite' <<<"$audited" \
  || fail "[audited] does not log successful fsetxattr and pwrite:"$'\n'"$audited"

phase=$(now)
start_smbd
echo "smbd (pid $smbd_pid) listens on 127.0.0.1:$port: $(elapsed "$phase")"

# The client checks, with smb, allowed and refused of privateserver.sh.
phase=$(now)
# owned FILE USER: the file exists, belongs to USER and holds what was put.
owned() {
  if [ ! -f "$1" ]; then
    problem "$1 was not written on the server"
  elif [ "$(stat -c %U "$1")" != "$2" ]; then
    problem "$1 belongs to $(stat -c %U "$1"), not $2"
  elif ! cmp -s "$1" "$client/hello.txt"; then
    problem "$1 does not hold what was put"
  fi
}
absent() {
  if [ -e "$1" ]; then
    problem "$1 exists on the server: a refused write got through"
  fi
}
denied='NT_STATUS_ACCESS_DENIED'
write_denied='NT_STATUS_(ACCESS_DENIED|MEDIA_WRITE_PROTECTED)'

# [team]: read/write for the selected user alice only.
allowed "alice, chosen for [team], writes there" team alice 'put hello.txt alice.txt'
[ "$rc" -ne 0 ] || owned "$srv/team/alice.txt" alice
allowed "alice reads her file back from [team]" team alice 'get alice.txt back.txt'
if [ "$rc" -eq 0 ] && ! cmp -s "$client/back.txt" "$client/hello.txt"; then
  problem "alice read back other content from [team]"
fi
refused "bob, a Samba user not chosen for [team], cannot connect to it" "$denied" team bob 'ls'
refused "bob cannot write to [team]" "$denied" team bob 'put hello.txt bob.txt'
absent "$srv/team/bob.txt"

# [docs]: read-only for every Samba user, not for guests.
allowed "alice lists the read-only [docs]" docs alice 'ls'
if [ "$rc" -eq 0 ] && ! grep -q 'readme.txt' <<<"$out"; then
  problem "alice's listing of [docs] lacks readme.txt:"$'\n'"$out"
fi
refused "the read-only [docs] refuses alice's write" "$write_denied" docs alice 'put hello.txt alice.txt'
absent "$srv/docs/alice.txt"
allowed "bob, as every Samba user, reads [docs]" docs bob 'get readme.txt readme.txt'
refused "the read-only [docs] refuses bob's write" "$write_denied" docs bob 'put hello.txt bob.txt'
absent "$srv/docs/bob.txt"
refused "[docs] is for Samba users: an anonymous guest cannot connect" "$denied" docs anonymous 'ls'
refused "[docs] refuses a name unknown to Samba, logged on as the guest" "$denied" docs 'stranger%any' 'ls'
refused "[docs] refuses carol, a system account without a Samba account" "$denied" docs 'carol%any' 'ls'
refused "[team] refuses a name unknown to Samba" "$denied" team 'stranger%any' 'ls'

# [guest]: read/write for guests, who act as the guest account nobody.
allowed "an anonymous guest lists [guest]" guest anonymous 'ls'
allowed "a guest writes to the read/write [guest]" guest anonymous 'put hello.txt guest.txt'
[ "$rc" -ne 0 ] || owned "$srv/guest/guest.txt" nobody
allowed "alice on the guest-only [guest] acts as the guest" guest alice 'put hello.txt alice.txt'
[ "$rc" -ne 0 ] || owned "$srv/guest/alice.txt" nobody
allowed "a name unknown to Samba logs on to [guest] as the guest" guest 'stranger%any' 'put hello.txt stranger.txt'
[ "$rc" -ne 0 ] || owned "$srv/guest/stranger.txt" nobody
allowed "carol, unknown to Samba, logs on to [guest] as the guest" guest 'carol%any' 'ls'
refused "a known user with a wrong password is refused, even by [guest]" 'NT_STATUS_LOGON_FAILURE' guest \
  'alice%wrong-password' 'ls'

# [mixed]: guest ok without guest only, Samba users as themselves, the others as the guest.
allowed "alice writes to [mixed] as herself" mixed alice 'put hello.txt alice.txt'
[ "$rc" -ne 0 ] || owned "$srv/mixed/alice.txt" alice
allowed "an anonymous guest writes to [mixed]" mixed anonymous 'put hello.txt anonymous.txt'
[ "$rc" -ne 0 ] || owned "$srv/mixed/anonymous.txt" nobody
allowed "a name unknown to Samba writes to [mixed] as the guest" mixed 'stranger%any' 'put hello.txt stranger.txt'
[ "$rc" -ne 0 ] || owned "$srv/mixed/stranger.txt" nobody

# [audited]: alice's write is in smbd's log, where full_audit writes at debug level 1 without
# syslog, and acl_xattr keeps the file's ACL in an extended attribute.
# logged LINE: smbd's log holds the line; full_audit writes it before smbd answers.
logged() {
  local i
  for ((i = 0; i < 40; i++)); do
    grep -qFx "$1" "$smbd_log" && return 0
    sleep 0.05
  done
  problem "smbd's log lacks the full_audit line \"$1\""
}
# xattr FILE NAME: the file carries the extended attribute.
xattr() {
  if command -v getfattr >/dev/null; then
    getfattr --absolute-names -n "$2" "$1" >/dev/null 2>&1 || problem "$1 lacks the extended attribute $2"
  elif command -v python3 >/dev/null; then
    python3 -c 'import os, sys; os.getxattr(sys.argv[1], sys.argv[2])' "$1" "$2" 2>/dev/null \
      || problem "$1 lacks the extended attribute $2"
  else
    echo "skipped: neither getfattr nor python3 reads $2 of $1"
  fi
}
allowed "alice writes to the audited [audited]" audited alice 'put hello.txt alice.txt'
if [ "$rc" -eq 0 ]; then
  owned "$srv/audited/alice.txt" alice
  logged "alice|127.0.0.1|pwrite|ok|$srv/audited/alice.txt"
  logged "alice|127.0.0.1|fsetxattr|ok|$srv/audited/alice.txt|security.NTACL"
  xattr "$srv/audited/alice.txt" security.NTACL
fi
refused "bob cannot connect to [audited], for alice alone" "$denied" audited bob 'ls'
if grep -q '|fail|' "$smbd_log"; then
  problem "full_audit logged failures, which [audited] does not ask for:"$'\n'"$(grep '|fail|' "$smbd_log")"
fi

echo "smbclient checks: $(elapsed "$phase")"
finish_checks
echo "all access checks passed"
