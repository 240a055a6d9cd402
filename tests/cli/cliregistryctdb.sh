#!/usr/bin/env bash
# cliregistryctdb.sh CLI
#
# shareward-cli on the registry of clustered Samba: ctdbd runs as a one-node cluster on
# 127.0.0.1 in the private namespaces of ../app/privateserver.sh, smb.conf says
# "clustering = yes" and "include = registry", so net conf reads and writes the registry
# through CTDB. An edit of a registry share made with shareward-cli is seen by net conf, is in
# CTDB's registry.tdb, and the clustered smbd serves the share.
# Exits 77 (skipped) where root, the tools (ctdbd among them) or the namespaces are missing.
set -euo pipefail

if [ "$#" -ne 1 ]; then
  echo "usage: $0 CLI" >&2
  exit 2
fi
cli=$1

# shellcheck source=SCRIPTDIR/../app/privateserver.sh
source "$(dirname "$0")/../app/privateserver.sh"
[ -x "$cli" ] || fail "no shareward-cli at $cli"
private_server_enter ctdbd ctdb net smbcontrol -- "$@"

# Inside the namespaces from here on, as PID 1.
export SHAREWARD_RUN_DIRECTORY=$root/locks
export SHAREWARD_HISTORY_DIRECTORY=$root/history

# CTDB's state and run directories, private: /run/ctdb is not on the machine, so a tmpfs
# covers all of /run and Samba's directories are made again on it.
mount -t tmpfs -o mode=0755 "shareward-$private_server_name" /var/lib/ctdb
mkdir -p /var/lib/ctdb/{persistent,state,volatile}
mount -t tmpfs -o mode=0755 "shareward-$private_server_name" /run
mkdir -p /run/samba /run/ctdb /run/lock /var/log/ctdb "$root/ctdb"
# ctdbd and ctdb find their TCP port as the "ctdb" service; /etc is the private copy.
echo "ctdb $(free_port)/tcp" >>/etc/services
echo 127.0.0.1 >/etc/ctdb/nodes
cat >/etc/ctdb/ctdb.conf <<CONF
[logging]
	location = file:/var/log/ctdb/log.ctdb
	log level = NOTICE
[cluster]
	cluster lock = $root/ctdb/reclock
[legacy]
	realtime scheduling = false
CONF
# A single node need not hold recovery off for 10 s after its first one.
echo 'RerecoveryTimeout=1' >>/etc/ctdb/ctdb.tunables

ctdb_started=
stop_all() {
  stop_smbd
  [ -n "$ctdb_started" ] || return 0
  ctdb shutdown >/dev/null 2>&1 || true
  local i
  for ((i = 0; i < 100; i++)); do
    pgrep -x ctdbd >/dev/null || return 0
    sleep 0.1
  done
  echo "FAIL: ctdbd did not end after ctdb shutdown" >&2
  exit 1
}
trap stop_all EXIT

started=$(now)
ctdbd || fail "ctdbd did not start:"$'\n'"$(cat /var/log/ctdb/log.ctdb 2>/dev/null)"
ctdb_started=yes
# About 12 s: the node's first election and recovery.
healthy=
for ((i = 0; i < 240; i++)); do
  if ctdb nodestatus >/dev/null 2>&1; then
    healthy=yes
    break
  fi
  sleep 0.25
done
[ -n "$healthy" ] || fail "ctdb nodestatus not OK after 60 s:"$'\n'"$(cat /var/log/ctdb/log.ctdb)"
echo "ok: the one-node cluster is healthy after $(elapsed "$started")"

write_global_config CLIREGCTDB "Shareward clustered registry test"
printf '   clustering = yes\n   include = registry\n' >>"$config"
mkdir -p "$srv/clustered"
echo clustered >"$srv/clustered/clustered.txt"
chmod -R a+rwX "$srv"
net_conf() {
  net -s "$config" conf "$@"
}
net_conf setparm clustered path "$srv/clustered" || fail "net conf setparm through CTDB failed"
add_system_user ctdbtest 2721
add_samba_user ctdbtest 'Ctdbtest-pw-1'

"$cli" share set clustered --comment 'set through the cluster' || fail "shareward-cli share set failed"
net_conf showshare clustered | grep -q '^[[:space:]]*comment = set through the cluster$' \
  || fail "net conf showshare clustered lacks the comment:"$'\n'"$(net_conf showshare clustered)"
catdb=$(ctdb catdb registry.tdb) || fail "ctdb catdb registry.tdb failed"
# The share's values are one record, keyed by its registry path; the strings in UTF-16.
values=$(grep -A4 -F 'SAMBA_REGVAL\5CHKLM\5CSOFTWARE\5CSAMBA\5CSMBCONF\5CCLUSTERED\00"' <<<"$catdb" \
  | grep '^data' | sed 's/\\00//g') || fail "CTDB's registry.tdb has no values of [clustered]:"$'\n'"$catdb"
grep -q 'comment.*set through the cluster' <<<"$values" || fail "CTDB's registry.tdb lacks the comment: $values"
[ -z "$(find "$samba" /var/lib/samba -name registry.tdb)" ] || fail "a local registry.tdb was written"
echo "ok: the edit is in the cluster's registry"

start_smbd
allowed "the clustered smbd serves [clustered]" clustered 'ctdbtest%Ctdbtest-pw-1' ls
if [ "$rc" -eq 0 ] && ! grep -q ' clustered.txt ' <<<"$out"; then
  problem "[clustered] does not show clustered.txt:"$'\n'"$out"
fi
finish_checks
echo "all clustered registry checks passed"
