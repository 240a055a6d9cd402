#!/usr/bin/env bash
# Installs what Shareward needs, builds it and runs it on the server's smb.conf.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --parallel "$(nproc)" --target shareward-cli >&2

# Until the window exists, show the configuration as Shareward reads and writes it.
exec build/src/cli/shareward-cli print /etc/samba/smb.conf
