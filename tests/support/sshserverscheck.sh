#!/usr/bin/env bash
# sshserverscheck.sh: run by "sshservers.sh 2" (tst_sshservers), checks that srv1 and srv2 are
# machines of their own behind the real sshd: each shows its own smb.conf, valid for the real
# testparm; what is written through one lands in its directory alone; the build's
# shareward-cli is the servers' /usr/bin/shareward-cli; SetEnv reaches the sessions; a
# changed or unknown host key is refused; an unprivileged user reaches them as well; and
# many connections at once are all served.
#
# Expects from CTest: SHAREWARD_CLI, SHAREWARD_SSH_CLIENT_UID=65534, SHAREWARD_SSH_SETENV
# with SHAREWARD_SMOKE=everywhere and SHAREWARD_SMOKE_WORDS="two words",
# SHAREWARD_SSH_SETENV_srv2 with SHAREWARD_SMOKE="srv2 alone", and UBSAN_OPTIONS.
set -euo pipefail

failures=0
problem() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
ok() {
  echo "ok: $*"
}
# expect WHAT EXPECTED ACTUAL
expect() {
  if [ "$2" = "$3" ]; then
    ok "$1"
  else
    problem "$1: expected"$'\n'"$2"$'\n'"got"$'\n'"$3"
  fi
}
# on HOST COMMAND...: COMMAND through ssh on HOST, its output and errors together.
on() {
  ssh -F "$SHAREWARD_SSH_CONFIG" "$@" 2>&1
}

dir=$SHAREWARD_SSH_DIR
expect "the servers are named" "srv1 srv2" "$SHAREWARD_SSH_HOSTS"
[ "$(cat "$dir/srv1/etc/samba/smb.conf")" != "$(cat "$dir/srv2/etc/samba/smb.conf")" ] \
  || problem "srv1 and srv2 have the same smb.conf"

# A file written through srv1 into each directory it has of its own lands in srv1's alone.
directories=(/etc /etc/samba /var/lib/samba /var/cache/samba /run /run/samba /run/sshd
  /var/log/samba /var/lib/shareward /root /srv)
probe=sshservers-probe

# What a session on HOST sees, one NAME=VALUE a line, in one connection (each takes a few
# tenths of a second on a busy machine); srv1 writes the probes, srv2 lists those it sees.
facts_on() {
  local host=$1 write=
  [ "$host" != srv1 ] || write="echo srv1 > \$d/$probe || echo write-failed=\$d"
  on "$host" "echo smb.conf=\$(sha256sum < /etc/samba/smb.conf | cut -d ' ' -f 1)
    echo netbios=\$(testparm -s --parameter-name='netbios name' 2>/dev/null)
    echo hostname=\$(hostname)
    echo uid=\$(id -u)
    echo cli=\$(command -v shareward-cli)
    echo cli-file=\$(stat -L -c %d:%i /usr/bin/shareward-cli)
    echo history=\$(stat -c '%a %U' /var/lib/shareward)
    echo lock=\$([ ! -e /run/shareward ] || echo present)
    for name in SHAREWARD_SMOKE SHAREWARD_SMOKE_WORDS UBSAN_OPTIONS; do
      echo \$name=\$(printenv \$name)
    done
    for d in ${directories[*]}; do
      [ ! -e \$d/$probe ] || echo probe=\$d
      $write
    done"
}
fact() {
  sed -n "s/^$1=//p" <<<"$facts"
}

