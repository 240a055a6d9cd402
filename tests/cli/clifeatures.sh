#!/usr/bin/env bash
# clifeatures.sh CLI
#
# The share features shareward-cli turns on, served by the real smbd in the private mount and
# PID namespaces of ../app/privateserver.sh, and used through the real smbclient:
#   [bin]      a recycle bin that keeps the folders: a file deleted in a folder lands in
#              .recycle/carol/FOLDER on disk;
#   [backup]   a Time Machine target of at most 10G: testparm reads the option for it, and
#              a file is written and read with catia, fruit and streams_xattr loaded;
#   [history]  previous versions from a snapshot directory made by hand: allinfo lists the
#              snapshot of a file;
#   [audited]  full_audit logging to smbd's log, with acl_xattr: writing a file logs it.
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
# python3 (which samba needs) reads the file's extended attributes.
private_server_enter cmp python3 -- "$@"

# Inside the namespaces from here on, as PID 1.
write_global_config CLIFEATURES "Shareward share features test"
export SHAREWARD_RUN_DIRECTORY=$root/locks
export SHAREWARD_HISTORY_DIRECTORY=$root/history
getent group users >/dev/null || groupadd users

declare -A passwords=([carol]='Carol-pw-3104')
printf '%s\n' "${passwords[carol]}" | "$cli" user add carol --create-unix-account \
  || fail "shareward-cli user add failed"

# share_add NAME OPTION...: a share of $srv/NAME writable by carol, with the options given.
share_add() {
  local name=$1
  shift
  [ -d "$srv/$name" ] || mkdir "$srv/$name"
  chmod 0777 "$srv/$name"
  "$cli" share add "$name" --path "$srv/$name" --writable --valid-users carol "$@" >/dev/null \
    || fail "shareward-cli share add $name $* failed"
}

share_add bin --recycle-bin yes --recycle-param keeptree=yes
share_add backup --time-machine yes --time-machine-max-size 10G
# shadow_copy2 finds a relative snapshot directory at the root of the share's file system:
# the share gets one of its own, as a snapshotted volume would be.
mkdir "$srv/history"
mount -t tmpfs -o mode=0777 shareward-clifeatures-history "$srv/history"
share_add history --previous-versions custom --snapshot-param snapdir=.snapshots \
  --snapshot-param 'format=@GMT-%Y.%m.%d-%H.%M.%S'
share_add audited --audit full --audit-operations connect,create_file,openat,pwrite,pwrite_send \
  --acl-module xattr
# full_audit:syslog = no: its lines go to smbd's own log, at debug level 1. Set afterwards,
# as on a share audited already: the module's line changes.
"$cli" share set audited --param full_audit:syslog=no >/dev/null || fail "shareward-cli share set audited failed"
echo "== smb.conf as saved"
cat "$config"
echo "=="

# What testparm reads for a share: its section of "testparm -sv", one parameter a line.
section_of() {
  testparm -sv "$config" 2>/dev/null | awk -v want="[$1]" '
    /^\[/ { inside = ($0 == want); next }
    inside { sub(/^[[:space:]]+/, ""); print }'
}
checked() {
  local what=$1 share=$2 line=$3
  if section_of "$share" | grep -qxF "$line"; then
    echo "ok: $what"
  else
    problem "$what: testparm shows no '$line' in [$share]:"$'\n'"$(section_of "$share")"
  fi
}
checked "testparm reads Time Machine for [backup]" backup 'fruit:time machine = yes'
checked "testparm reads the maximum size of [backup]" backup 'fruit:time machine max size = 10G'
checked "testparm reads the stack of [backup]" backup 'vfs objects = catia fruit streams_xattr'
checked "testparm reads the recycle bin of [bin]" bin 'vfs objects = recycle'
checked "testparm reads full_audit's log of [audited]" audited 'full_audit:syslog = no'

# The snapshot: an older copy of the file under a name shadow_copy2's format reads (UTC).
snapshot=@GMT-2026.12.01-10.00.00
echo "the report as it is" >"$srv/history/report.txt"
mkdir -p "$srv/history/.snapshots/$snapshot"
echo "the report as it was" >"$srv/history/.snapshots/$snapshot/report.txt"
chmod -R a+rX "$srv/history"

start_smbd

# [bin]: deleted through SMB, kept on disk with its folder.
echo "a note to throw away" >"$client/note.txt"
allowed "carol deletes a file in a folder of [bin]" bin carol \
  'mkdir subdir; put note.txt subdir\note.txt; cd subdir; del note.txt'
if [ "$rc" -eq 0 ]; then
  kept=$srv/bin/.recycle/carol/subdir/note.txt
  if [ -e "$srv/bin/subdir/note.txt" ]; then
    problem "[bin]: the deleted file is still in subdir"
  elif ! cmp -s "$client/note.txt" "$kept"; then
    problem "[bin]: the deleted file is not in $kept:"$'\n'"$(cd "$srv/bin" && find . | sort)"
  else
    echo "ok: the deleted file is in .recycle/carol/subdir"
  fi
fi

# [backup]: written and read back, its information read, through fruit.
echo "a backup band" >"$client/band.txt"
allowed "carol writes to [backup] and reads its information" backup carol \
  'put band.txt band; allinfo band; get band band.back'
if [ "$rc" -eq 0 ]; then
  if ! grep -q '^write_time:' <<<"$out" || ! grep -qF "stream: [::\$DATA]" <<<"$out"; then
    problem "[backup]: allinfo told no times or streams:"$'\n'"$out"
  elif ! cmp -s "$client/band.txt" "$client/band.back"; then
    problem "[backup]: the file read back differs from the one written"
  else
    echo "ok: [backup] keeps the file and tells its information"
  fi
fi

# [history]: the snapshot is a previous version of the file, and only of it.
allowed "carol reads the versions of a file in [history]" history carol 'allinfo report.txt'
if [ "$rc" -eq 0 ]; then
  if grep -qF "$snapshot" <<<"$out"; then
    echo "ok: allinfo lists the snapshot $snapshot"
  else
    problem "[history]: allinfo lists no $snapshot:"$'\n'"$out"
  fi
fi

# [audited]: the write is in smbd's log with full_audit's prefix (user|address).
echo "an audited line" >"$client/audited.txt"
allowed "carol writes to [audited]" audited carol 'put audited.txt audited.txt'
if [ "$rc" -eq 0 ]; then
  stop_smbd # its log is whole once it stops
  # smbd runs with --debug-stdout: its connections log there too.
  for operation in create_file pwrite_send; do
    if grep -qE "^carol\|127\.0\.0\.1\|$operation\|ok\|.*/audited\.txt$" "$smbd_log"; then
      echo "ok: full_audit logged $operation of audited.txt to smbd's log"
    else
      problem "[audited]: no full_audit line of $operation for audited.txt in smbd's log"
    fi
  done
  if python3 -c 'import os, sys; os.getxattr(sys.argv[1], "security.NTACL")' \
    "$srv/audited/audited.txt" 2>/dev/null; then
    echo "ok: acl_xattr kept the file's ACL in security.NTACL"
  else
    problem "[audited]: acl_xattr kept no security.NTACL on audited.txt"
  fi
fi
finish_checks
echo "all share feature checks passed"
