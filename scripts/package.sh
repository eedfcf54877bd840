#!/usr/bin/env bash
# Builds Quillbook in the Release tree (build/dev, shared with scripts/test.sh) and its Debian package.
# Prints the path of the .deb on its last line; install it with `apt install ./<file>.deb`.
set -euo pipefail
cd "$(dirname "$0")/.."
# Only the path goes to standard output; everything else is progress for the reader.
scripts/install-deps.sh >&2
cmake --preset dev >/dev/null
cmake --build --preset dev --target quillbook quillbook_packaging_files >&2
rm -rf build/dev/package
(cd build/dev && cpack --config CPackConfig.cmake >&2)
debs=(build/dev/package/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "package.sh: no single .deb was made" >&2; exit 1; }
echo "$PWD/${debs[0]}"
