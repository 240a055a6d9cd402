#!/usr/bin/env bash
# startupwindow.sh SHAREWARD WATCHER SMB_CONF SCREENSHOT
#
# The real Shareward as root on an X server, from start to Quit. Inside a private mount
# namespace, empty directories cover /etc/samba (which gets a copy of SMB_CONF), /var/lib/samba
# and Samba's other state directories, so the real testparm and pdbedit read and write only
# those; a stand-in systemctl comes first on PATH. Xvfb provides the display.
#
# The watcher library, preloaded, reports from inside the program: the window's title, icon
# and the share names in its two tables, and it saves a picture of the window to SCREENSHOT.
# From outside, xdotool finds the window by its title; a second start hands over to the first
# and ends with code 1; Ctrl+Q closes the window and the program ends with code 0.
#
# Exits 77 (skipped) where root, the tools or a mount namespace are missing.
set -euo pipefail

if [ "$#" -ne 4 ]; then
  echo "usage: $0 SHAREWARD WATCHER SMB_CONF SCREENSHOT" >&2
  exit 2
fi
shareward=$1
watcher=$2
config=$3
screenshot=$4
title='Shareward'

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
  for tool in Xvfb xdotool xprop unshare mount testparm pdbedit; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
  done
  unshare --mount --propagation private true 2>/dev/null || skip "no private mount namespace here"
  work=$(mktemp -d /tmp/shareward-window.XXXXXX)
  trap 'rm -rf "$work"' EXIT
  fingerprint() {
    sha256sum /etc/samba/smb.conf 2>/dev/null || echo "no smb.conf"
  }
  before=$(fingerprint)
  status=0
  SHAREWARD_WINDOW_WORK=$work unshare --mount --propagation private -- bash "$0" "$@" || status=$?
  [ "$(fingerprint)" = "$before" ] || fail "the machine's /etc/samba/smb.conf changed"
  exit "$status"
fi

work=$SHAREWARD_WINDOW_WORK
cd "$work"
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

cat >bin/systemctl <<SCRIPT
#!/bin/sh
echo "\$*" >>'$work/systemctl.log'
if [ "\$1" = is-active ]; then
  echo inactive
  exit 3
fi
exit 1
SCRIPT
chmod 0755 bin/systemctl

Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>display 2>xvfb.log &
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
echo "Xvfb on $DISPLAY"

export DISPLAY HOME=$work/home XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/home/.config
export XDG_CACHE_HOME=$work/home/.cache TMPDIR=$work/tmp PATH=$work/bin:$PATH LC_ALL=C.UTF-8
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0
# No session bus and no OpenGL here: Qt need not look for them (the libraries it would
# load for them leak, which the sanitized build would report).
export DBUS_SESSION_BUS_ADDRESS=unix:path=$work/no-session-bus QT_XCB_GL_INTEGRATION=none
unset QT_QPA_PLATFORM LD_PRELOAD
# Its saves' lock and history in the work directory, not in the machine's /run and /var/lib.
export SHAREWARD_RUN_DIRECTORY=$work/locks SHAREWARD_HISTORY_DIRECTORY=$work/history

# The watcher is given to the program alone: bash and env do not load it.
start_shareward() {
  local report=$1
  shift
  env SHAREWARD_WATCH_REPORT="$work/reports/$report" "$@" LD_PRELOAD="$watcher" "$shareward"
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

rm -f "$screenshot"
start_shareward first SHAREWARD_WATCH_SCREENSHOT="$screenshot" &
first=$!
pids+=("$first")

window=
for _ in $(seq 200); do
  window=$(xdotool search --name "^$title\$" 2>/dev/null | head -n1) || true
  [ -n "$window" ] && break
  kill -0 "$first" 2>/dev/null || fail "Shareward ended before its window came up: $(cat reports/first 2>/dev/null)"
  sleep 0.1
done
[ -n "$window" ] || fail "no window titled '$title'"
[ "$(xdotool getwindowname "$window")" = "$title" ] || fail "the window's X title is not '$title'"
echo "window $window: $title"

for _ in $(seq 100); do
  [ -n "$(events first screenshot)" ] && break
  sleep 0.1
done
[ -n "$(events first screenshot)" ] || fail "the watcher did not see the window: $(cat reports/first 2>/dev/null)"
[ -z "$(events first box)" ] || fail "a message box came up: $(events first box)"

expect() {
  local kind=$1 expected=$2 actual
  actual=$(events first "$kind")
  [ "$actual" = "$expected" ] || fail "$kind: expected '$expected', got '$actual'"
  echo "$actual" | tr '\t' ' '
}
expect shown "shown"$'\t'"$title"
# The desktop theme's Samba icon where there is one, else the drawn one: never none.
case "$(events first icon)" in
  icon$'\t'theme | icon$'\t'fallback) events first icon | tr '\t' ' ' ;;
  *) fail "window icon: $(events first icon)" ;;
esac
expect "table"$'\t'"tableViewShares" "table"$'\t'"tableViewShares"$'\t'"archive"$'\t'"projects"$'\t'"public"
expect "table"$'\t'"tableViewPrinters" "table"$'\t'"tableViewPrinters"$'\t'"laserjet"$'\t'"plotter"
# The icon is on the X window too, for the task bar.
icon=$(xprop -id "$window" _NET_WM_ICON)
[[ $icon == *"Icon ("* ]] || fail "the X window has no icon: $icon"
[ "$(head -c 8 "$screenshot" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "no PNG at $screenshot"
echo "picture of the window: $screenshot ($(events first screenshot | cut -f3))"

# A second start, with the real checks: it hands over to the first and ends, showing nothing.
start_shareward second &
second=$!
pids+=("$second")
wait_for_end "$second"
[ "$ended" = 1 ] || fail "the second start ended with $ended, not 1"
[ ! -s reports/second ] || fail "the second start showed something: $(cat reports/second)"
for _ in $(seq 100); do
  [ -n "$(events first message)" ] && break
  sleep 0.1
done
expect message "message"$'\t'"raise"$'\t'"normal"

# Quit from the keyboard, as a user would.
timeout 10 xdotool windowfocus --sync "$window" || fail "cannot focus the window"
xdotool key --clearmodifiers ctrl+q
wait_for_end "$first"
[ "$ended" = 0 ] || fail "Shareward ended with $ended after Ctrl+Q, not 0"
[ -z "$(events first box)" ] || fail "a message box came up: $(events first box)"
grep -qx 'is-active smbd' systemctl.log || fail "smbd's state was not asked: $(cat systemctl.log 2>/dev/null)"
echo "Ctrl+Q: Shareward ended with 0"
echo "PASS"
