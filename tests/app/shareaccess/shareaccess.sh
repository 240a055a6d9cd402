#!/usr/bin/env bash
# shareaccess.sh DRIVER
#
# What the share dialog writes, served by the real smbd. Inside private mount and PID
# namespaces, a copy of /etc (user and group databases, an empty /etc/samba) on a tmpfs
# covers the real one, and tmpfs mounts cover Samba's state, cache and run directories,
# /var/log, /var/mail and /home. There:
#   1. useradd makes alice and bob (uid >= 2500, so the dialog lists them) and the real
#      pdbedit makes them Samba users;
#   2. DRIVER, the window under Qt Test, adds three shares through the share dialog and saves
#      with the real testparm: [docs] read-only for all Samba users, [team] read/write for
#      alice alone, [guest] read/write for guests; then it edits [team] and saves again;
#   3. the real smbd serves the saved smb.conf on a private port on 127.0.0.1, and the real
#      smbclient checks that each share admits and refuses whom the dialog meant.
# smbd is stopped by its process group on every exit; the PID namespace ends whatever is left
# with it. Outside, the machine's account files, /etc/samba and /var/lib/samba must be
# unchanged afterwards.
#
# Exits 77 (skipped) where root, the tools or the namespaces are missing.
set -euo pipefail

if [ "$#" -ne 1 ]; then
  echo "usage: $0 DRIVER" >&2
  exit 2
fi
driver=$1

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

skip() {
  echo "SKIP: $*"
  exit 77
}

now() {
  date +%s.%N
}

elapsed() {
  awk -v from="$1" -v to="$(now)" 'BEGIN { printf "%.2f s", to - from }'
}

# What must not change on the machine: the account files, and every file's name, mode,
# owner and content under /etc/samba and /var/lib/samba.
fingerprint() {
  local path
  for path in /etc/passwd /etc/group /etc/shadow /etc/gshadow /etc/subuid /etc/subgid; do
    if [ -e "$path" ]; then
      sha256sum "$path"
    else
      echo "absent $path"
    fi
  done
  for path in /etc/samba /var/lib/samba; do
    if [ ! -d "$path" ]; then
      echo "absent $path"
      continue
    fi
    find "$path" -xdev -printf '%p %y %m %U:%G %s\n' | LC_ALL=C sort
    find "$path" -xdev -type f -print0 | LC_ALL=C sort -z | xargs -0 -r sha256sum
  done
}

namespaces=(unshare --mount --pid --fork --mount-proc --propagation private)

# Outside the namespaces: prepare, run the rest inside, and check the machine afterwards.
if [ -z "${SHAREACCESS_ROOT:-}" ]; then
  [ "$(id -u)" -eq 0 ] || skip "needs root (useradd, pdbedit, smbd and mount namespaces)"
  for tool in unshare mount useradd groupadd pdbedit testparm smbd smbclient setsid setpriv sha256sum \
    timeout awk; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
  done
  [ -x "$driver" ] || fail "no driver program at $driver"
  "${namespaces[@]}" true 2>/dev/null || skip "no private mount and PID namespaces here"

  started=$(now)
  root=$(mktemp -d /tmp/shareward-shareaccess.XXXXXX)
  trap 'rmdir "$root"' EXIT
  before=$(fingerprint)
  status=0
  SHAREACCESS_ROOT=$root "${namespaces[@]}" -- bash "$0" "$@" || status=$?
  after=$(fingerprint)
  if [ "$before" != "$after" ]; then
    diff <(echo "$before") <(echo "$after") >&2 || true
    fail "the machine's account files, /etc/samba or /var/lib/samba changed (see above)"
  fi
  echo "the machine's account files, /etc/samba and /var/lib/samba are unchanged"
  echo "total: $(elapsed "$started")"
  exit "$status"
fi

# Inside the namespaces from here on, as PID 1: no mount below is seen by the rest of the
# machine, and every process left behind ends with this script.
root=$SHAREACCESS_ROOT
unset SHAREACCESS_ROOT
phase=$(now)
mount -t tmpfs -o mode=0755 shareward-shareaccess "$root"
# A copy of /etc replaces it whole: useradd renames its new files over passwd, group and
# shadow, which a file bound over each one alone would refuse.
cp -a /etc "$root/etc"
rm -rf "${root:?}/etc/samba"
mkdir "$root/etc/samba"
mount --bind "$root/etc" /etc
for dir in /var/lib/samba /var/cache/samba /run/samba /run/nscd /var/log /var/mail /home; do
  if [ -d "$dir" ]; then
    mount -t tmpfs -o mode=0755 shareward-shareaccess "$dir"
  fi
