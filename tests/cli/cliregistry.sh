#!/usr/bin/env bash
# cliregistry.sh CLI
#
# shareward-cli on Samba's registry configuration beside smb.conf ("include = registry"), with
# the real net, testparm, smbd and smbclient in the private namespaces of
# ../app/privateserver.sh:
#   1. share list tells where each share is stored and which the registry shadows;
#   2. an edit of a registry share changes the registry alone, one of a file share smb.conf alone;
#   3. a testparm that refuses leaves the registry untouched;
#   4. a net conf step that fails midway is rolled back;
#   5. smbd serves registry shares, and shares moved between smb.conf and the registry;
#   6. store-in-registry asks before it puts registry settings Samba did not read in effect,
#      keeps every share as testparm reads it, and smbd serves them;
#   7. an earlier version of the registry is restored from the history.
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
private_server_enter net -- "$@"

# Inside the namespaces from here on, as PID 1.
export SHAREWARD_RUN_DIRECTORY=$root/locks
export SHAREWARD_HISTORY_DIRECTORY=$root/history
write_global_config CLIREGISTRY "Shareward registry test"
echo "   include = registry" >>"$config"
for dir in files dupfile dupreg reg; do
  mkdir -p "$srv/$dir"
  echo "$dir" >"$srv/$dir/$dir.txt"
done
chmod -R a+rwX "$srv"
cat >>"$config" <<CONF
[files]
   path = $srv/files
   comment = file share
[dup]
   path = $srv/dupfile
   comment = dup in smb.conf
   browseable = no
CONF
net_conf() {
  net -s "$config" conf "$@"
}
for words in "reg path $srv/reg" "reg comment registry share" "dup path $srv/dupreg" "dup comment dup in registry"; do
  read -r section key value <<<"$words"
  net_conf setparm "$section" "$key" "$value" || fail "net conf setparm $words failed"
done
add_system_user regtest 2711
add_samba_user regtest 'Regtest-pw-1'
who='regtest%Regtest-pw-1'

# run_cli ARGUMENT...: shareward-cli; sets cli_rc, cli_out and cli_err.
run_cli() {
  cli_rc=0
  "$cli" "$@" >"$client/cli.out" 2>"$client/cli.err" || cli_rc=$?
  cli_out=$(cat "$client/cli.out")
  cli_err=$(cat "$client/cli.err")
}
# cli_ok ARGUMENT...: shareward-cli must succeed.
cli_ok() {
  run_cli "$@"
  [ "$cli_rc" -eq 0 ] || fail "shareward-cli $* exited $cli_rc:"$'\n'"$cli_out"$'\n'"$cli_err"
}
registry_text() {
  net_conf list || fail "net conf list failed"
}
same() {
  local what=$1 before=$2 after=$3
  [ "$before" = "$after" ] || fail "$what changed:"$'\n'"$(diff <(echo "$before") <(echo "$after") || true)"
}
# testparm -s of section NAME, its lines sorted: where its parameters come from does not matter.
tp_section() {
  testparm -s "$config" 2>/dev/null | awk -v s="[$1]" '/^\[/ { inside = ($0 == s) } inside && NF' | LC_ALL=C sort
}
# served SHARE FILE: smbclient lists FILE in SHARE.
served() {
  allowed "[$1] is served" "$1" "$who" ls
  if [ "$rc" -eq 0 ] && ! grep -q " $2 " <<<"$out"; then
    problem "[$1] does not show $2:"$'\n'"$out"
  fi
}

