#!/usr/bin/env bash
# wine-zvx.sh <zvx.exe> <serial-dir> <line_peer> <picture>
# zvx.exe under Wine on COM7, whose far end (<serial-dir>/b1, see the serial fixture) has
# libopenobex: a picture sent as it is and one received, each checked byte for byte together
# with zvx.exe's exit status.
set -euo pipefail
zvx=$1 serial=$2 peer=$3 picture=$4
out=$serial/peer-zvx-$$
rm -rf "$out"
mkdir -p "$out/send" "$out/receive" "$out/in"
fail() {
    echo "wine-zvx: $*" >&2
    cat "$out"/*.log "$out"/*/result.txt 2>/dev/null >&2 || true
    exit 1
}
wait_for() {  # wait_for <what> <test...>
    local what=$1
    shift
    for _ in $(seq 400); do "$@" && return 0; sleep 0.1; done
    fail "timed out waiting for $what"
}
# Someone (Wine, for COM7) holds the terminal end that socat relays to b1.
port_open() {
    local pts
    pts=$(readlink -f "$serial/b0")
    { find /proc/[0-9]*/fd -lname "$pts" 2>/dev/null || true; } | grep -q .
}

"$peer" server "$serial/b1" "$out/send" </dev/null >"$out/server.log" 2>&1 &
wait_for "the peer" test -e "$out/send/ready"
status=0
wine "$zvx" send --port COM7 --format direct --name photo.jpg "$(winepath -w "$picture" 2>/dev/null)" \
    </dev/null >"$out/send.log" 2>&1 || status=$?
[ $status = 0 ] || fail "zvx.exe send ended with $status"
wait_for "the peer's result" test -e "$out/send/result.txt"
grep -q '^ok=1' "$out/send/result.txt" || fail "the peer did not get the object"
cmp "$out/send/body.bin" "$picture" || fail "the peer got other bytes"

wine "$zvx" receive --port COM7 -o "$(winepath -w "$out/in" 2>/dev/null)" </dev/null >"$out/receive.log" 2>&1 &
zvx_pid=$!
wait_for "zvx.exe to open COM7" port_open
# "photo.jpg" in UTF-16BE
"$peer" client "$serial/b1" "$out/receive" "$picture" 00700068006F0074006F002E006A00700067 \
    image/jpeg 20240102T030405Z </dev/null >"$out/client.log" 2>&1
status=0
wait $zvx_pid || status=$?
[ $status = 0 ] || fail "zvx.exe receive ended with $status"
grep -q '^ok=1' "$out/receive/result.txt" || fail "the peer could not push"
cmp "$out/in/photo.jpg" "$picture" || fail "zvx.exe saved other bytes"
rm -rf "$out"
echo "wine-zvx: zvx.exe sent and received over COM7"
