#!/usr/bin/env bash
# Installs what is missing, checks the format of the last commit's changed lines, builds, and runs
# every test: the normal build and its tests, a short run of every fuzz target, then the whole
# suite again built with AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
# The lines the last commit changed are formatted (nothing checked in a shallow clone).
"$root/scripts/check-format.sh"
"$root/scripts/build.sh" "$root/build"
cd "$root/build"
ctest --output-on-failure --parallel "$(nproc)" --timeout 600

# Fuzz targets: a short run of each (scripts/fuzz.sh <target> <seconds> runs one for longer).
"$root/scripts/fuzz.sh" all "${FUZZ_SECONDS:-25}"

# The sanitizer build: any finding stops the test that made it, with a stack trace.
cmake -S "$root" -B "$root/build-asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLMATE_SANITIZE=ON -DQUILLMATE_WERROR=ON >/dev/null
cmake --build "$root/build-asan" --parallel "$(nproc)"
cd "$root/build-asan"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1 \
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    ctest --output-on-failure --parallel "$(nproc)" --timeout 900
