#!/usr/bin/env bash
# sshservers.sh N COMMAND [ARGUMENT...]
#
# Runs COMMAND with N OpenSSH servers, srv1 to srvN, each one a machine of its own with its own
# smb.conf, accounts, Samba state and Shareward history and lock, all on this machine and
# none of it touching it. Exits with COMMAND's status; 77 (skipped) without root, the
# namespaces or sshd; 1 when the set-up fails or the machine changed after all.
#
# Everything runs in private network, mount and PID namespaces: in the network namespace
# only the loopback interface is up, tmpfs mounts cover /run, /var/log, /var/mail, Samba's
# state and cache directories, and directories the machine lacks (/var/lib/shareward) are
# made in an overlay. Each server is an sshd (-D -e) on 127.0.0.1, port 2200+K (nothing else
# listens in the namespace), in mount, PID and UTS namespaces of its own (hostname srvK),
# where these are bound to directories under $SHAREWARD_SSH_DIR/srvK, at the same path below
# it (srv2's smb.conf is $SHAREWARD_SSH_DIR/srv2/etc/samba/smb.conf):
#   /etc               a copy of the machine's: useradd on one server changes only its own
#   /run               with samba and sshd in it; /run/shareward is made by Shareward
#   /var/lib/shareward empty, as root's alone (0700), as Shareward would make it
#   /var/lib/samba /var/cache/samba /var/log/samba /root /srv
# /etc/samba/smb.conf starts as a small valid file: workgroup SHAREWARD, netbios name SRVK,
# one share [data] on /srv/data. With SHAREWARD_CLI set (by CMake: the build's shareward-cli)
# it is bound over /usr/bin/shareward-cli, so that "ssh srvK shareward-cli serve" runs it.
# The server's files are $SHAREWARD_SSH_DIR/srvK/ssh: sshd_config, the host key,
# authorized_keys and sshd.log.
#
# The environment of COMMAND, which runs as root in the private network namespace:
#   SHAREWARD_SSH_CONFIG       the client's configuration, for "ssh -F": a Host srvK per server
#                              (User root, the test's key and known_hosts, host keys checked,
#                              BatchMode); nothing of ~/.ssh or /etc/ssh is read
#   SHAREWARD_SSH_HOSTS        "srv1 srv2 ..."
#   SHAREWARD_SSH_DIR          the test's directory (a tmpfs)
#   SHAREWARD_SSH_KNOWN_HOSTS  the servers' host keys, one line "[127.0.0.1]:PORT KEY srvK"
#                              each; rewrite it to try a changed host key
#   HOME, XDG_RUNTIME_DIR, TMPDIR  directories of the test
# $SHAREWARD_SSH_DIR/srvK/enter CMD... runs CMD as root in srvK's mount, PID and UTS namespaces,
# for checks from outside ssh (nsenter; in /; by root only).
#
# Set by the caller:
#   SHAREWARD_SSH_SETENV       more of each session's environment, as sshd_config's SetEnv
#                              takes it: "A=1 B=2", quoted as sshd reads it ("C=two words")
#   SHAREWARD_SSH_SETENV_srvK  the same for server K alone, ahead of the former
#   SHAREWARD_SSH_CLIENT_UID   a uid (in /etc/passwd) that gets the client's files (key,
#                              configuration, known_hosts, HOME, XDG_RUNTIME_DIR), so that
#                              COMMAND can run ssh as that user too, e.g. under
#                              setpriv --reuid=65534 --regid=65534 --clear-groups
# ASAN_OPTIONS, LSAN_OPTIONS and UBSAN_OPTIONS, when set, reach the sessions too.
#
# Every process ends with COMMAND (also when it is killed, or this script is): the
# namespaces end with their first process. Afterwards the machine must be as before:
# account files, /etc/samba, /var/lib/samba and the directories the servers cover, no mount
# and no process left of the test directory, and that directory gone.
set -euo pipefail

# A command that fails in the set-up says so, in whichever namespace.
set -E
trap 'echo "FAIL: $(basename "$0"): line $LINENO: $BASH_COMMAND" >&2' ERR

script=$(readlink -f "${BASH_SOURCE[0]}")
# shellcheck source=SCRIPTDIR/namespacefixture.sh
source "$(dirname "$script")/namespacefixture.sh"

# Mounted in each server's namespace, from $SHAREWARD_SSH_DIR/srvK at the same path below it.
server_directories=(/run /var/lib/samba /var/cache/samba /var/log/samba /var/lib/shareward /root /srv)
# What else must be as before on the machine.
machine_directories=(/etc/ssh /root/.ssh /run/samba /run/shareward /run/sshd /var/lib/shareward
  /var/cache/samba /var/log/samba)