cli_file=$(stat -L -c %d:%i "$SHAREWARD_CLI")
for host in srv1 srv2; do
  k=${host#srv}
  facts=$(facts_on "$host")
  expect "$host shows its own smb.conf" "$(sha256sum <"$dir/$host/etc/samba/smb.conf" | cut -d ' ' -f 1)" "$(fact smb.conf)"
  expect "the real testparm accepts $host's smb.conf" "SRV$k" "$(fact netbios)"
  expect "$host is its host name" "$host" "$(fact hostname)"
  expect "$host logs in as root" 0 "$(fact uid)"
  # The remote command "shareward-cli" is the build's, bound over /usr/bin/shareward-cli.
  expect "$host's shareward-cli is /usr/bin/shareward-cli" /usr/bin/shareward-cli "$(fact cli)"
  expect "$host's /usr/bin/shareward-cli is the build's" "$cli_file" "$(fact cli-file)"
  # Shareward refuses a lock or history directory others may use.
  expect "$host's history directory is root's alone" "700 root" "$(fact history)"
  expect "$host has no lock directory before Shareward makes it" "" "$(fact lock)"
  expect "SetEnv reaches $host's sessions" "$([ "$host" = srv2 ] && echo 'srv2 alone' || echo everywhere)" \
    "$(fact SHAREWARD_SMOKE)"
  expect "a SetEnv value of two words stays whole on $host" "two words" "$(fact SHAREWARD_SMOKE_WORDS)"
  expect "UBSAN_OPTIONS reaches $host's sessions" "$UBSAN_OPTIONS" "$(fact UBSAN_OPTIONS)"
  # srv1 looks before it writes each; srv2 after srv1 wrote them all.
  expect "$host sees no file written through srv1 but its own" "" "$(fact probe)"
  expect "$host writes its directories" "" "$(fact write-failed)"
done
for d in "${directories[@]}"; do
  expect "srv1 wrote $d/$probe into its own directory" srv1 "$(cat "$dir/srv1$d/$probe" 2>&1)"
  [ ! -e "$dir/srv2$d/$probe" ] || problem "srv1's $d/$probe is in srv2's directory"
  [ ! -e "$d/$probe" ] || problem "srv1's $d/$probe is outside srv1"
done

# enter: srv2's namespaces without ssh.
expect "enter shows srv2's smb.conf" "$(cat "$dir/srv2/etc/samba/smb.conf")" \
  "$("$dir/srv2/enter" cat /etc/samba/smb.conf)"
expect "enter reaches srv2's sshd as PID 1" sshd "$("$dir/srv2/enter" cat /proc/1/comm)"
expect "enter has srv2's host name" srv2 "$("$dir/srv2/enter" hostname)"

# Unprivileged, with the client's files given to that user.
unprivileged=(setpriv --reuid=65534 --regid=65534 --clear-groups --)
expect "nobody reaches srv2" "$(cat "$dir/srv2/etc/samba/smb.conf")" \
  "$("${unprivileged[@]}" ssh -F "$SHAREWARD_SSH_CONFIG" srv2 cat /etc/samba/smb.conf 2>&1)"

# Many connections at once, as several windows and tests open them: none is dropped.
pids=()
for ((i = 0; i < 40; i++)); do
  ssh -F "$SHAREWARD_SSH_CONFIG" "srv$((i % 2 + 1))" true 2>"$TMPDIR/concurrent.$i" &
  pids+=($!)
done
dropped=0
for pid in "${pids[@]}"; do
  wait "$pid" || dropped=$((dropped + 1))
done
expect "40 connections at once all succeed" 0 "$dropped"
[ "$dropped" -eq 0 ] || cat "$TMPDIR"/concurrent.* >&2

# Host keys: srv1's line rewritten with another key, then left out.
known_hosts=$SHAREWARD_SSH_KNOWN_HOSTS
cp -p "$known_hosts" "$TMPDIR/known_hosts.saved"
ssh-keygen -q -t ed25519 -N '' -f "$TMPDIR/other_key"
other=$(cut -d ' ' -f 1,2 "$TMPDIR/other_key.pub")
awk -v other="$other" '$NF == "srv1" { print $1, other, $NF; next } { print }' \
  "$TMPDIR/known_hosts.saved" >"$known_hosts"
grep -qF "$other srv1" "$known_hosts" || problem "the test did not rewrite srv1's host key"
rc=0
out=$(on srv1 true) || rc=$?
if [ "$rc" -eq 255 ] && grep -q 'REMOTE HOST IDENTIFICATION HAS CHANGED' <<<"$out" \
  && grep -q 'Host key verification failed' <<<"$out"; then
  ok "a changed host key is refused (exit 255)"
else
  problem "a changed host key: exit $rc, expected 255 and ssh's warning:"$'\n'"$out"
fi
grep -v ' srv1$' "$TMPDIR/known_hosts.saved" >"$known_hosts"
rc=0
out=$(on srv1 true) || rc=$?
if [ "$rc" -eq 255 ] && grep -q 'Host key verification failed' <<<"$out"; then
  ok "an unknown host key is refused (exit 255)"
else
  problem "an unknown host key: exit $rc, expected 255 and ssh's refusal:"$'\n'"$out"
fi
cp -p "$TMPDIR/known_hosts.saved" "$known_hosts"
expect "srv1 is reached again with its key" srv1 "$(on srv1 hostname)"

if [ "$failures" -ne 0 ]; then
  for host in srv1 srv2; do
    echo "== $host's sshd.log" >&2
    tail -n 40 "$dir/$host/ssh/sshd.log" >&2
  done
  echo "FAIL: $failures check(s) failed" >&2
  exit 1
fi
echo "all ssh server checks passed"
