#!/usr/bin/env bash
# installdeps.sh SOURCE_DIR
#
# scripts/install-deps.sh installs onto the administrator's server (scripts/run.sh) what
# Shareward needs to build and run, and only the test command adds the test tools; every
# package it names is one of Debian 12's. Changes nothing: the lists are read with --list.
set -euo pipefail
script=$1/scripts/install-deps.sh
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

run=$(bash "$script" --list)
tests=$(bash "$script" --tests --list)
for tool in clang lintian strace xdotool ctdb smbclient dpkg-dev openssh-server; do
  grep -qx "$tool" <<<"$run" && fail "the run command installs the test tool $tool"
  grep -qx "$tool" <<<"$tests" || fail "the test command does not install $tool"
done
for needed in samba samba-common-bin qtbase5-dev cmake xvfb pkexec; do
  grep -qx "$needed" <<<"$run" || fail "the run command does not install $needed"
done
# Every package of the run command is one of the test command's.
missing=$(comm -23 <(sort <<<"$run") <(sort <<<"$tests"))
[ -z "$missing" ] || fail "the test command lacks $missing"
[ "$(sort <<<"$tests" | uniq -d)" = "" ] || fail "a package is listed twice: $(sort <<<"$tests" | uniq -d)"
# Installed here by the test command: each name is a Debian package.
while read -r package; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' \
    || fail "$package is not an installed Debian package"
done <<<"$tests"
# Installed already, the script touches nothing and succeeds: it is idempotent.
bash "$script" --tests || fail "install-deps.sh --tests failed with everything installed"
bash "$script" || fail "install-deps.sh failed with everything installed"
bash "$script" --bogus 2>/dev/null && fail "an unknown option is accepted"
echo "PASS"