# Outside the namespaces: checks what is needed, runs this script again as the first process
# of the private namespaces and checks the machine afterwards.
ssh_servers_outside() {
  if [ "$#" -lt 2 ] || ! [[ $1 =~ ^[1-9][0-9]?$ ]]; then
    echo "usage: $0 N COMMAND [ARGUMENT...]   (N from 1 to 99)" >&2
    exit 2
  fi
  [ "$(id -u)" -eq 0 ] || skip "needs root (sshd, and network, mount and PID namespaces)"
  local tool
  for tool in unshare nsenter mount ip ssh ssh-keygen hostname sha256sum awk; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
  done
  [ -x /usr/sbin/sshd ] || skip "/usr/sbin/sshd is not installed (openssh-server)"
  if [ -n "${SHAREWARD_CLI:-}" ] && [ ! -x "$SHAREWARD_CLI" ]; then
    fail "no shareward-cli at SHAREWARD_CLI=$SHAREWARD_CLI"
  fi
  if [ -n "${SHAREWARD_SSH_CLIENT_UID:-}" ] && ! getent passwd "$SHAREWARD_SSH_CLIENT_UID" >/dev/null; then
    fail "SHAREWARD_SSH_CLIENT_UID=$SHAREWARD_SSH_CLIENT_UID is no user of /etc/passwd"
  fi
  fixture_namespaces=("${private_namespaces[@]}" --net --kill-child=SIGKILL)
  "${fixture_namespaces[@]}" true 2>/dev/null || skip "no private network, mount and PID namespaces here"

  started=$(now)
  root=$(mktemp -d /tmp/shareward-sshservers.XXXXXX)
  before=$(machine_state)
  fixture_pid=
  trap 'finish_outside 1' EXIT
  trap 'finish_outside 129' HUP
  trap 'finish_outside 130' INT
  trap 'finish_outside 143' TERM
  # Standard input stays COMMAND's, which a job in the background would lose.
  SHAREWARD_SSH_ROLE=fixture SHAREWARD_SSH_DIR=$root "${fixture_namespaces[@]}" -- \
    bash "$script" "$@" <&0 &
  fixture_pid=$!
  local status=0
  wait "$fixture_pid" || status=$?
  fixture_pid=
  finish_outside "$status"
}

# finish_outside STATUS: ends the namespaces (--kill-child takes their first process and with
# it every other), checks the machine and exits with STATUS, or 1 if the machine changed.
finish_outside() {
  local status=$1
  trap - EXIT HUP INT TERM
  if [ -n "$fixture_pid" ]; then
    kill -KILL "$fixture_pid" 2>/dev/null || true
    wait "$fixture_pid" 2>/dev/null || true
  fi
  rmdir "$root" 2>/dev/null || true
  local after
  after=$(machine_state)
  if [ "$before" != "$after" ]; then
    diff <(echo "$before") <(echo "$after") >&2 || true
    fail "the machine changed (see above)"
  fi
  local pid left=
  for pid in /proc/[0-9]*; do
    if grep -qF "$root" "$pid/cmdline" 2>/dev/null; then
      left+=" ${pid#/proc/}"
    fi
  done
  [ -z "$left" ] || fail "processes of $root are left:$left"
  [ ! -e "$root" ] || fail "$root is left"
  echo "the machine's account files, Samba's and sshd's directories are unchanged; nothing is left"
  echo "total: $(elapsed "$started")"
  exit "$status"
}

machine_state() {
  fingerprint "${machine_directories[@]}"
  echo "mounts of the test directory:"
  grep -F "$root" /proc/self/mountinfo || true
}

