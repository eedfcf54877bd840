#!/usr/bin/env bash
# Installs what is needed, builds Quillbook and starts it in a per-user working folder that
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
work="${XDG_DATA_HOME:-$HOME/.local/share}/Quillbook/words"
if [ ! -d "$work" ]; then
    mkdir -p "$work"
    cp "$repo/data/sample/Phrase.log" "$repo/data/sample/Mean.log" "$work/"
fi
cd "$work"
exec "$repo/build/dev/quillbook"
