#!/usr/bin/env bash
# Installs what is needed, builds Quillbook and starts it in the per-user working folder, which
# holds a small sample vocabulary on first run. The repository's files are never changed.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "quillbook: no display found (DISPLAY and WAYLAND_DISPLAY are unset); start it from a desktop session." >&2
    exit 1
fi
"$repo/scripts/install-deps.sh"
cmake --preset dev -S "$repo" >/dev/null
cmake --build "$repo/build/dev" --target quillbook
exec "$repo/build/dev/quillbook" --data-folder
