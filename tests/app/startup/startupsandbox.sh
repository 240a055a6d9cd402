# Sourced by the start-up scripts: runs the sourcing script again inside private mount and
# network namespaces, where empty directories cover /etc/samba (which gets a copy of $config),
# /var/lib/samba and Samba's other state directories, so the real testparm and pdbedit read
# and write only those, and a stand-in systemctl comes first on PATH. Starts Xvfb there.
#
# X servers of other tests must not meet this one: -displayfd picks the first display whose
# lock file is free in /tmp, and a server of another test, in a mount namespace with a /tmp of
# its own, may hold the same number; clients connect to the abstract socket first and would
# reach that other server. The network namespace makes the abstract socket private, a tmpfs
# on /tmp the lock and socket files.
#
# Expects: $shareward, $watcher and $config. Provides: fail MESSAGE, skip MESSAGE (exit 77),
# $work, $DISPLAY, start_shareward REPORT [VAR=VALUE...], wait_for_end PID (sets $ended),
# events REPORT KIND, and the pids array, whose processes are killed at the end.

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

skip() {
  echo "SKIP: $*"
  exit 77
}

# Outside the namespace: make the work directory, run the rest inside, and check afterwards
# that the machine's smb.conf is as it was.
if [ -z "${SHAREWARD_WINDOW_WORK:-}" ]; then
  [ "$(id -u)" -eq 0 ] || skip "needs root"
  for tool in Xvfb xdotool xprop unshare mount ip testparm pdbedit; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
  done
  unshare --mount --net --propagation private true 2>/dev/null || skip "no private mount and network namespaces here"
  work=$(mktemp -d /tmp/shareward-window.XXXXXX)
  trap 'rm -rf "$work"' EXIT
  fingerprint() {
    sha256sum /etc/samba/smb.conf 2>/dev/null || echo "no smb.conf"
  }
  before=$(fingerprint)
  status=0
  SHAREWARD_WINDOW_WORK=$work unshare --mount --net --propagation private -- bash "$0" "$@" || status=$?
  [ "$(fingerprint)" = "$before" ] || fail "the machine's /etc/samba/smb.conf changed"
  exit "$status"
fi

work=$SHAREWARD_WINDOW_WORK
# A /tmp of its own, with the work directory in it at the same path: X servers of other
# tests cannot take, hold or remove this one's lock and socket files in /tmp, whatever
# namespaces they run in.
case "$work" in
  /tmp/*) ;;
  *) fail "the work directory $work is not in /tmp" ;;
esac
mkdir -p "$work/private-tmp"
mount -t tmpfs -o mode=1777 shareward-window-tmp "$work/private-tmp"
mkdir -p "$work/private-tmp/${work#/tmp/}"
mount --bind "$work" "$work/private-tmp/${work#/tmp/}"
mount --move "$work/private-tmp" /tmp
cd "$work"
# Samba's programs need a network interface to look at; loopback is enough.
ip link set lo up
mkdir -p etc-samba lib-samba/private cache-samba run-samba log-samba bin home runtime tmp reports
chmod 0700 lib-samba/private runtime
cp "$config" etc-samba/smb.conf
mount --bind "$work/etc-samba" /etc/samba
mount --bind "$work/lib-samba" /var/lib/samba
# Where they exist (pdbedit keeps caches and locks there too).
for pair in cache-samba:/var/cache/samba run-samba:/run/samba log-samba:/var/log/samba; do
  if [ -d "${pair#*:}" ]; then
    mount --bind "$work/${pair%%:*}" "${pair#*:}"
  fi
done

# The log holds the command and the service, without the -- between them.
cat >bin/systemctl <<SCRIPT
#!/bin/sh
for argument do shift; [ "\$argument" = -- ] || set -- "\$@" "\$argument"; done
echo "\$*" >>'$work/systemctl.log'
if [ "\$1" = is-active ]; then
  echo inactive
  exit 3
fi
exit 1
SCRIPT
chmod 0755 bin/systemctl

# -noreset: the server stays as it is when its last client leaves (the probe below).
Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 1024x768x24 3>display 2>xvfb.log &
xvfb=$!
pids=()
cleanup() {
  for pid in "${pids[@]}"; do
    kill -KILL "$pid" 2>/dev/null || true
  done
  kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 100); do
  grep -q . display 2>/dev/null && break
  kill -0 "$xvfb" 2>/dev/null || fail "Xvfb did not start: $(cat xvfb.log)"
  sleep 0.1
done
grep -q . display || fail "Xvfb did not say its display"
DISPLAY=:$(head -n1 display)
export DISPLAY
# Said before it serves: the first client waits until it answers.
for _ in $(seq 100); do
  xprop -root >/dev/null 2>&1 && break
  sleep 0.1
done
xprop -root >/dev/null 2>&1 || fail "Xvfb on $DISPLAY does not answer: $(cat xvfb.log)"
echo "Xvfb on $DISPLAY"

export DISPLAY HOME=$work/home XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/home/.config
export XDG_CACHE_HOME=$work/home/.cache TMPDIR=$work/tmp SHAREWARD_PROGRAM_SYSTEMCTL=$work/bin/systemctl LC_ALL=C.UTF-8
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0
# No session bus and no OpenGL here: Qt need not look for them (the libraries it would
# load for them leak, which the sanitized build would report).
export DBUS_SESSION_BUS_ADDRESS=unix:path=$work/no-session-bus QT_XCB_GL_INTEGRATION=none
unset QT_QPA_PLATFORM LD_PRELOAD
# Its saves' lock and history in the work directory, not in the machine's /run and /var/lib.
export SHAREWARD_RUN_DIRECTORY=$work/locks SHAREWARD_HISTORY_DIRECTORY=$work/history

# The watcher is given to the program alone: bash and env do not load it. Run in the
# background, the program itself is $!, to be signalled.
start_shareward() {
  local report=$1
  shift
  exec env SHAREWARD_WATCH_REPORT="$work/reports/$report" "$@" LD_PRELOAD="$watcher" "$shareward"
}

# Waits up to 15 s for a program started here to end; its exit code goes to $ended.
wait_for_end() {
  local pid=$1
  for _ in $(seq 150); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$pid" 2>/dev/null && fail "Shareward did not end"
  ended=0
  wait "$pid" || ended=$?
}

# The report lines of one kind, fields separated by tabs.
events() {
  grep -a "^$2"$'\t' "reports/$1" 2>/dev/null || true
}

