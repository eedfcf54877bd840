#!/usr/bin/env bash
# Builds the Release tree (as scripts/test.sh does) and the Debian package of Quillbook from it.
# Prints the path of the .deb on its last line; install it with `apt install ./<file>.deb`.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev --target quillbook quillbook_packaging_files
rm -rf build/dev/package
(cd build/dev && cpack --config CPackConfig.cmake >&2)
debs=(build/dev/package/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "package.sh: no single .deb was made" >&2; exit 1; }
echo "$PWD/${debs[0]}"
