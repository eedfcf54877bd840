#!/usr/bin/env bash
# Applies the repository's .clang-format to every C++ file under src, tests, bench and fuzz.
# --check changes nothing and fails, naming the files, when any file is not formatted.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=(-i)
case "${1:-}" in
--check) mode=(--dry-run -Werror) ;;
"") ;;
*)
    echo "usage: $0 [--check]" >&2
    exit 2
    ;;
esac

mapfile -d '' files < <(find src tests bench fuzz \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)
clang-format --style=file "${mode[@]}" "${files[@]}"
