#!/usr/bin/env bash
# Installs what the tests need, builds Shareward and runs every test: once with the
# default build, then once built by clang with AddressSanitizer and UndefinedBehavior-
# Sanitizer, which also runs the parser fuzzer for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh --tests
jobs=$(nproc)

# The gcc build is the Release build the package is made from: without debug information it
# compiles and links a quarter faster, and the sanitizer build below keeps line numbers.
echo "== build and test (gcc)"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build build --parallel "$jobs"
ctest --test-dir build --output-on-failure --parallel "$jobs"

echo "== Debian package of that build, checked by lintian"
bash scripts/package.sh --from build build-package

echo "== build and test (clang, AddressSanitizer + UndefinedBehaviorSanitizer, fuzzer)"
# Line tables are all the sanitizers' reports need; the benchmarks are built above. The prefix
# is the package's, as the window asks pkexec for the backend where the package installs it.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-gline-tables-only \
  -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_CXX_COMPILER=clang++ -DSHAREWARD_SANITIZE=ON -DSHAREWARD_FUZZ=ON \
  -DSHAREWARD_BENCH=OFF >/dev/null
cmake --build build-asan --parallel "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure --parallel "$jobs"
