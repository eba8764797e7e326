#!/usr/bin/env bash
# Installs what is missing, builds, and starts Quillmate with its data folder (the database
# "pjzp.pdp" and its backups) in data/ of the checkout.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build"
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    echo "没有图形显示 (DISPLAY 未设置): 请在桌面中运行, 或用 xvfb-run -a scripts/run.sh 启动。" >&2
    exit 1
fi
mkdir -p "$root/data"
cd "$root/data"
exec "$root/build/quillmate" --data "$root/data" "$@"