echo "== 1. share list"
cli_ok share list
tab=$'\t'
expected="dup$tab$srv/dupfile${tab}dup in smb.conf${tab}read-only${tab}no-guests${tab}share${tab}smb.conf,shadowed
dup$tab$srv/dupreg${tab}dup in registry${tab}read-only${tab}no-guests${tab}share${tab}registry
files$tab$srv/files${tab}file share${tab}read-only${tab}no-guests${tab}share${tab}smb.conf
reg$tab$srv/reg${tab}registry share${tab}read-only${tab}no-guests${tab}share${tab}registry"
same "share list (sorted)" "$expected" "$(LC_ALL=C sort <<<"$cli_out")"
cli_ok share list --registry
same "share list --registry (sorted)" "$(grep -v smb.conf <<<"$expected")" "$(LC_ALL=C sort <<<"$cli_out")"
cli_ok share list --file
same "share list --file (sorted)" "$(grep smb.conf <<<"$expected")" "$(LC_ALL=C sort <<<"$cli_out")"
places="$(printf '%s\n' 'dup registry False' 'dup smb.conf True' 'files smb.conf False' 'reg registry False')"
cli_ok share list --json
same "share list --json: name storedIn shadowed" "$places" "$(python3 -c 'import json, sys
for s in json.load(sys.stdin): print(s["name"], s["storedIn"], s["shadowed"])' <<<"$cli_out" | LC_ALL=C sort)"
cli_ok show "$config"
same "show: name storedIn shadowed" "$places" "$(python3 -c 'import json, sys
for s in json.load(sys.stdin)["shares"]: print(s["name"], s["storedIn"], s["shadowed"])' <<<"$cli_out" \
  | LC_ALL=C sort)"
echo "ok: share list"

echo "== 2. edits go where the share is stored"
file_sum=$(sha256sum "$config")
cli_ok share set reg --comment 'registry comment X'
net_conf showshare reg | grep -q '^[[:space:]]*comment = registry comment X$' \
  || fail "net conf showshare reg lacks the new comment:"$'\n'"$(net_conf showshare reg)"
same "smb.conf after an edit of a registry share" "$file_sum" "$(sha256sum "$config")"
# No smbd runs yet: the reload fails, which is only a note.
grep -q 'reload-config' <<<"$cli_err" || fail "no note that smbd could not reload:"$'\n'"$cli_err"
registry=$(registry_text)
cli_ok share set files --comment 'file comment Y'
grep -q '^[[:space:]]*comment = file comment Y$' "$config" || fail "smb.conf lacks [files]' new comment"
same "the registry after an edit of a file share" "$registry" "$(registry_text)"
echo "ok: edits"

# fake NAME SCRIPT: a stand-in for a program, named in SHAREWARD_PROGRAM_NAME for the next command.
mkdir -p "$root/fakes"
fake() {
  printf '#!/bin/bash\n%s\n' "$2" >"$root/fakes/$1"
  chmod 0755 "$root/fakes/$1"
}

echo "== 3. testparm refuses"
# shellcheck disable=SC2016 # expanded by the fake, not here
fake testparm 'echo "Load smb config files from ${!#}" >&2
echo "ERROR: the test refuses every configuration" >&2
exit 1'
SHAREWARD_PROGRAM_TESTPARM=$root/fakes/testparm run_cli share set reg --comment Z
rm "$root/fakes/testparm"
[ "$cli_rc" -eq 1 ] || fail "share set with testparm refusing exited $cli_rc, not 1:"$'\n'"$cli_err"
grep -q 'refuses every configuration' <<<"$cli_err" || fail "testparm's words are not shown:"$'\n'"$cli_err"
same "the registry after testparm refused" "$registry" "$(registry_text)"
echo "ok: testparm's refusal changes nothing"

