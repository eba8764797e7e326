#!/usr/bin/env bash
# Configures and builds into build/ (or the folder given as first argument), warnings as errors.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" -DQUILLMATE_WERROR=ON >/dev/null
cmake --build "$build" --parallel "$(nproc)"