# As the first process of the private namespaces: sets up the servers and the client, runs
# COMMAND and exits with its status.
ssh_servers_fixture() {
  root=$SHAREWARD_SSH_DIR
  local count=$1
  shift
  unset SHAREWARD_SSH_ROLE
  # /run first: mount records what it mounted in /run/mount.
  cover_with_tmpfs shareward-sshservers /run
  mount -t tmpfs -o mode=0755 shareward-sshservers "$root"
  ip link set lo up
  # The overlays go first: a tmpfs below /var/lib would be hidden by one over /var/lib.
  make_mount_point /var/lib/shareward directory
  make_mount_point /srv directory
  if [ -n "${SHAREWARD_CLI:-}" ]; then
    # Not executable: COMMAND's PATH skips it; each server binds the build's over it.
    make_mount_point /usr/bin/shareward-cli file
  fi
  cover_with_tmpfs shareward-sshservers /var/log /var/mail /var/lib/samba /var/cache/samba
  mkdir /var/log/samba

  local started k
  started=$(now)
  make_client
  hosts=()
  server_pids=()
  trap stop_servers EXIT
  for ((k = 1; k <= count; k++)); do
    make_server "$k"
    hosts+=("srv$k")
  done
  chown_client
  for ((k = 1; k <= count; k++)); do
    start_server "$k"
  done
  for ((k = 1; k <= count; k++)); do
    wait_for_server "$k"
  done
  echo "$count ssh server(s) up: $(elapsed "$started")"

  export SHAREWARD_SSH_CONFIG=$root/client/ssh_config
  export SHAREWARD_SSH_KNOWN_HOSTS=$root/client/known_hosts
  export SHAREWARD_SSH_HOSTS="${hosts[*]}"
  export HOME=$root/client/home
  export XDG_RUNTIME_DIR=$root/client/runtime
  export TMPDIR=$root/tmp
  unset SSH_AUTH_SOCK SSH_AGENT_PID
  local status=0
  "$@" || status=$?
  exit "$status"
}

# make_mount_point PATH directory|file: PATH for a mount, made in an overlay of its
# directory when the machine lacks it, so that the machine's directory stays as it is.
overlays=0
make_mount_point() {
  local path=$1 type=$2
  [ ! -e "$path" ] || return 0
  local parent layer
  parent=$(dirname "$path")
  overlays=$((overlays + 1))
  layer=$root/overlay$overlays
  mkdir -p "$layer/upper" "$layer/work"
  mount -t overlay shareward-sshservers -o "lowerdir=$parent,upperdir=$layer/upper,workdir=$layer/work" "$parent"
  if [ "$type" = directory ]; then
    mkdir -m 0755 "$path"
  else
    install -m 0644 /dev/null "$path"
  fi
}

# The client's key pair, configuration and home.
make_client() {
  local client=$root/client
  mkdir -p "$client/home" "$client/runtime" "$root/tmp"
  chmod 0700 "$client/home" "$client/runtime"
  chmod 1777 "$root/tmp"
  ssh-keygen -q -t ed25519 -N '' -C shareward-test-client -f "$client/id_ed25519"
  echo "# The test's ssh servers: pass with ssh -F; nothing of ~/.ssh or /etc/ssh is read." \
    >"$client/ssh_config"
  : >"$client/known_hosts"
}

# make_server K: srvK's directories, smb.conf, host key and sshd_config.
make_server() {
  local k=$1
  local name=srv$k dir=$root/srv$k port=$((2200 + k)) dir_name
  mkdir -p "$dir/ssh"
  copy_etc "$dir/etc"
  for dir_name in "${server_directories[@]}"; do
    mkdir -p "$dir$dir_name"
  done
  chmod 0700 "$dir/root" "$dir/var/lib/shareward"
  mkdir -m 0700 "$dir/var/lib/samba/private"
  # sshd's privilege separation directory, and Samba's as its package makes it.
  mkdir -m 0755 "$dir/run/sshd" "$dir/run/samba"
  mkdir -p "$dir/srv/data"
  cat >"$dir/etc/samba/smb.conf" <<CONF
# $name: a Shareward test server reached through ssh.
[global]
   workgroup = SHAREWARD
   netbios name = SRV$k
   server string = Shareward test server $name
   security = user
   load printers = no
   printcap name = /dev/null
   disable netbios = yes

[data]
   comment = Files of $name
   path = /srv/data
   read only = no
CONF

  ssh-keygen -q -t ed25519 -N '' -C "$name" -f "$dir/ssh/ssh_host_ed25519_key"
  cp "$root/client/id_ed25519.pub" "$dir/ssh/authorized_keys"
  local setenv_name=SHAREWARD_SSH_SETENV_$name variable
  local setenv="${!setenv_name:-} ${SHAREWARD_SSH_SETENV:-}"
  for variable in ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS; do
    if [ -n "${!variable:-}" ]; then
      setenv+=" \"$variable=${!variable}\""
    fi
  done
  # sshd takes the first SetEnv line alone, and of a variable named twice the first value;
  # SetEnv without a value is an error.
  if [[ $setenv =~ [^[:space:]] ]]; then
    setenv="SetEnv $setenv"
  else
    setenv=
  fi
  cat >"$dir/ssh/sshd_config" <<CONF
# $name: root logs in with the test's key alone.
ListenAddress 127.0.0.1
Port $port
HostKey $dir/ssh/ssh_host_ed25519_key
PidFile none
AuthorizedKeysFile $dir/ssh/authorized_keys
StrictModes no
PermitRootLogin prohibit-password
PubkeyAuthentication yes
PasswordAuthentication no
KbdInteractiveAuthentication no
UsePAM no
UseDNS no
# Windows and tests may open many connections at once; sshd drops some from 10 on by default.
MaxStartups 100
PrintMotd no
PrintLastLog no
X11Forwarding no
AllowAgentForwarding no
Subsystem sftp /usr/lib/openssh/sftp-server
$setenv
CONF

  cat >>"$root/client/ssh_config" <<CONF

Host $name
   HostName 127.0.0.1
   Port $port
   User root
   IdentityFile $root/client/id_ed25519
   IdentitiesOnly yes
   IdentityAgent none
   UserKnownHostsFile $root/client/known_hosts
   GlobalKnownHostsFile /dev/null
   StrictHostKeyChecking yes
   UpdateHostKeys no
   BatchMode yes
   ConnectTimeout 10
   ControlMaster no
   ControlPath none
CONF
  echo "[127.0.0.1]:$port $(cut -d ' ' -f 1,2 "$dir/ssh/ssh_host_ed25519_key.pub") $name" \
    >>"$root/client/known_hosts"
}

