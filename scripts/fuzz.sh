#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for the given number of seconds (default 60).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
scripts/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target quillbook_fuzzers
for target in build/fuzz/fuzz/fuzz_*; do
    [ -f "$target" ] && [ -x "$target" ] || continue
    name=$(basename "$target")
    corpus="build/fuzz/corpus/$name"
    mkdir -p "$corpus"
    seeds=()
    max_len=65536
    # The rich text targets start from the real files of the tests (cut to their first 4 KB).
    # A document goes through Qt's text layer at a few megabytes a second, so they try small
    # documents, several times as many a second; large ones are the tests' and benchmarks'.
    if [ "$name" = fuzz_rtf_reader ] || [ "$name" = fuzz_rtf_roundtrip ]; then
        seeds=(tests/data/rtf/*/)
        max_len=4096
    fi
    echo "fuzzing $name for ${seconds}s"
    "$target" -max_total_time="$seconds" -rss_limit_mb=4096 -max_len="$max_len" -artifact_prefix=build/fuzz/ "$corpus" "${seeds[@]}" 2>&1 | sed -n -E '/^Done|ERROR|SUMMARY/p'
done