done

samba=$root/samba
srv=$root/srv
client=$root/client
config=/etc/samba/smb.conf
mkdir -p "$samba"/{private,state,cache,lock,run,ncalrpc,bind-dns,log,winbindd,usershares} \
  "$srv" "$client" "$root"/{bin,home,runtime,settings}
chmod 0700 "$samba/private" "$root/runtime"
export TMPDIR=$root/client
export HOME=$root/home
export XDG_RUNTIME_DIR=$root/runtime
export WINBINDD_SOCKET_DIR=$samba/winbindd

smbd_pid=
stop_smbd() {
  [ -n "$smbd_pid" ] || return 0
  # smbd leads its own process group (setsid): its connection and helper processes go too.
  kill -TERM -- "-$smbd_pid" 2>/dev/null || true
  local i
  for ((i = 0; i < 100; i++)); do
    kill -0 "$smbd_pid" 2>/dev/null || break
    sleep 0.05
  done
  kill -KILL -- "-$smbd_pid" 2>/dev/null || true
  wait "$smbd_pid" 2>/dev/null || true
  smbd_pid=
}
trap stop_smbd EXIT

# A port nothing listens on; smbd is tried on another one if it cannot bind it after all.
listening() {
  (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}
free_port() {
  local port tries
  for ((tries = 0, port = 20000 + RANDOM % 20000; tries < 1000; tries++, port++)); do
    if ! listening "$port"; then
      echo "$port"
      return
    fi
  done
  fail "no free port on 127.0.0.1 between 20000 and 41000"
}
port=$(free_port)

# User-level security without "map to guest": the window reads that line as share-level
# security, where the dialog offers guest access only.
cat >"$config" <<CONF
# Shareward end-to-end test server: private port and directories, loopback only.
[global]
   workgroup = SHAREACCESS
   netbios name = SHAREACCESS
   server string = Shareward share access test
   security = user
   passdb backend = tdbsam
   guest account = nobody
   smb ports = $port
   interfaces = lo
   bind interfaces only = yes
   disable netbios = yes
   load printers = no
   printcap name = /dev/null
   unix password sync = no
   private dir = $samba/private
   state directory = $samba/state
   cache directory = $samba/cache
   lock directory = $samba/lock
   pid directory = $samba/run
   ncalrpc dir = $samba/ncalrpc
   binddns dir = $samba/bind-dns
   winbindd socket directory = $samba/winbindd
   usershare path = $samba/usershares
   log file = $samba/log/log.%m
CONF

# The accounts: system users above 2500 in group users, made Samba users by pdbedit.
getent group users >/dev/null || groupadd users
declare -A passwords=([alice]='Alice-pw-2601' [bob]='Bob-pw-2602')
uid=2601
for user in alice bob; do
  if getent passwd "$user" >/dev/null; then
    userdel "$user" >/dev/null
  fi
  while getent passwd "$uid" >/dev/null; do
    uid=$((uid + 1))
  done
  useradd -M -N -g users -s /usr/sbin/nologin -u "$uid" "$user" || fail "useradd $user failed"
  printf '%s\n%s\n' "${passwords[$user]}" "${passwords[$user]}" | pdbedit -a -t -u "$user" >/dev/null \
    || fail "pdbedit -a $user failed"
done
accounts=$(pdbedit -L) || fail "pdbedit -L failed"
for user in alice bob; do
  grep -q "^$user:" <<<"$accounts" || fail "pdbedit does not list $user: $accounts"
done

# The shared directories. [docs] belongs to group users and is writable for alice and bob
# as far as the file system goes, so only smb.conf's read-only keeps them from writing;
# [team] and [guest] are 0755 and root's until the save sets them to 0777.
mkdir -m 0775 "$srv/docs"
chgrp users "$srv/docs"
chmod 0775 "$srv/docs"
echo "read me" >"$srv/docs/readme.txt"
mkdir -m 0755 "$srv/team" "$srv/guest"
setpriv --reuid=alice --regid=users --clear-groups -- test -w "$srv/docs" \
  || fail "$srv/docs should be writable for alice on the file system"
echo "hello from the share access test" >"$client/hello.txt"

# Stands in for systemd, absent here: every service command succeeds, smbd counts as running.
cat >"$root/bin/systemctl" <<SCRIPT
#!/bin/sh
echo "systemctl \$*" >> "$root/systemctl.log"
exit 0
SCRIPT
chmod 0755 "$root/bin/systemctl"
echo "namespace, accounts and directories: $(elapsed "$phase")"

# The window: three shares through the dialog, then Save.
phase=$(now)
status=0
SHAREACCESS_CONFIG=$config SHAREACCESS_SRV=$srv SHAREACCESS_SYSTEMCTL=$root/bin/systemctl \
  SHAREACCESS_SETTINGS=$root/settings "$driver" || status=$?
echo "== smb.conf as saved"
cat "$config"
echo "=="
[ "$status" -eq 0 ] || fail "the window did not write the shares as asked (exit $status, see above)"
echo "window, dialog and save: $(elapsed "$phase")"

# The server: the real smbd on the saved smb.conf, in the foreground in a process group of
# its own, until its port accepts connections.
phase=$(now)
smbd_log=$samba/log/smbd.out
start_smbd() {
  setsid smbd --foreground --no-process-group --debug-stdout -d 1 -s "$config" </dev/null \
    >"$smbd_log" 2>&1 &
  smbd_pid=$!
  local i
  for ((i = 0; i < 400; i++)); do
    if listening "$port"; then
      return 0
    fi
    if ! kill -0 "$smbd_pid" 2>/dev/null; then
      wait "$smbd_pid" 2>/dev/null || true
      smbd_pid=
      return 1
    fi
    sleep 0.025
  done
  return 1
}
attempt=1
until start_smbd; do
  stop_smbd
  if [ "$attempt" -ge 3 ] || ! grep -q 'No sockets available to bind to' "$smbd_log"; then
    cat "$smbd_log" >&2
    fail "smbd did not listen on 127.0.0.1:$port (attempt $attempt, log above)"
  fi
  # Another program took the port meanwhile: only the port line changes.
  port=$(free_port)
  sed -i "s/^\([[:space:]]*smb ports[[:space:]]*=\).*/\1 $port/" "$config"
  attempt=$((attempt + 1))
done
echo "smbd (pid $smbd_pid) listens on 127.0.0.1:$port: $(elapsed "$phase")"

# The client checks. Each runs smbclient once; failures are collected, not fatal at once.
phase=$(now)
failures=0
out=
rc=0
# smb SHARE WHO COMMANDS: WHO is a user of $passwords, "anonymous" (-N) or "user%password".
smb() {
  local share=$1 who=$2 commands=$3
  local -a credentials
  case $who in
  anonymous) credentials=(-N -U '%') ;;
  *%*) credentials=(-U "$who") ;;
  *) credentials=(-U "$who%${passwords[$who]}") ;;
  esac
  rc=0
  out=$(cd "$client" && timeout 30 smbclient "//127.0.0.1/$share" -p "$port" -s "$config" \
    "${credentials[@]}" -c "$commands" 2>&1) || rc=$?
}
problem() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
# allowed WHAT SHARE WHO COMMANDS: must succeed; $rc and $out tell the caller.
allowed() {
  local what=$1
  shift
  smb "$@"
  if [ "$rc" -eq 0 ]; then
    echo "ok: $what"
  else
    problem "$what: smbclient //127.0.0.1/$1 as $2 ran '$3' and failed (exit $rc):"$'\n'"$out"
  fi
}
# refused WHAT PATTERN SHARE WHO COMMANDS: must fail, saying a status that matches PATTERN.
refused() {
  local what=$1 pattern=$2
  shift 2
  smb "$@"
  if [ "$rc" -ne 0 ] && grep -Eq "$pattern" <<<"$out"; then
    echo "ok: $what ($(grep -Eo "$pattern" <<<"$out" | head -n 1))"
  else
    problem "$what: smbclient //127.0.0.1/$1 as $2 ran '$3', exit $rc, expected a refusal" \
      "matching $pattern:"$'\n'"$out"
  fi
}
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

# [guest]: read/write for guests, who act as the guest account nobody.
allowed "an anonymous guest lists [guest]" guest anonymous 'ls'
allowed "a guest writes to the read/write [guest]" guest anonymous 'put hello.txt guest.txt'
[ "$rc" -ne 0 ] || owned "$srv/guest/guest.txt" nobody
allowed "alice on the guest-only [guest] acts as the guest" guest alice 'put hello.txt alice.txt'
[ "$rc" -ne 0 ] || owned "$srv/guest/alice.txt" nobody

echo "smbclient checks: $(elapsed "$phase")"
stop_smbd
if [ "$failures" -ne 0 ]; then
  echo "== smbd's log" >&2
  cat "$smbd_log" "$samba"/log/log.* >&2 2>/dev/null || true
  fail "$failures access check(s) failed"
fi
echo "all access checks passed"
