#!/bin/sh
# Configures and builds the project with the sanitizers, then runs its tests.
#
#   run_sanitized.sh SOURCE_DIR BUILD_DIR [CXX_COMPILER [COMPILER_LAUNCHER]]
#
# Extra arguments for that ctest (-R NAME, -j2) may follow in CTEST_ARGS.
set -eu
src=$(cd "$1" && pwd)
build=$2
cxx=${3:-clang++}
launcher=${4:-}
mkdir -p "$build"
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DAMBRELIA_SANITIZE=ON \
    -DCMAKE_CXX_COMPILER="$cxx" ${launcher:+-DCMAKE_CXX_COMPILER_LAUNCHER="$launcher"} \
    > "$build/configure.log" 2>&1 || { cat "$build/configure.log"; exit 1; }
start=$(date +%s)
cmake --build "$build" --parallel "$(nproc)" > "$build/build.log" 2>&1 || { grep -v '^\[' "$build/build.log" | tail -n 60; exit 1; }
echo "sanitizer build: $(($(date +%s) - start)) s"

supp=$src/tests/sanitize
# A report ends the program that made it with an error; the run fails then.
export ASAN_OPTIONS="check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=0"
export LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
start=$(date +%s)
cd "$build"
status=0
# shellcheck disable=SC2086
# Side by side: the tests that need the machine to themselves (the real
# windows) say so and run alone.
ctest --output-on-failure --timeout 900 --parallel "$(nproc)" ${CTEST_ARGS:-} || status=$?
echo "sanitized tests: $(($(date +%s) - start)) s"
exit $status
