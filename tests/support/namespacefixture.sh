# shellcheck shell=bash
# namespacefixture.sh: sourced by the fixtures that run a test's servers in private mount and
# PID namespaces (tests/app/privateserver.sh, tests/support/sshservers.sh): their messages
# and exit codes, the tmpfs covers over Samba's directories, free ports, and the fingerprint
# of what the machine must still have afterwards.
#
# The sourcing script runs under "set -euo pipefail".

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# CTest counts exit code 77 as skipped (SKIP_RETURN_CODE).
skip() {
  echo "SKIP: $*"
  exit 77
}

now() {
  date +%s.%N
}

elapsed() {
  awk -v from="$1" -v to="$(now)" 'BEGIN { printf "%.2f s", to - from }'
}

# Private mount and PID namespaces; a process started in them is PID 1 there, and every
# process it leaves behind ends with it.
# shellcheck disable=SC2034 # the sourcing script's
private_namespaces=(unshare --mount --pid --fork --mount-proc --propagation private)

# fingerprint [DIRECTORY...]: what must not change on the machine: the account files, and
# every file's name, mode, owner and content under /etc/samba and /var/lib/samba; of each
# DIRECTORY the names, types, modes and owners (the content of files there, such as Samba's
# run-time databases, may change by the machine's own services).
# shellcheck disable=SC2120 # DIRECTORYs are optional
fingerprint() {
  local path
  for path in /etc/passwd /etc/group /etc/shadow /etc/gshadow /etc/subuid /etc/subgid; do
    if [ -e "$path" ]; then
      sha256sum "$path"
    else
      echo "absent $path"
    fi
  done
  for path in /etc/samba /var/lib/samba; do
    if [ ! -d "$path" ]; then
      echo "absent $path"
      continue
    fi
    find "$path" -xdev -printf '%p %y %m %U:%G %s\n' | LC_ALL=C sort
    find "$path" -xdev -type f -print0 | LC_ALL=C sort -z | xargs -0 -r sha256sum
  done
  for path in "$@"; do
    if [ -e "$path" ]; then
      find "$path" -xdev -printf '%p %y %m %U:%G\n' | LC_ALL=C sort
    else
      echo "absent $path"
    fi
  done
}

# cover_with_tmpfs NAME DIRECTORY...: an empty tmpfs named NAME over each DIRECTORY that
# exists, in the current (private) mount namespace.
cover_with_tmpfs() {
  local name=$1 dir
  shift
  for dir in "$@"; do
    if [ -d "$dir" ]; then
      mount -t tmpfs -o mode=0755 "$name" "$dir"
    fi
  done
}

# copy_etc DIRECTORY: a copy of /etc with an empty samba directory, to be bound over /etc in
# a private mount namespace. A copy replaces /etc whole: useradd renames its new files over
# passwd, group and shadow, which a file bound over each one alone would refuse.
copy_etc() {
  cp -a /etc "$1"
  rm -rf "${1:?}/samba"
  mkdir "$1/samba"
}

# A port nothing listens on.
listening() {
  (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}
free_port() {
  local port tries
  for ((tries = 0, port = 20000 + RANDOM % 20000; tries < 1000; tries++, port++)); do
    if ! listening "$port"; then
      echo "$port"
      return
    fi
  done
  fail "no free port on 127.0.0.1 between 20000 and 41000"
}
