#!/usr/bin/env bash
# remotewindow.sh TEST PKEXEC: run by "sshservers.sh 3" (../../support/sshservers.sh). Prepares
# the three servers as a desktop user's window finds them, then runs the window's suite TEST as
# that user (uid 65534) inside srv1's namespaces, so that "this computer" is srv1, reached
# through PKEXEC (the pkexec stand-in, installed setuid root here), and srv2 and srv3 through
# ssh. Each server gets:
#   - systemctl: ../../cli/systemctlstandin.sh bound over it (no systemd runs here);
#   - smbd on 127.0.0.1, port 4450+K, and a client of it: testerK, a Samba user added with
#     pdbedit, connected to [data] with smbclient while the suite runs;
# and the suite may ask root about the servers' backends through a pair of FIFOs
# ($SHAREWARD_ROOT_PROBE/ask and answer): "backends" answers one line "srvK PID UID EUID" per
# process of "shareward-cli serve" on each server, found with srvK/enter pgrep.
set -euo pipefail

test_program=$1
pkexec=$2
dir=$SHAREWARD_SSH_DIR
here=$(dirname "$(readlink -f "$0")")
user=65534

fail() {
  echo "FAIL: $(basename "$0"): $*" >&2
  exit 1
}

install -d -m 0755 "$dir/pkexec"
install -o root -g root -m 4755 "$pkexec" "$dir/pkexec/pkexec"

for k in 1 2 3; do
  enter=$dir/srv$k/enter
  "$enter" mount --bind "$here/../../cli/systemctlstandin.sh" /usr/bin/systemctl
  "$enter" useradd --no-create-home --shell /usr/sbin/nologin "tester$k"
  printf 'Tester-pw-%s\nTester-pw-%s\n' "$k" "$k" | "$enter" pdbedit -a -t -u "tester$k" >/dev/null
  "$enter" smbd -D --option="smb ports = $((4450 + k))" --option="interfaces = lo" \
    --option="bind interfaces only = yes"
done
for k in 1 2 3; do
  for ((i = 0; i < 200; i++)); do
    smbclient -L 127.0.0.1 -p $((4450 + k)) -N >/dev/null 2>&1 && break
    sleep 0.05
  done
  smbclient -L 127.0.0.1 -p $((4450 + k)) -N >/dev/null 2>&1 || fail "smbd of srv$k does not answer"
  # Connected as long as its standard input stays open: until the suite ends.
  sleep 300 | smbclient //127.0.0.1/data -p $((4450 + k)) -U "tester$k%Tester-pw-$k" >/dev/null 2>&1 &
done

probe=$dir/probe
mkdir -m 0755 "$probe"
mkfifo -m 0600 "$probe/ask" "$probe/answer"
chown "$user" "$probe/ask" "$probe/answer"
answer_probe() {
  local request k pid
  while read -r request <"$probe/ask"; do
    case $request in
    backends)
      for k in 1 2 3; do
        for pid in $("$dir/srv$k/enter" pgrep -f '^(/usr/bin/)?shareward-cli serve'); do
          # shellcheck disable=SC2016 # awk's fields
          echo "srv$k $pid $("$dir/srv$k/enter" awk '/^Uid:/ { print $2, $3 }' "/proc/$pid/status" 2>/dev/null)"
        done
      done >"$probe/answer"
      ;;
    *) echo "unknown request" >"$probe/answer" ;;
    esac
  done
}
answer_probe &

status=0
"$dir/srv1/enter" setpriv --reuid=$user --regid=$user --clear-groups -- \
  env SHAREWARD_PROGRAM_PKEXEC="$dir/pkexec/pkexec" SHAREWARD_ROOT_PROBE="$probe" \
  "$test_program" || status=$?
exit "$status"
