#!/usr/bin/env bash
# install-deps.sh [--tests] [--list]
#
# Installs the Debian 12 packages Shareward needs to build and run (scripts/run.sh, on the
# administrator's server); with --tests also those the tests and the package check need
# (scripts/test.sh, CI).
# Idempotent: packages already present are left alone and apt is not touched.
set -euo pipefail

# To build (the whole tree is configured, its tests included) and to run, under Xvfb where
# there is no display.
packages=(
  build-essential cmake pkg-config
  qtbase5-dev qttools5-dev qttools5-dev-tools qttranslations5-l10n
  libdtl-dev nettle-dev python3
  samba samba-common-bin samba-vfs-modules winbind pkexec
  xvfb
)
# What only the tests use: a clustered registry, clients of the test servers, the OpenSSH
# servers that stand for remote machines, the window's drivers, the sanitizer build and the
# Debian package's checks.
test_packages=(
  ctdb smbclient
  openssh-server openssh-client
  strace xdotool x11-utils xauth iproute2 acl man-db
  clang libclang-rt-14-dev
  file desktop-file-utils appstream dpkg-dev lintian
)

list=0
for argument in "$@"; do
  case $argument in
  --tests) packages+=("${test_packages[@]}") ;;
  # Prints the packages, one a line, and installs nothing.
  --list) list=1 ;;
  *)
    echo "usage: $0 [--tests] [--list]" >&2
    exit 2
    ;;
  esac
done
if [ "$list" -eq 1 ]; then
  printf '%s\n' "${packages[@]}"
  exit 0
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: missing packages (${missing[*]}); run as root to install them" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
# Package scripts must not try to start Samba's daemons on a build machine.
policy=/usr/sbin/policy-rc.d
created_policy=0
if [ ! -e "$policy" ]; then
  printf '#!/bin/sh\nexit 101\n' >"$policy"
  chmod 755 "$policy"
  created_policy=1
fi
trap 'if [ "$created_policy" -eq 1 ]; then rm -f "$policy"; fi' EXIT

apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
