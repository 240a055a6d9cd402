#!/usr/bin/env bash
# Installs the Debian 12 packages Shareward needs to build, run and test.
# Idempotent: packages already present are left alone and apt is not touched.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qtbase5-dev qttools5-dev-tools
  samba samba-common-bin samba-vfs-modules winbind ctdb
  xvfb xauth
  smbclient strace xdotool x11-utils iproute2
  acl libdtl-dev nettle-dev man-db
  clang libclang-rt-14-dev
  qttools5-dev qttranslations5-l10n python3
  pkexec file desktop-file-utils appstream dpkg-dev lintian
)

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
