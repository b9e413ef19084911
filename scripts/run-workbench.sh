#!/usr/bin/env bash
# Opens the workbench on the demo document (demo/demo.sql when the document is not there).
# Usage: run-workbench.sh BUILD_DIR
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
    echo "No display here (DISPLAY and WAYLAND_DISPLAY are unset): the workbench needs a graphical session."
    exit 0
fi
document="$root/demo/demo.tsl"
[[ -f "$document" ]] || document="$root/demo/demo.sql"
exec "$build/src/app/tessella" "$document"
