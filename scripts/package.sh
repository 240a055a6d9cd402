#!/usr/bin/env bash
# Builds the Debian package shareward_VERSION_amd64.deb and checks it with lintian.
#
# CPack's DEB generator makes it from the same install rules as `cmake --install`, so the
# package holds exactly what the install test checks, with no second list of files to keep
# in step (as debian/rules with dh would need). dpkg-shlibdeps computes the library
# dependencies from the binaries; the Samba programs Shareward runs are added by name in
# resources/CMakeLists.txt.
#
# Usage: scripts/package.sh [OUTPUT_DIR]   (default build-package/ in the repository)
# Prints the path of the .deb on its last line.
set -euo pipefail
cd "$(dirname "$0")/.."

output=$(realpath -m "${1:-build-package}")
build=$output/build
mkdir -p "$output"

bash scripts/install-deps.sh

# Debian's hardening flags (fortify, stack protector, relro, now), as a Debian build gets them.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
# CMAKE_SKIP_INSTALL_ALL_DEPENDENCY: cpack's install would build every target first, the
# tests and benchmarks too, one job at a time.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
# Only what the package holds: the tests and benchmarks are not built.
cmake --build "$build" --parallel "$(nproc)" --target shareward shareward-cli shareward-launch shareward-changelog
(cd "$build" && cpack -G DEB -B "$output" >/dev/null)
rm -rf "$output/_CPack_Packages"

deb=$(ls -t "$output"/shareward_*_amd64.deb | head -n 1)
echo "== lintian" >&2
lintian --fail-on error "$deb" >&2
echo "$deb"
