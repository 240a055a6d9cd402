#!/usr/bin/env bash
# cliauditoperations.sh CLI
#
# Every full_audit operation shareward-cli (and the share dialog) offers must be one this
# Samba knows: a single unknown name in full_audit:success makes the module fail to load
# ("Could not find opname"), and every connection to the share fails.
#   1. shareward-cli lists its operations: those of a share audited with "all", as
#      "share show --json" tells them;
#   2. it writes them by name, on two shares: [audited] all but the first, [first] the first
#      alone (the whole set would be written as "all", which Samba expands by itself);
#   3. the real smbd serves them in the private namespaces of ../app/privateserver.sh, and
#      carol writes a file to each; [unknown], audited with a name Samba does not know, shows
#      that such a name is refused here.
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
private_server_enter python3 -- "$@"

# Inside the namespaces from here on, as PID 1.
write_global_config CLIAUDIT "Shareward full_audit operations test"
export SHAREWARD_RUN_DIRECTORY=$root/locks
export SHAREWARD_HISTORY_DIRECTORY=$root/history
getent group users >/dev/null || groupadd users

declare -A passwords=([carol]='Carol-pw-5120')
printf '%s\n' "${passwords[carol]}" | "$cli" user add carol --create-unix-account \
  || fail "shareward-cli user add failed"

# audited NAME OPERATIONS: a share of $srv/NAME writable by carol, with full audit of the
# operations given (comma-separated) to smbd's log.
audited() {
  local name=$1 operations=$2
  mkdir -m 0777 "$srv/$name"
  "$cli" share add "$name" --path "$srv/$name" --writable --valid-users carol --audit full \
    --audit-operations "$operations" --param full_audit:syslog=no >/dev/null \
    || fail "shareward-cli share add $name failed"
}

audited audited all
mapfile -t operations < <("$cli" share show audited --json | python3 -c '
import json, sys
for module in json.load(sys.stdin)["vfsModules"]:
    if module["name"] == "full_audit":
        print("\n".join(module["successOperations"]))')
[ "${#operations[@]}" -ge 2 ] || fail "shareward-cli lists ${#operations[@]} full_audit operation(s)"
echo "shareward-cli offers ${#operations[@]} full_audit operations"
rest=$(IFS=,; echo "${operations[*]:1}")
"$cli" share set audited --audit-operations "$rest" >/dev/null || fail "shareward-cli share set audited failed"
audited first "${operations[0]}"
audited unknown frobnicate
echo "== smb.conf as saved"
cat "$config"
echo "=="

# Written by name, as testparm reads them: not "all".
listed=$(testparm -sv "$config" 2>/dev/null | awk '
  /^\[/ { inside = ($0 == "[audited]"); next }
  inside && $1 == "full_audit:success" { sub(/^[^=]*= */, ""); print }')
[ "$listed" = "${operations[*]:1}" ] \
  || fail "[audited] has full_audit:success = '$listed', not the operations but the first by name"

start_smbd
echo "an audited line" >"$client/audited.txt"
allowed "carol writes to [audited], audited for ${#operations[@]} - 1 operations" audited carol \
  'put audited.txt audited.txt'
allowed "carol writes to [first], audited for ${operations[0]}" first carol 'put audited.txt audited.txt'
refused "an unknown operation keeps full_audit from loading" 'NT_STATUS_UNSUCCESSFUL' unknown carol 'ls'
if [ "$failures" -ne 0 ]; then
  grep -h 'Could not find opname' "$smbd_log" "$samba"/log/log.* 2>/dev/null | sort -u >&2 || true
fi
finish_checks
echo "smbd knows every full_audit operation shareward-cli offers"