echo "== 4. a net conf step fails"
# The real net, except that the second setparm fails.
fake net "if [[ \" \$* \" == *' setparm '* ]]; then
  count=\$((\$(cat '$root/setparm.count' 2>/dev/null || echo 0) + 1))
  echo \"\$count\" >'$root/setparm.count'
  if [ \"\$count\" -eq 2 ]; then
    echo 'injected failure of the second setparm' >&2
    exit 255
  fi
fi
exec $(command -v net) \"\$@\""
SHAREWARD_PROGRAM_NET=$root/fakes/net run_cli share set reg --comment A --writable
rm "$root/fakes/net"
[ "$(cat "$root/setparm.count")" -eq 2 ] || fail "the edit ran $(cat "$root/setparm.count") setparm, not 2"
[ "$cli_rc" -eq 1 ] || fail "share set with a failing net exited $cli_rc, not 1:"$'\n'"$cli_err"
grep -q 'injected failure' <<<"$cli_err" || fail "net's words are not shown:"$'\n'"$cli_err"
grep -q 'put back as it was' <<<"$cli_err" || fail "no word of the registry being put back:"$'\n'"$cli_err"
same "the registry after a failed net conf step" "$registry" "$(registry_text)"
echo "ok: the registry is put back"

echo "== 4b. net conf list fails"
fake net 'echo "injected failure of net conf list" >&2; exit 255'
for listing in "share list --registry" "share list" "share show reg"; do
  # shellcheck disable=SC2086 # the words are the command's
  SHAREWARD_PROGRAM_NET=$root/fakes/net run_cli $listing
  [ "$cli_rc" -eq 1 ] || fail "$listing without the registry exited $cli_rc, not 1:"$'\n'"$cli_out"
  grep -q 'injected failure of net conf list' <<<"$cli_err" || fail "$listing does not say net's words:"$'\n'"$cli_err"
done
rm "$root/fakes/net"
echo "ok: a registry that cannot be read is a failure"

echo "== 5. smbd serves registry shares"
start_smbd
served reg reg.txt
served files files.txt
served dup dupreg.txt
cli_ok share move reg --to file
net_conf showshare reg >/dev/null 2>&1 && problem "[reg] is still in the registry after the move"
grep -q '^\[reg\]$' "$config" || problem "smb.conf has no [reg] after the move"
served reg reg.txt
cli_ok share move files --to registry
net_conf showshare files >/dev/null 2>&1 || problem "[files] is not in the registry after the move"
grep -q '^\[files\]$' "$config" && problem "smb.conf still has [files] after the move"
served files files.txt

echo "== 6. store-in-registry: registry settings Samba does not read"
# The same server without include = registry: the registry's [reg] and [dup] are not read.
plain=$root/plain.conf
grep -v 'include = registry' "$config" >"$plain"
run_cli --config "$plain" --dry-run store-in-registry
[ "$cli_rc" -eq 1 ] || fail "store-in-registry put unread registry settings in effect unasked (exit $cli_rc)"
grep -q "$srv/dupreg" <<<"$cli_err" || fail "the refusal does not show the unread settings:"$'\n'"$cli_err"
cli_ok --config "$plain" --dry-run store-in-registry --replace-registry
grep -q "^-[[:space:]]*path = $srv/dupreg" <<<"$cli_out" || fail "--replace-registry keeps [dup] of the registry:"$'\n'"$cli_out"
cli_ok --config "$plain" --dry-run store-in-registry --keep-registry
grep -q "^+[[:space:]]*path = $srv/dupreg" <<<"$cli_out" \
  || fail "the diff of what Samba serves does not show [dup] from the registry:"$'\n'"$cli_out"
echo "ok: store-in-registry asks"

echo "== 6. store-in-registry, while smbd runs"
shares="dup files reg"
declare -A before_store
for name in $shares; do
  before_store[$name]=$(tp_section "$name")
  [ -n "${before_store[$name]}" ] || fail "testparm -s shows no [$name]"
done
registry_before_store=$(registry_text)
cli_ok store-in-registry
grep -q 'reload-config' <<<"$cli_err" && fail "smbd did not reload:"$'\n'"$cli_err"
grep -q '^[[:space:]]*include = registry' "$config" || fail "smb.conf lost include = registry"
registry=$(registry_text)
for key in "smb ports = $port" "workgroup = CLIREGISTRY" "path = $srv/reg" "path = $srv/files"; do
  grep -qi "^[[:space:]]*$key\$" <<<"$registry" || fail "net conf list lacks '$key':"$'\n'"$registry"
done
for name in $shares; do
  same "testparm -s [$name] after store-in-registry" "${before_store[$name]}" "$(tp_section "$name")"
done
served reg reg.txt
served files files.txt
served dup dupreg.txt
finish_checks
echo "ok: store-in-registry"

echo "== 7. history --registry and restore"
cli_ok history --registry
echo "$cli_out"
[ "$(grep -c $'^[0-9]\+\t' <<<"$cli_out")" -ge 5 ] || fail "history --registry lists too few versions"
# Newest first: the second is the registry before store-in-registry.
version=$(grep $'^[0-9]\+\t' <<<"$cli_out" | sed -n 2p | cut -f1)
file_sum=$(sha256sum "$config")
cli_ok restore "$version"
same "the registry restored to version $version" "$registry_before_store" "$(registry_text)"
same "smb.conf after a restore of the registry" "$file_sum" "$(sha256sum "$config")"
echo "all registry checks passed"
