#!/usr/bin/env bash
# The layering check passes on the checkout, and fails, naming the file and line, on a copy of
# it with an include planted upwards (store/ reaching the shell) and one across (the cheque
# screen reaching the voucher screen), and on a new folder of code without a layer.
set -uo pipefail
root=$1
check="$root/scripts/check-layers.sh"
fail() { echo "FAIL: $*"; exit 1; }

"$check" "$root" || fail "the checkout itself breaks the layering"

copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
for dir in "$root"/*/; do
    folder=$(basename "$dir")
    [[ $folder =~ ^(tests|bench|fuzz|docs|scripts|cmake|build.*|data)$ ]] && continue
    cp -r "$dir" "$copy/$folder"
done
"$check" "$copy" >/dev/null || fail "an untouched copy of the checkout breaks the layering"

expect_refused() {
    local what=$1 pattern=$2 out
    out=$("$check" "$copy") && fail "$what was not refused"
    grep -qE "$pattern" <<<"$out" || fail "$what: the report does not name it: $out"
    echo "refused as it should be: $what"
}

sed -i '1a #include "app/Forms.h"' "$copy/store/Settings.cpp"
expect_refused "an upward include" '^store/Settings\.cpp:2: store/ includes "app/Forms\.h" from app/, a layer above it$'
cp "$root/store/Settings.cpp" "$copy/store/Settings.cpp"

sed -i '1a #include "voucher/VoucherPanel.h"' "$copy/cheque/ChequePanel.cpp"
expect_refused "an include across screens" \
    '^cheque/ChequePanel\.cpp:2: cheque/ includes "voucher/VoucherPanel\.h" from voucher/, another screen of the same layer$'
cp "$root/cheque/ChequePanel.cpp" "$copy/cheque/ChequePanel.cpp"

mkdir "$copy/extras" && echo '#pragma once' >"$copy/extras/Extra.h"
expect_refused "a folder without a layer" '^extras/: a folder of program code without a layer'
rm -r "$copy/extras"

"$check" "$copy" >/dev/null || fail "the copy does not pass again once the plants are gone"
echo "PASS"
