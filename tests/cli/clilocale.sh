#!/usr/bin/env bash
# clilocale.sh CLI
#
# shareward-cli's output is read by scripts: it must be the same whatever the locale. Runs
# the same commands under the C locale and under a German one and compares standard output,
# error output and exit code.
set -euo pipefail

if [ "$#" -ne 1 ]; then
  echo "usage: $0 CLI" >&2
  exit 2
fi
cli=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

# No guest account (the marker the window translates), numbers, and a comment beyond ASCII.
cat >"$dir/smb.conf" <<'CONF'
[global]
   workgroup = BÜRO
   server string = Dateiserver der Büros
   max log size = 10000
   security = user
[daten]
   path = /srv/daten
   comment = Gemeinsame Ablage für 1.000 Dateien
   valid users = anna bernd
   read only = no
   create mask = 0660
[printers]
   path = /var/spool/samba
   printable = yes
CONF

commands=(
  "show $dir/smb.conf"
  "print $dir/smb.conf"
  "--config $dir/smb.conf global show --json"
  "--config $dir/smb.conf global show"
  "--config $dir/smb.conf share list"
  "--config $dir/smb.conf share show daten --json"
  "--config $dir/smb.conf share show daten"
  "--config $dir/smb.conf share show nope"
  "--config $dir/smb.conf --dry-run share set daten --comment Geändert"
  "--help"
  "frobnicate"
)

# run NAME LOCALE COMMAND: the command's outputs and exit code in $dir/NAME.*
run() {
  local name=$1 locale=$2
  shift 2
  local code=0
  # shellcheck disable=SC2086
  env LANG="$locale" LC_ALL="$locale" LANGUAGE= "$cli" $1 >"$dir/$name.out" 2>"$dir/$name.err" || code=$?
  echo "$code" >"$dir/$name.code"
}

failures=0
for command in "${commands[@]}"; do
  run c C "$command"
  run de de_DE.UTF-8 "$command"
  for part in out err code; do
    if ! cmp -s "$dir/c.$part" "$dir/de.$part"; then
      echo "FAIL: shareward-cli $command: standard $part differs under de_DE.UTF-8:" >&2
      diff "$dir/c.$part" "$dir/de.$part" >&2 || true
      failures=$((failures + 1))
    fi
  done
done
# The comparison must have had something to compare.
grep -q 'Gemeinsame Ablage' <(env LANG=C LC_ALL=C "$cli" show "$dir/smb.conf") \
  || { echo "FAIL: show printed no share comment" >&2; failures=$((failures + 1)); }
[ "$failures" -eq 0 ] || exit 1
echo "PASS: ${#commands[@]} commands print the same under C and de_DE.UTF-8"
