#!/usr/bin/env bash
# cliserver.sh CLI
#
# A share and a Samba user made with shareward-cli alone, served by the real smbd, in the
# private mount and PID namespaces of ../app/privateserver.sh, which leave the machine's /etc
# and Samba's directories alone:
#   1. shareward-cli makes carol a Unix and a Samba user, her password on standard input;
#   2. shareward-cli adds [projects], writable for carol only, checked by the real testparm;
#   3. the real smbd serves it on a private port, and the real smbclient writes a file as
#      carol; a wrong password and a guest are refused.
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
private_server_enter -- "$@"

# Inside the namespaces from here on, as PID 1.
write_global_config CLISERVER "Shareward command-line test"
export SHAREWARD_RUN_DIRECTORY=$root/locks
export SHAREWARD_HISTORY_DIRECTORY=$root/history
getent group users >/dev/null || groupadd users

declare -A passwords=([carol]='Carol-pw-2701')
printf '%s\n' "${passwords[carol]}" | "$cli" user add carol --create-unix-account \
  || fail "shareward-cli user add failed"
mkdir -m 0777 "$srv/projects"
"$cli" share add projects --path "$srv/projects" --writable --valid-users carol \
  || fail "shareward-cli share add failed"
echo "== smb.conf as saved"
cat "$config"
echo "=="

start_smbd
echo "hello from the command-line test" >"$client/hello.txt"
allowed "carol writes to [projects]" projects carol 'put hello.txt carol.txt'
if [ "$rc" -eq 0 ] && [ "$(stat -c %U "$srv/projects/carol.txt" 2>/dev/null)" != carol ]; then
  problem "$srv/projects/carol.txt was not written as carol"
fi
refused "a wrong password is refused" 'NT_STATUS_LOGON_FAILURE' projects 'carol%wrong-password' 'ls'
refused "a guest cannot connect to [projects]" 'NT_STATUS_(ACCESS_DENIED|LOGON_FAILURE)' projects anonymous 'ls'
finish_checks
echo "all command-line checks passed"
