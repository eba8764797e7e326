#!/usr/bin/env bash
# Checks the layering of the program's folders: a file includes headers of its own folder and of
# the layers below it only, and the screens never include one another.
#
#   common ← numerals ← store ← print ← {cheque, voucher, printsetup, register, settings} ← app
#
# Usage: scripts/check-layers.sh [source root]   (default: the checkout this script is in)
# Prints every include that breaks the rule, as file:line, and exits 1 when there is one; a
# folder of program code that is not in the table below is an error too, so a new folder is
# given its layer on purpose. Tests, benchmarks and fuzz targets sit above everything.
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}

declare -A layer=(
    [common]=0
    [numerals]=1
    [store]=2
    [print]=3
    [cheque]=4 [voucher]=4 [printsetup]=4 [register]=4 [settings]=4
    [app]=5
)
# Folders of the checkout that hold no program code.
skip='^(tests|bench|fuzz|docs|scripts|cmake|build.*|data|\..*)$'

status=0
for dir in "$root"/*/; do
    folder=$(basename "$dir")
    [[ $folder =~ $skip ]] && continue
    compgen -G "$dir*.cpp" >/dev/null || compgen -G "$dir*.h" >/dev/null || continue
    if [[ -z ${layer[$folder]+set} ]]; then
        echo "$folder/: a folder of program code without a layer: add it to scripts/check-layers.sh"
        status=1
        continue
    fi
    own=${layer[$folder]}
    while IFS=: read -r file line target; do
        used=${target%%/*}
        [[ $used == "$folder" ]] && continue
        if [[ -z ${layer[$used]+set} ]]; then
            echo "${file#"$root"/}:$line: includes \"$target\" from $used/, which is no layer of the program"
            status=1
        elif (( layer[$used] >= own )); then
            why="a layer above it"
            (( layer[$used] == own )) && why="another screen of the same layer"
            echo "${file#"$root"/}:$line: $folder/ includes \"$target\" from $used/, $why"
            status=1
        fi
    done < <(grep -HnoE '^[[:space:]]*#[[:space:]]*include[[:space:]]+"[^"]+/[^"]+"' "$dir"*.cpp "$dir"*.h 2>/dev/null \
             | sed -E 's/:[[:space:]]*#[[:space:]]*include[[:space:]]+"([^"]+)"$/:\1/')
done
if (( status == 0 )); then
    echo "layering ok: no folder includes from a layer above it or from another screen"
fi
exit $status
