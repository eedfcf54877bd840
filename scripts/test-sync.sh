#!/usr/bin/env bash
# Two Syncthing instances on this machine share one list folder; a window on each side takes
# rounds of pairs, some at the same moment. Afterwards both folders must hold the same two list
# files with every pair taken exactly once and aligned, and no conflict copy.
# Only 127.0.0.1 is used: no discovery, relays, NAT traversal, usage reports or upgrades.
# Usage: scripts/test-sync.sh [preset]   (dev by default; built by scripts/test.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-dev}
rounds=${SYNC_ROUNDS:-12}
period=${SYNC_PERIOD_MS:-1500}
cmake --build --preset "$preset" --target quillbook_sync_driver >/dev/null
driver=$(find "build/$preset" -name quillbook_sync_driver -type f -perm -u+x | head -n 1)
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    [ -n "${SYNC_KEEP:-}" ] && echo "test-sync: kept $work" >&2 || rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM
# Stops the whole test after a few minutes whatever happens.
( sleep 240; echo "test-sync: timed out" >&2; kill -TERM $$ ) &
pids+=($!)
fail() { echo "test-sync: $*" >&2; exit 1; }

base=$((20000 + RANDOM % 20000))
declare -A id port
for side in a b; do
    mkdir -p "$work/$side/home" "$work/$side/words/.stfolder"
    id[$side]=$(syncthing generate --home="$work/$side/home" --no-default-folder 2>&1 |
        sed -n 's/.*Device ID: *//p')
    [ -n "${id[$side]}" ] || fail "no device ID for $side"
done
port[a]=$base
port[b]=$((base + 1))
for side in a b; do
    cat >"$work/$side/home/config.xml" <<XML
<configuration version="36">
    <folder id="words" label="words" path="$work/$side/words" type="sendreceive" rescanIntervalS="2" fsWatcherEnabled="true" fsWatcherDelayS="1">
        <device id="${id[a]}"></device>
        <device id="${id[b]}"></device>
        <minDiskFree unit="%">0</minDiskFree>
    </folder>
    <device id="${id[a]}" name="a" compression="metadata"><address>tcp://127.0.0.1:${port[a]}</address></device>
    <device id="${id[b]}" name="b" compression="metadata"><address>tcp://127.0.0.1:${port[b]}</address></device>
    <gui enabled="false" tls="false"><address>127.0.0.1:0</address></gui>
    <options>
        <listenAddress>tcp://127.0.0.1:${port[$side]}</listenAddress>
        <globalAnnounceEnabled>false</globalAnnounceEnabled>
        <localAnnounceEnabled>false</localAnnounceEnabled>
        <relaysEnabled>false</relaysEnabled>
        <natEnabled>false</natEnabled>
        <stunKeepaliveStartS>0</stunKeepaliveStartS>
        <announceLANAddresses>false</announceLANAddresses>
        <urAccepted>-1</urAccepted>
        <autoUpgradeIntervalH>0</autoUpgradeIntervalH>
        <crashReportingEnabled>false</crashReportingEnabled>
        <startBrowser>false</startBrowser>
        <reconnectionIntervalS>1</reconnectionIntervalS>
        <minHomeDiskFree unit="%">0</minHomeDiskFree>
    </options>
</configuration>
XML
    STNOUPGRADE=1 syncthing serve --home="$work/$side/home" --no-browser --no-restart \
        --no-upgrade --logfile="$work/$side/syncthing.log" >/dev/null 2>&1 &
    pids+=($!)
done

# Waits until both folders hold the same list files, with no conflict copy and no transfer
# under way, for three seconds in a row.
settle() {
    local steady=0 last="" now
    for _ in $(seq 1 120); do
        now=$(cd "$work" && ls -A a/words b/words | md5sum; cat a/words/*.log b/words/*.log 2>/dev/null | md5sum)
        if cmp -s "$work/a/words/Phrase.log" "$work/b/words/Phrase.log" &&
            cmp -s "$work/a/words/Mean.log" "$work/b/words/Mean.log" &&
            [ "$now" = "$last" ]; then
            steady=$((steady + 1))
            [ $steady -ge 3 ] && return 0
        else
            steady=0
        fi
        last=$now
        sleep 1
    done
    return 1
}
copies() { ls "$work"/a/words "$work"/b/words | grep -E 'sync-conflict|conflicted copy' || true; }

# Both sides start on the same empty pair of files.
start=$(( $(date +%s%3N) + 3000 ))
"$driver" "$work/a/words" A "$rounds" "$period" "$start" >"$work/a.pairs" &
driver_a=$!
"$driver" "$work/b/words" B "$rounds" "$period" "$start" >"$work/b.pairs" &
driver_b=$!
wait "$driver_a" || fail "window A failed"
wait "$driver_b" || fail "window B failed"
# Conflict copies left by the engine are folded in when a window starts; a few passes on
# alternating sides until none is left.
for pass in 1 2 3 4 5 6; do
    settle || fail "folders did not settle"
    [ -z "$(copies)" ] && break
    side=$([ $((pass % 2)) -eq 1 ] && echo a || echo b)
    "$driver" "$work/$side/words" X 0 "$period" 0 || fail "fold on $side failed"
done
[ -z "$(copies)" ] || fail "conflict copies left: $(copies)"

cd "$work/a/words"
[ "$(wc -l <Phrase.log)" = "$(wc -l <Mean.log)" ] || fail "lists of different lengths"
paste -d / <(tr -d '\r' <Phrase.log) <(tr -d '\r' <Mean.log) |
    awk -F / '$2 != "m" $1 { bad = 1; print "misaligned: " $0 > "/dev/stderr" } END { exit bad }' ||
    fail "pairs not aligned"
dups=$(tr -d '\r' <Phrase.log | sort | uniq -d)
[ -z "$dups" ] || fail "pairs twice: $dups"
missing=$(sort "$work/a.pairs" "$work/b.pairs" | comm -23 - <(tr -d '\r' <Phrase.log | sort))
[ -z "$missing" ] || fail "pairs lost: $missing"
extra=$(tr -d '\r' <Phrase.log | sort | comm -23 - <(sort "$work/a.pairs" "$work/b.pairs"))
[ -z "$extra" ] || fail "pairs nobody took: $extra"
echo "test-sync: $(wc -l <Phrase.log) pairs on both sides, aligned, no conflict copy"
