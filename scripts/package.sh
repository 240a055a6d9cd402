#!/usr/bin/env bash
# Builds the Debian package shareward_VERSION_amd64.deb and checks it with lintian.
#
# CPack's DEB generator makes it from the same install rules as `cmake --install`, so the
# package holds exactly what the install test checks, with no second list of files to keep
# in step (as debian/rules with dh would need). dpkg-shlibdeps computes the library
# dependencies from the binaries; the Samba programs Shareward runs are added by name in
# resources/CMakeLists.txt.
#
# Usage: scripts/package.sh [--from BUILD_DIR] [OUTPUT_DIR]   (default build-package/ in the repository)
# --from packs a build tree already built (the test command's, configured for /usr) instead of
# making a Release build of its own: the package the tests check, in seconds.
# Prints the path of the .deb on its last line.
set -euo pipefail
cd "$(dirname "$0")/.."

from=""
if [ "${1:-}" = "--from" ]; then
  from=$(realpath -m "$2")
  shift 2
fi
output=$(realpath -m "${1:-build-package}")
build=${from:-$output/build}
mkdir -p "$output"

# dpkg-dev and lintian are among the test tools.
bash scripts/install-deps.sh --tests

# Debian's hardening flags (fortify, stack protector, relro, now), as a Debian build gets them.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
# CMAKE_SKIP_INSTALL_ALL_DEPENDENCY: cpack's install would build every target first, the
# tests and benchmarks too, one job at a time.
if [ -z "$from" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
  # Only what the package holds: the tests and benchmarks are not built.
  cmake --build "$build" --parallel "$(nproc)" --target shareward shareward-cli shareward-changelog
fi
(cd "$build" && cpack -G DEB -B "$output" >/dev/null)
rm -rf "$output/_CPack_Packages"

deb=$(ls -t "$output"/shareward_*_amd64.deb | head -n 1)
echo "== lintian" >&2
# lintian leaves a cache file of its own (mldbm-elf-*) in TMPDIR: a directory of ours.
lintian_tmp=$(mktemp -d)
trap 'rm -rf "$lintian_tmp"' EXIT
TMPDIR=$lintian_tmp lintian --fail-on error "$deb" >&2
echo "$deb"
