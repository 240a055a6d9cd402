# shellcheck shell=bash
# privateserver.sh: sourced by the end-to-end scripts that let the real smbd serve what the
# window saved (shareaccess/shareaccess.sh, sambalogin/sambalogin.sh).
#
# private_server_enter runs the sourcing script a second time inside private mount and PID
# namespaces. There a copy of /etc (user and group databases, an empty /etc/samba) on a tmpfs
# covers the real one, and tmpfs mounts cover Samba's state, cache and run directories,
# /var/log, /var/mail and /home; the script adds accounts, runs the window's part and starts
# smbd on a private port on 127.0.0.1 with the helpers below. smbd is stopped by its process
# group on every exit; the PID namespace ends whatever is left with it. Outside, the machine's
# account files, /etc/samba and /var/lib/samba must be unchanged afterwards.
#
# The sourcing script runs under "set -euo pipefail".

# shellcheck source=SCRIPTDIR/../support/namespacefixture.sh
source "$(dirname "${BASH_SOURCE[0]}")/../support/namespacefixture.sh"

# Names the temporary directory and the tmpfs mounts after the sourcing script.
private_server_name=$(basename "$0" .sh)

# private_server_enter [TOOL...] -- [ARGUMENT...]
#
# Outside the namespaces: skips without root, one of the tools Samba's test server needs or
# one of TOOLs, or the namespaces; otherwise runs the sourcing script with ARGUMENTs again
# inside them, checks the machine afterwards and exits with the script's status.
# Inside, as PID 1: mounts the private /etc and Samba directories and returns, with these set:
#   root     the private tmpfs, where everything of the test lives
#   samba    Samba's private, state, cache, lock, run and log directories, under $root
#   srv      for the shared directories; client: the client's working directory
#   config   /etc/samba/smb.conf, the private one
#   port     a free port on 127.0.0.1 for smbd
private_server_enter() {
  local -a tools=()
  while [ "$#" -gt 0 ] && [ "$1" != -- ]; do
    tools+=("$1")
    shift
  done
  [ "$#" -eq 0 ] || shift
  if [ -z "${SHAREWARD_PRIVATE_ROOT:-}" ]; then
    private_server_outside "${tools[@]}" -- "$@"
  fi
  private_server_inside
}

private_server_outside() {
  local -a tools=()
  while [ "$1" != -- ]; do
    tools+=("$1")
    shift
  done
  shift
  [ "$(id -u)" -eq 0 ] || skip "needs root (useradd, pdbedit, smbd and mount namespaces)"
  local tool
  for tool in unshare mount useradd groupadd pdbedit testparm smbd smbclient setsid setpriv sha256sum \
    timeout awk "${tools[@]}"; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
  done
  "${private_namespaces[@]}" true 2>/dev/null || skip "no private mount and PID namespaces here"

  local started before after status=0
  started=$(now)
  root=$(mktemp -d "/tmp/shareward-$private_server_name.XXXXXX")
  trap 'rmdir "$root"' EXIT
  before=$(fingerprint)
  SHAREWARD_PRIVATE_ROOT=$root "${private_namespaces[@]}" -- bash "$0" "$@" || status=$?
  after=$(fingerprint)
  if [ "$before" != "$after" ]; then
    diff <(echo "$before") <(echo "$after") >&2 || true
    fail "the machine's account files, /etc/samba or /var/lib/samba changed (see above)"
  fi
  echo "the machine's account files, /etc/samba and /var/lib/samba are unchanged"
  echo "total: $(elapsed "$started")"
  exit "$status"
}

# Inside the namespaces: no mount below is seen by the rest of the machine, and every process
# left behind ends with the script.
private_server_inside() {
  root=$SHAREWARD_PRIVATE_ROOT
  unset SHAREWARD_PRIVATE_ROOT
  mount -t tmpfs -o mode=0755 "shareward-$private_server_name" "$root"
  copy_etc "$root/etc"
  mount --bind "$root/etc" /etc
  cover_with_tmpfs "shareward-$private_server_name" /var/lib/samba /var/cache/samba /run/samba /run/nscd \
    /var/log /var/mail /home

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
  smbd_log=$samba/log/smbd.out
  trap stop_smbd EXIT
  # smbd is tried on another port if it cannot bind this one after all.
  port=$(free_port)
  failures=0
}

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

# write_global_config NAME DESCRIPTION: smb.conf with only the [global] section, for Samba
# on the private port and directories; the shares are appended by the caller.
#
# User-level security; a caller may add "map to guest".
write_global_config() {
  cat >"$config" <<CONF
# Shareward end-to-end test server: private port and directories, loopback only.
[global]
   workgroup = $1
   netbios name = $1
   server string = $2
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
}

