#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for the given number of seconds (default 60), with
# one fuzzing process per processor sharing one corpus, kept in the build folder between runs.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-60}
workers=$(nproc)
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
    # Each process writes its output to fuzz-N.log in the folder it runs in.
    logs="build/fuzz/logs/$name"
    rm -rf "$logs"
    mkdir -p "$logs"
    echo "fuzzing $name for ${seconds}s in $workers processes"
    status=0
    (cd "$logs" && "$root/$target" -jobs="$workers" -workers="$workers" -max_total_time="$seconds" \
        -rss_limit_mb=4096 -max_len="$max_len" -artifact_prefix="$root/build/fuzz/" \
        "$root/$corpus" "${seeds[@]/#/$root/}" >/dev/null 2>&1) || status=$?
    sed -n -E '/^Done|ERROR|SUMMARY/p' "$logs"/fuzz-*.log
    if [ "$status" -ne 0 ]; then
        echo "$name failed: its output is in $logs" >&2
        exit "$status"
    fi
done
