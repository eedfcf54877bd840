#!/usr/bin/env bash
# Two Syncthing instances on this machine share one list folder; a window on each side takes
# rounds of pairs, some at the same moment. Afterwards both folders must hold the same two list
# files with every pair taken exactly once and aligned, and no conflict copy.
# Only 127.0.0.1 is used: no discovery, relays, NAT traversal, usage reports or upgrades.
# Conflict copies are asked for explicitly: a folder element without maxConflicts gets 0 from
# this Syncthing, which then deletes the version it sets aside.
# Usage: scripts/test-sync.sh [preset]   (dev by default; ctest runs it as sync_engine_two_machines)
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-dev}
rounds=${SYNC_ROUNDS:-12}
period=${SYNC_PERIOD_MS:-1500}
# ctest names the driver it built; run by hand, the script builds it.
driver=${QUILLBOOK_SYNC_DRIVER:-}
if [ -z "$driver" ]; then
    cmake --build --preset "$preset" --target quillbook_sync_driver >/dev/null
    driver=$(find "build/$preset" -name quillbook_sync_driver -type f -perm -u+x | head -n 1)
fi
command -v syncthing >/dev/null || { echo "test-sync: syncthing is not installed" >&2; exit 1; }
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
# Stopping it takes its sleep along, so nothing is left running.
(
    trap 'kill "$sleeper" 2>/dev/null; exit 0' TERM
    sleep 240 &
    sleeper=$!
    wait "$sleeper"
    echo "test-sync: timed out" >&2
    kill -TERM $$
) &
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
declare -A gui=([a]=$((base + 2)) [b]=$((base + 3)))
key=$(head -c 18 /dev/urandom | base64 | tr '+/' 'xy')
for side in a b; do
    cat >"$work/$side/home/config.xml" <<XML
<configuration version="36">
    <folder id="words" label="words" path="$work/$side/words" type="sendreceive" rescanIntervalS="2" fsWatcherEnabled="true" fsWatcherDelayS="1">
        <device id="${id[a]}"></device>
        <device id="${id[b]}"></device>
        <minDiskFree unit="%">0</minDiskFree>
        <maxConflicts>10</maxConflicts>
    </folder>
    <device id="${id[a]}" name="a" compression="metadata"><address>tcp://127.0.0.1:${port[a]}</address></device>
    <device id="${id[b]}" name="b" compression="metadata"><address>tcp://127.0.0.1:${port[b]}</address></device>
    <gui enabled="true" tls="false"><address>127.0.0.1:${gui[$side]}</address><apikey>$key</apikey></gui>
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

# Asks the engine on `side` (REST API on 127.0.0.1) whether `what` holds: "connected" to the
# other side, or "idle" with nothing to pull and the other side complete; or starts a "scan".
engine() {
    local side=$1 other=$2 what=$3
    python3 - "${gui[$side]}" "$key" "${id[$other]}" "$what" <<'PY' 2>/dev/null
import json, sys, urllib.request
port, key, other, what = sys.argv[1:]
def get(path):
    request = urllib.request.Request(f"http://127.0.0.1:{port}/rest/{path}",
                                     headers={"X-API-Key": key})
    return json.load(urllib.request.urlopen(request, timeout=5))
if what == "scan":  # a scan also starts a pull that waits out a failed one's pause
    request = urllib.request.Request(f"http://127.0.0.1:{port}/rest/db/scan?folder=words",
                                     headers={"X-API-Key": key}, method="POST")
    urllib.request.urlopen(request, timeout=5)
    ok = True
elif what == "connected":
    ok = get("system/connections")["connections"].get(other, {}).get("connected", False)
else:
    status = get("db/status?folder=words")
    completion = get(f"db/completion?folder=words&device={other}")
    ok = (status["state"] == "idle" and status["needTotalItems"] == 0
          and completion["completion"] == 100
          and completion["needItems"] == 0)
sys.exit(0 if ok else 1)
PY
}

# Waits until both engines are idle and in sync and both folders hold the same list files with
# no transfer under way, for three checks in a row.
settle() {
    local steady=0 last="" now
    for _ in $(seq 1 120); do
        now=$(cd "$work" && ls -A a/words b/words | md5sum; cat a/words/*.log b/words/*.log 2>/dev/null | md5sum)
        if cmp -s "$work/a/words/Phrase.log" "$work/b/words/Phrase.log" &&
            cmp -s "$work/a/words/Mean.log" "$work/b/words/Mean.log" &&
            engine a b idle && engine b a idle && [ "$now" = "$last" ]; then
            steady=$((steady + 1))
            [ $steady -ge 3 ] && return 0
        else
            steady=0
        fi
        last=$now
        engine a b scan || true
        engine b a scan || true
        sleep 1
    done
    return 1
}
copies() { ls "$work"/a/words "$work"/b/words | grep -E 'sync-conflict|conflicted copy' || true; }

# The rounds start once the two engines are connected.
for _ in $(seq 1 60); do
    engine a b connected && engine b a connected && break
    sleep 1
done
engine a b connected || fail "the engines did not connect"

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