# add_system_user NAME UID: a user in group users without a home, with the first free uid
# from UID on; one of that name already in the copied /etc goes first.
add_system_user() {
  local name=$1 uid=$2
  getent group users >/dev/null || groupadd users
  if getent passwd "$name" >/dev/null; then
    userdel "$name" >/dev/null
  fi
  while getent passwd "$uid" >/dev/null; do
    uid=$((uid + 1))
  done
  useradd -M -N -g users -s /usr/sbin/nologin -u "$uid" "$name" || fail "useradd $name failed"
}

# add_samba_user NAME PASSWORD: the real pdbedit makes NAME a Samba user, the password on
# its standard input.
add_samba_user() {
  printf '%s\n%s\n' "$2" "$2" | pdbedit -a -t -u "$1" >/dev/null || fail "pdbedit -a $1 failed"
}

# Stands in for systemd, absent here: every service command succeeds, smbd counts as running.
# Sets systemctl to its path; it logs each call to $root/systemctl.log.
fake_systemctl() {
  systemctl=$root/bin/systemctl
  cat >"$systemctl" <<SCRIPT
#!/bin/sh
for argument do shift; [ "\$argument" = -- ] || set -- "\$@" "\$argument"; done
echo "systemctl \$*" >> "$root/systemctl.log"
exit 0
SCRIPT
  chmod 0755 "$systemctl"
}

# run_driver DRIVER [VARIABLE=VALUE...]: the window's part, with smb.conf, the settings and
# systemctl of this namespace (see privateserverwindow.h) and the variables given; then shows
# smb.conf as saved. Fails unless DRIVER succeeds.
run_driver() {
  local driver=$1 status=0
  shift
  env SHAREWARD_PRIVATE_CONFIG="$config" SHAREWARD_PRIVATE_SRV="$srv" \
    SHAREWARD_PRIVATE_SYSTEMCTL="$systemctl" SHAREWARD_PRIVATE_SETTINGS="$root/settings" "$@" \
    "$driver" || status=$?
  echo "== smb.conf as saved"
  cat "$config"
  echo "=="
  [ "$status" -eq 0 ] || fail "the window did not do as asked (exit $status, see above)"
}

# The real smbd on the saved smb.conf, in the foreground in a process group of its own, until
# its port accepts connections; a port taken meanwhile by another program is replaced.
start_smbd() {
  local attempt=1
  until try_smbd; do
    stop_smbd
    if [ "$attempt" -ge 3 ] || ! grep -q 'No sockets available to bind to' "$smbd_log"; then
      cat "$smbd_log" >&2
      fail "smbd did not listen on 127.0.0.1:$port (attempt $attempt, log above)"
    fi
    # Only the port line changes.
    port=$(free_port)
    sed -i "s/^\([[:space:]]*smb ports[[:space:]]*=\).*/\1 $port/" "$config"
    attempt=$((attempt + 1))
  done
}
try_smbd() {
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

# The client checks. Each runs smbclient once; failures are collected, not fatal at once.
# smb SHARE WHO COMMANDS sets rc and out. WHO is "anonymous" (-N), "user%password", or a
# user whose password is in the caller's associative array passwords. A password goes to
# smbclient in an authentication file, in UTF-8 as the script holds it, never on a command
# line; smbclient runs in a UTF-8 locale.
out=
rc=0
smb() {
  local share=$1 who=$2 commands=$3
  local -a credentials
  case $who in
  anonymous) credentials=(-N -U '%') ;;
  *)
    local user=${who%%\%*} password
    if [ "$user" = "$who" ]; then
      # shellcheck disable=SC2154 # the caller's
      password=${passwords[$who]}
    else
      password=${who#*%}
    fi
    # printf is a shell builtin: the password is in no process's arguments.
    (umask 077 && printf 'username = %s\npassword = %s\n' "$user" "$password" >"$client/credentials")
    credentials=(-A "$client/credentials")
    ;;
  esac
  rc=0
  out=$(cd "$client" && LANG=C.UTF-8 LC_ALL=C.UTF-8 timeout 30 smbclient "//127.0.0.1/$share" -p "$port" \
    -s "$config" "${credentials[@]}" -c "$commands" 2>&1) || rc=$?
  rm -f "$client/credentials"
}
# Who ran what, for messages: the password of "user%password" left out.
smb_who() {
  echo "${1%%\%*}"
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
    problem "$what: smbclient //127.0.0.1/$1 as $(smb_who "$2") ran '$3' and failed (exit $rc):"$'\n'"$out"
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
    problem "$what: smbclient //127.0.0.1/$1 as $(smb_who "$2") ran '$3', exit $rc, expected a" \
      "refusal matching $pattern:"$'\n'"$out"
  fi
}

# finish_checks: stops smbd; with failed checks, shows smbd's logs and fails.
finish_checks() {
  stop_smbd
  if [ "$failures" -ne 0 ]; then
    echo "== smbd's log" >&2
    cat "$smbd_log" "$samba"/log/log.* >&2 2>/dev/null || true
    fail "$failures check(s) failed"
  fi
}
