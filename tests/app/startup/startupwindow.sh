#!/usr/bin/env bash
# startupwindow.sh SHAREWARD WATCHER SMB_CONF SCREENSHOT
#
# The real Shareward as root on an X server, from start to Quit, in the sandbox of
# startupsandbox.sh: private mount and network namespaces, Samba's directories covered, Xvfb.
#
# The watcher library, preloaded, reports from inside the program: the window's title, icon
# and the share names in its two tables, and it saves a picture of the window to SCREENSHOT.
# From outside, xdotool finds the window by its title; a second start hands over to the first
# and ends with code 1; one beside a first that does not answer says so in a box; Ctrl+Q
# closes the window and the program ends with code 0.
#
# Exits 77 (skipped) where root, the tools or the namespaces are missing.
set -euo pipefail

if [ "$#" -ne 4 ]; then
  echo "usage: $0 SHAREWARD WATCHER SMB_CONF SCREENSHOT" >&2
  exit 2
fi
shareward=$1
watcher=$2
config=$3
screenshot=$4
# The server's name, then the program's; Qt's title holds [*] where a modified page is marked.
title='This computer — Shareward'
qtTitle='This computer[*] — Shareward'

# shellcheck source=startupsandbox.sh
. "$(dirname "$0")/startupsandbox.sh"

rm -f "$screenshot"
start_shareward first SHAREWARD_WATCH_SCREENSHOT="$screenshot" &
first=$!
pids+=("$first")

# xdotool matches names ignoring case: the window, made before its title is set, is first
# named after the program ("shareward"). Its own title follows.
window=
name=
for _ in $(seq 200); do
  window=$(xdotool search --name "^$title\$" 2>/dev/null | head -n1) || true
  if [ -n "$window" ]; then
    name=$(xdotool getwindowname "$window" 2>/dev/null) || true
    [ "$name" = "$title" ] && break
  fi
  kill -0 "$first" 2>/dev/null || fail "Shareward ended before its window came up: $(cat reports/first 2>/dev/null)"
  sleep 0.1
done
[ -n "$window" ] || fail "no window titled '$title'"
[ "$name" = "$title" ] || fail "the window's X title is not '$title' but '$name'"
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
expect shown "shown"$'\t'"$qtTitle"
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

# A first one that holds its lock but does not answer (stopped here): a later start says so
# in a box, naming it, and ends with code 1.
kill -STOP "$first"
start_shareward third &
third=$!
pids+=("$third")
wait_for_end "$third"
kill -CONT "$first"
[ "$ended" = 1 ] || fail "the start beside a silent one ended with $ended, not 1"
box=$(events third box)
[[ $box == *"Shareward already runs (process $first), but it does not answer."* ]] \
  || fail "the start beside a silent one showed no box saying so: $(cat reports/third 2>/dev/null)"
echo "beside a silent one: $(echo "$box" | cut -f3)"

# Quit from the keyboard, as a user would.
timeout 10 xdotool windowfocus --sync "$window" || fail "cannot focus the window"
xdotool key --clearmodifiers ctrl+q
wait_for_end "$first"
[ "$ended" = 0 ] || fail "Shareward ended with $ended after Ctrl+Q, not 0"
[ -z "$(events first box)" ] || fail "a message box came up: $(events first box)"
grep -qx 'is-active smbd' systemctl.log || fail "smbd's state was not asked: $(cat systemctl.log 2>/dev/null)"
echo "Ctrl+Q: Shareward ended with 0"
echo "PASS"
