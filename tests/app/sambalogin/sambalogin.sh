#!/usr/bin/env bash
# sambalogin.sh DRIVER
#
# The password typed in the user dialog is the one Samba checks at login. In the private
# mount and PID namespaces of ../privateserver.sh, which leave the machine's /etc and
# Samba's directories alone:
#   1. useradd makes alice (uid >= 2500) and bob, a service user (uid < 2500, as the users
#      dialog offers those for new Samba accounts); the real pdbedit makes alice a Samba user
#      with the password "old-secret", bob is none;
#   2. DRIVER, the window under Qt Test, adds bob through the users and the user dialog with a
#      password outside ASCII, gives alice a new one the same way and saves with the real
#      testparm and pdbedit. strace watches the save: no password may be in the arguments or
#      the environment of a program it starts;
#   3. the real smbd serves [common], open to every Samba user, on a private port on
#      127.0.0.1, and the real smbclient logs in with the new passwords, and is refused with a
#      wrong one and with alice's old one.
# The passwords reach the window and smbclient in files, in UTF-8, never on a command line.
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
private_server_enter strace -- "$@"

# Inside the namespaces from here on, as PID 1.
phase=$(now)
write_global_config SAMBALOGIN "Shareward Samba login test"

# What the administrator types, and a near miss of bob's.
declare -A passwords=([alice]='néw-Sëcret' [bob]='Pässwörd€–ß')
old_password='old-secret'
wrong_password='Pässwörd€–'
add_system_user alice 2601
add_system_user bob 2401
[ "$(id -u bob)" -lt 2500 ] || fail "no free uid below 2500 for bob"
add_samba_user alice "$old_password"
accounts=$(pdbedit -L) || fail "pdbedit -L failed"
grep -q '^alice:' <<<"$accounts" || fail "pdbedit does not list alice: $accounts"
! grep -q '^bob:' <<<"$accounts" || fail "bob is a Samba user already: $accounts"

# For the driver: one "name:password" a line, printed by the shell itself.
password_file=$root/passwords
(umask 077 && printf '%s:%s\n' alice "${passwords[alice]}" bob "${passwords[bob]}" \
  alice-old "$old_password" >"$password_file")

mkdir -m 0755 "$srv/common"
echo "welcome" >"$srv/common/welcome.txt"
cat >>"$config" <<CONF

[common]
   path = $srv/common
   comment = For every Samba user
   read only = yes
   guest ok = no
CONF
fake_systemctl

# strace follows the window's programs where ptrace is allowed; elsewhere the save runs
# unwatched, and says so.
trace=$root/save.trace
if ! strace -f -qq -e trace=execve -o /dev/null true 2>/dev/null; then
  echo "NOTE: strace cannot trace here; the save's program arguments go unchecked"
  trace=
fi
echo "namespace, accounts and directories: $(elapsed "$phase")"

phase=$(now)
run_driver "$driver" LANG=C.UTF-8 LC_ALL=C.UTF-8 SAMBALOGIN_PASSWORDS="$password_file" \
  SAMBALOGIN_TRACE="$trace"
echo "window, dialogs and save: $(elapsed "$phase")"

phase=$(now)
start_smbd
echo "smbd (pid $smbd_pid) listens on 127.0.0.1:$port: $(elapsed "$phase")"

phase=$(now)
refused_login='NT_STATUS_LOGON_FAILURE'
# listed WHO: the last listing of [common] shows its file.
listed() {
  if [ "$rc" -eq 0 ] && ! grep -q 'welcome.txt' <<<"$out"; then
    problem "$1's listing of [common] lacks welcome.txt:"$'\n'"$out"
  fi
}
allowed "bob logs in with the password typed in the user dialog" common bob 'ls'
listed bob
refused "bob with a wrong password is refused" "$refused_login" common "bob%$wrong_password" 'ls'
allowed "alice logs in with her new password" common alice 'ls'
listed alice
refused "alice's old password no longer works" "$refused_login" common "alice%$old_password" 'ls'
echo "smbclient checks: $(elapsed "$phase")"
finish_checks
echo "all login checks passed"