chown_client() {
  if [ -n "${SHAREWARD_SSH_CLIENT_UID:-}" ]; then
    chown -R "$SHAREWARD_SSH_CLIENT_UID" "$root/client"
  fi
}

# start_server K: this script again, as the first process of srvK's namespaces, which binds
# its directories and becomes sshd; it ends when its unshare is killed.
start_server() {
  local k=$1
  local dir=$root/srv$k
  SHAREWARD_SSH_ROLE=srv$k unshare --mount --pid --uts --fork --mount-proc \
    --propagation private --kill-child=SIGKILL -- bash "$script" </dev/null >>"$dir/ssh/sshd.log" 2>&1 &
  server_pids[k]=$!
}

# wait_for_server K: until srvK listens; then writes srvK/enter with the pid of its sshd.
wait_for_server() {
  local k=$1 i
  local dir=$root/srv$k
  for ((i = 0; i < 400; i++)); do
    if listening $((2200 + k)); then
      break
    fi
    if ! kill -0 "${server_pids[k]}" 2>/dev/null; then
      cat "$dir/ssh/sshd.log" >&2
      fail "sshd of srv$k ended (its log above)"
    fi
    sleep 0.025
  done
  if ! listening $((2200 + k)); then
    cat "$dir/ssh/sshd.log" >&2
    fail "sshd of srv$k does not listen on 127.0.0.1:$((2200 + k)) (its log above)"
  fi
  # unshare's child, PID 1 in srvK's namespace.
  local sshd_pid
  sshd_pid=$(<"/proc/${server_pids[k]}/task/${server_pids[k]}/children")
  cat >"$dir/enter" <<SCRIPT
#!/bin/sh
# enter CMD...: CMD as root in srv$k's mount, PID and UTS namespaces.
exec nsenter --target ${sshd_pid%% *} --mount --pid --uts -- "\$@"
SCRIPT
  chmod 0755 "$dir/enter"
}

stop_servers() {
  local pid
  for pid in "${server_pids[@]}"; do
    kill -KILL "$pid" 2>/dev/null || true
  done
  for pid in "${server_pids[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
}

# As the first process of srvK's namespaces: binds the server's directories and becomes its
# sshd.
ssh_server() {
  root=$SHAREWARD_SSH_DIR
  local name=$SHAREWARD_SSH_ROLE
  local dir=$root/$name dir_name
  unset SHAREWARD_SSH_ROLE
  hostname "$name"
  mount --bind "$dir/etc" /etc
  for dir_name in "${server_directories[@]}"; do
    mount --bind "$dir$dir_name" "$dir_name"
  done
  if [ -n "${SHAREWARD_CLI:-}" ]; then
    mount --bind "$SHAREWARD_CLI" /usr/bin/shareward-cli
  fi
  exec /usr/sbin/sshd -D -e -f "$dir/ssh/sshd_config"
}

case ${SHAREWARD_SSH_ROLE:-} in
fixture) ssh_servers_fixture "$@" ;;
srv*) ssh_server ;;
*) ssh_servers_outside "$@" ;;
esac
