#!/bin/bash
# sandbox.sh COMMAND [ARGUMENT...]
#
# Runs COMMAND as root in a private mount namespace where the tests may run useradd, groupadd
# and pdbedit freely: /etc (user and group databases, /etc/samba) is a copy on a tmpfs with a
# minimal smb.conf whose Samba directories all lie on that tmpfs, and Samba's real state, cache
# and lock directories, nscd's socket (so lookups read the copied files), /var/log, /var/mail and
# /home are hidden behind empty tmpfs mounts.
# Everything disappears with the namespace; the machine keeps only an empty directory for the
# lifetime of the command, removed on exit.
#
# COMMAND sees SHAREWARD_SANDBOX set to the tmpfs root and TMPDIR pointing into it. Where no
# mount namespace can be made, COMMAND runs outside with SHAREWARD_SANDBOX_UNAVAILABLE=1 instead.
set -euo pipefail

if [ "$#" -lt 1 ]; then
  echo "usage: $0 COMMAND [ARGUMENT...]" >&2
  exit 2
fi

if [ -z "${SHAREWARD_SANDBOX_ROOT:-}" ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "sandbox.sh: must run as root" >&2
    exit 2
  fi
  if ! unshare --mount --propagation private true 2>/dev/null; then
    # Containers without CAP_SYS_ADMIN: run unsandboxed; the command must then change nothing.
    echo "sandbox.sh: no private mount namespace here; running without the sandbox" >&2
    SHAREWARD_SANDBOX_UNAVAILABLE=1 exec "$@"
  fi
  root=$(mktemp -d /tmp/shareward-sandbox.XXXXXX)
  trap 'rmdir "$root"' EXIT
  status=0
  SHAREWARD_SANDBOX_ROOT=$root unshare --mount --propagation private -- "$0" "$@" || status=$?
  exit "$status"
fi

# Inside the namespace from here on: no mount below is seen by the rest of the machine.
root=$SHAREWARD_SANDBOX_ROOT
unset SHAREWARD_SANDBOX_ROOT
mount -t tmpfs -o mode=0755 shareward-sandbox "$root"

cp -a /etc "$root/etc"
samba=$root/samba
mkdir -p "$samba"/{private,state,cache,lock,run,ncalrpc,bind-dns,log,winbindd,usershares} "$root/tmp"
chmod 0700 "$samba/private"
chmod 1777 "$root/tmp"
rm -rf "${root:?}/etc/samba"
mkdir "$root/etc/samba"
cat >"$root/etc/samba/smb.conf" <<CONF
[global]
   workgroup = SANDBOX
   netbios name = SANDBOX
   security = user
   passdb backend = tdbsam
   private dir = $samba/private
   state directory = $samba/state
   cache directory = $samba/cache
   lock directory = $samba/lock
   pid directory = $samba/run
   ncalrpc dir = $samba/ncalrpc
   binddns dir = $samba/bind-dns
   winbindd socket directory = $samba/winbindd
   usershare path = $samba/usershares
   log file = $samba/log/log.%m
   unix password sync = no
CONF

mount --bind "$root/etc" /etc
for dir in /var/lib/samba /var/cache/samba /run/samba /run/nscd /var/log /var/mail /home; do
  if [ -d "$dir" ]; then
    mount -t tmpfs -o mode=0755 shareward-sandbox "$dir"
  fi
done

export SHAREWARD_SANDBOX=$root
export TMPDIR=$root/tmp
export WINBINDD_SOCKET_DIR=$samba/winbindd
exec "$@"
