#!/usr/bin/env bash
# Installs what building and testing Quillbook needs on Debian 12 (sudo when not root).
# syncthing is for scripts/test-sync.sh only; the program does not use it.
set -euo pipefail
packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libsqlite3-dev sqlite3 libxxhash-dev libzip-dev libzstd-dev libicu-dev
    libglib2.0-dev shared-mime-info
    libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-14-dev clang-format
    fonts-dejavu-core
    file librsvg2-bin desktop-file-utils appstream lintian
    abiword
    fonts-comic-neue fonts-liberation2
    python3 libkeduvocdocument-dev qtbase5-dev
    syncthing
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}"
