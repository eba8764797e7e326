#!/usr/bin/env bash
# Builds one fuzz target with clang and libFuzzer and runs it for a while.
#   scripts/fuzz.sh <target|all> [seconds]      targets: fuzz_amount_keys fuzz_amount fuzz_dates fuzz_ini
# The build lives in build-fuzz/ (or $FUZZ_BUILD). Each target starts from its seeds in
# fuzz/corpus/<target>/ and keeps what it learns in build-fuzz/corpus/<target>/. An input that
# breaks a target is saved under build-fuzz/crashes/<target>/ and the script fails; replay it with
#   build-fuzz/fuzz/<target> <file>
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
targets=(fuzz_amount_keys fuzz_amount fuzz_dates fuzz_ini)
which=${1:-}
seconds=${2:-60}
if [[ -z "$which" ]]; then
    echo "usage: scripts/fuzz.sh <${targets[*]// /|}|all> [seconds]" >&2
    exit 2
fi
if [[ "$which" == all ]]; then
    run=("${targets[@]}")
elif [[ " ${targets[*]} " == *" $which "* ]]; then
    run=("$which")
else
    echo "unknown fuzz target: $which (one of: ${targets[*]} all)" >&2
    exit 2
fi

build=${FUZZ_BUILD:-$root/build-fuzz}
if [[ ! -f "$build/CMakeCache.txt" ]]; then
    cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DQUILLMATE_FUZZ=ON -DBUILD_TESTING=OFF -DQUILLMATE_WERROR=ON >/dev/null
fi
cmake --build "$build" --parallel "$(nproc)" --target "${run[@]}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
export TMPDIR="$build/tmp"
mkdir -p "$TMPDIR"
for target in "${run[@]}"; do
    corpus="$build/corpus/$target"
    crashes="$build/crashes/$target"
    mkdir -p "$corpus" "$crashes"
    echo "== $target: ${seconds}s"
    # One worker: the machine's other core keeps building and testing.
    if ! "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=512 \
        -print_final_stats=1 -artifact_prefix="$crashes/" "$corpus" "$root/fuzz/corpus/$target" \
        >"$build/$target.log" 2>&1; then
        tail -n 60 "$build/$target.log" >&2
        echo "FUZZ FAILED: $target; the input is in $crashes/" >&2
        exit 1
    fi
    grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$build/$target.log" | tr '\n' ' '
    echo
done
