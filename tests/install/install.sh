#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR with the prefix /usr, as the Debian package
# does, and checks what lands there: the programs, the desktop entry and AppStream file
# (validated with the desktop's own tools), the icons, the manual pages, the completion,
# and the polkit action that must name the installed backend, shareward-cli serve, for pkexec.
# Usage: install.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
id=org.shareward.Shareward

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

if ! DESTDIR=$root cmake --install "$build" --prefix /usr >"$work/install.log" 2>&1; then
  cat "$work/install.log" >&2
  echo "FAIL: cmake --install failed" >&2
  exit 1
fi

expected=(
  usr/bin/shareward usr/bin/shareward-cli
  usr/share/applications/$id.desktop
  usr/share/metainfo/$id.metainfo.xml
  usr/share/icons/hicolor/scalable/apps/$id.svg
  usr/share/man/man1/shareward.1 usr/share/man/man1/shareward-cli.1
  usr/share/bash-completion/completions/shareward-cli
  usr/share/polkit-1/actions/$id.policy
  usr/share/doc/shareward/copyright usr/share/doc/shareward/changelog.gz
  usr/share/doc/shareward/backend-protocol.md
)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("usr/share/icons/hicolor/${size}x${size}/apps/$id.png")
done
for file in "${expected[@]}"; do
  [ -f "$root/$file" ] || fail "missing $file"
done
for program in shareward shareward-cli; do
  [ -x "$root/usr/bin/$program" ] || fail "usr/bin/$program is not executable"
done
# Nothing outside the prefix, nothing unlisted inside it.
installed=$(cd "$root" && find . -type f | sed 's|^\./||' | sort)
listed=$(printf '%s\n' "${expected[@]}" | sort)
if [ "$installed" != "$listed" ]; then
  fail "installed files differ from the list:"
  diff <(echo "$listed") <(echo "$installed") >&2 || true
fi
for size in 16 22 24 32 48 64 128 256; do
  file "$root/usr/share/icons/hicolor/${size}x${size}/apps/$id.png" | grep -q "PNG image data, $size x $size," ||
    fail "the ${size}px icon is not a ${size}x${size} PNG"
done

desktop=$root/usr/share/applications/$id.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $id.desktop"
exec_program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -x "$root/usr/bin/$exec_program" ] || fail "Exec=$exec_program is not an installed program"
grep -qx "Icon=$id" "$desktop" || fail "Icon= is not $id"

metainfo=$root/usr/share/metainfo/$id.metainfo.xml
appstreamcli validate --no-net "$metainfo" >&2 || fail "appstreamcli rejects $id.metainfo.xml"
version=$(sed -n 's/.*return "\([^"]*\)".*/\1/p' "$source/src/system/programversion.h")
[ -n "$version" ] || fail "no version in src/system/programversion.h"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the newest release in the metainfo is not $version"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
  fail "the metainfo does not launch $id.desktop"

policy=$root/usr/share/polkit-1/actions/$id.policy
exec_path=$(sed -n 's|.*key="org.freedesktop.policykit.exec.path">\([^<]*\)<.*|\1|p' "$policy")
[ "$exec_path" = /usr/bin/shareward-cli ] ||
  fail "the polkit action's exec.path is '$exec_path', not /usr/bin/shareward-cli"
# pkexec checks no arguments itself: the action allows the backend and nothing else.
argv1=$(sed -n 's|.*key="org.freedesktop.policykit.exec.argv1">\([^<]*\)<.*|\1|p' "$policy")
[ "$argv1" = serve ] || fail "the polkit action's exec.argv1 is '$argv1', not serve"
# The backend has no window: the display stays with the desktop user.
grep -q 'allow_gui' "$policy" && fail "the polkit action keeps the display for a program without a window"
grep -q 'auth_admin_keep' "$policy" && fail "the polkit action lets its authentication be kept"
[ "$(grep -c '>auth_admin<' "$policy")" -eq 3 ] || fail "the polkit action does not ask auth_admin everywhere"
xmllint_out=$(python3 -c 'import sys, xml.dom.minidom; xml.dom.minidom.parse(sys.argv[1])' "$policy" 2>&1) ||
  fail "the polkit action is not well-formed XML: $xmllint_out"

gzip -t "$root/usr/share/doc/shareward/changelog.gz" || fail "changelog.gz is not gzip"
# The manual pages format without warnings.
for page in shareward shareward-cli; do
  warnings=$(cd "$root/usr/share/man" && LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "man1/$page.1" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "man1/$page.1: $warnings"
done

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "install: ${#expected[@]} files in place and valid"
