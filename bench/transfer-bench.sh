#!/usr/bin/env bash
# bench/transfer-bench.sh [bps [receive|send|zvx]]
# The program's serial transfers over a line paced at <bps> (115200 unless given; 8N1, so bps/10
# bytes a second) next to libopenobex on the same line in the same run. A measurement, not a
# test: it prints figures and judges nothing.
#   receive: libopenobex client -> our ReceiveTransfer (under Wine, the real serial transport)
#            libopenobex client -> our OBEX server natively on the tty (Wine's share of a gap)
#            libopenobex client -> zvx receive (natively, the Linux serial transport)
#            libopenobex client -> libopenobex server
#   send:    our SendTransfer, format 8 (direct) (under Wine, the real serial transport)
#                                -> libopenobex server
#            our OBEX client natively on the tty -> libopenobex server (Wine's share of a gap)
#            zvx send, format 8 (natively, the Linux serial transport) -> libopenobex server
#            libopenobex client -> libopenobex server
# "zvx" runs the zvx and libopenobex rows of both directions only (no Wine).
# The object is a 1 MiB JPEG (a noise picture, padded after its end marker to 1 MiB). Timing and
# byte counts come from the relay between the two ends: from the first byte on the line to the
# last one delivered, every byte in both directions, and how long the line stood idle waiting for
# each end to answer. Wine's COM9 is mapped to the relay's end A; B is the Linux end.
set -euo pipefail
bps=${1:-115200}
only=${2:-}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
export WINEARCH=win64
source scripts/env.sh
mtu=8192   # libopenobex's packet size; our serial transport's is the same

# Rows of a direction (zvx: of both), and those that run under Wine or beside it.
direction() { [ -z "$only" ] || [ "$only" = "$1" ] || [ "$only" = zvx ]; }
wine_rows() { [ "$only" != zvx ] && direction "$1"; }

echo "== building" >&2
[ -d build/host ] || cmake --preset host >/dev/null
cmake --build --preset host --target pace_relay >/dev/null
cmake --build --preset host --target line_peer >/dev/null
cmake --build --preset host --target zvx >/dev/null
if [ "$only" != zvx ]; then
    [ -d build/windows64 ] || cmake --preset windows64 >/dev/null
    cmake --build --preset windows64 --target transfer_bench >/dev/null
    bash scripts/wine-up.sh
fi

dir=$root/build/bench-transfer
mkdir -p "$dir"
relay=$root/build/host/bench/pace_relay
peer=$root/build/host/bench/line_peer
zvx=$root/build/host/cli/zvx
bench=$root/build/windows64/bench/transfer_bench.exe
jpeg=$dir/bench.jpg
if [ ! -f "$jpeg" ] || [ "$(stat -c %s "$jpeg")" != 1048576 ]; then
    convert -size 1024x768 xc:gray +noise Random -quality 90 "$dir/noise.jpg"
    size=$(stat -c %s "$dir/noise.jpg")
    [ "$size" -le 1048576 ] || { echo "transfer-bench: the noise picture is over 1 MiB" >&2; exit 1; }
    cp "$dir/noise.jpg" "$jpeg"
    truncate -s 1048576 "$jpeg"
fi
body=$(stat -c %s "$jpeg")

# COM9 -> the relay's Wine end; Wine reads its port mapping when its server starts.
if [ "$only" != zvx ] && [ "$(readlink "$WINEPREFIX/dosdevices/com9" 2>/dev/null)" != "$dir/wine" ]; then
    printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\r\n"COM9"="%s"\r\n' "$dir/wine" >"$dir/ports.reg"
    wine regedit /S "$(winepath -w "$dir/ports.reg" 2>/dev/null)" </dev/null >/dev/null 2>&1
    wineserver -k || true
    wineserver -w || true
    wineserver -p </dev/null >/dev/null 2>&1 || true
    wine cmd /c exit </dev/null >/dev/null 2>&1 || true
fi
winjpeg=
[ "$only" = zvx ] || winjpeg=$(winepath -w "$jpeg" 2>/dev/null)

relay_pid=
start_relay() {  # a fresh line for each run, so that the relay's figures are one session's
    rm -f "$dir/relay.out"
    setsid "$relay" "$dir/wine" "$dir/linux" "$bps" </dev/null >"$dir/relay.out" 2>&1 &
    relay_pid=$!
    for _ in $(seq 100); do grep -q ready "$dir/relay.out" 2>/dev/null && return 0; sleep 0.05; done
    echo "transfer-bench: the relay did not start" >&2
    exit 1
}
stop_relay() {  # prints "bytes <A to B> <B to A> seconds <s> idle <A's turns> <B's turns>"
    kill -TERM "$relay_pid"
    wait "$relay_pid" || true
    grep '^bytes' "$dir/relay.out"
}
wait_for() {  # wait_for <file> <text>
    for _ in $(seq 600); do grep -q "$2" "$1" 2>/dev/null && return 0; sleep 0.05; done
    echo "transfer-bench: no '$2' in $1" >&2
    exit 1
}

# run <name> <far-end command> <near-end command> [wait-for-waiting]: the far end (the server)
# starts first; the near end once it listens.
results=()
run() {
    local name=$1 server=$2 client=$3 log=$dir/$1
    echo "== $name" >&2
    start_relay
    rm -f "$log".server "$log".client
    eval "$server" >"$log.server" 2>&1 &
    local server_pid=$!
    case "$server" in
    *transfer_bench*) wait_for "$log.server" waiting ;;
    *) sleep 0.5 ;;  # libopenobex listens as soon as it has opened the tty
    esac
    eval "$client" >"$log.client" 2>&1 || true
    wait "$server_pid" || true
    local line
    line=$(stop_relay)
    local ok=1
    grep -q '^ok=1' "$log.server" || ok=0
    grep -q '^ok=1' "$log.client" || ok=0
    results+=("$name|$line|$ok")
    [ $ok = 1 ] || { echo "  failed:" >&2; cat "$log.server" "$log.client" | tr -d '\r' >&2; }
}

# zvx prints no ok=1 of its own: its exit status and the saved file say it.
received=$dir/zvx-in
! wine_rows receive || run "receive: openobex -> ours" \
    "wine '$bench' receive COM9 $bps '$winjpeg' </dev/null" \
    "'$peer' --mtu $mtu --seconds 600 client '$dir/linux' '$dir' '$jpeg'"
! wine_rows receive || run "receive: openobex -> ours natively" \
    "'$peer' --mtu $mtu --seconds 600 --expect '$jpeg' ours-server '$dir/wine' '$dir'" \
    "'$peer' --mtu $mtu --seconds 600 client '$dir/linux' '$dir' '$jpeg'"
! direction receive || run "receive: openobex -> zvx" \
    "rm -rf '$received' && mkdir '$received' && '$zvx' receive --port '$dir/wine' -o '$received' &&
     cmp '$received/bench.jpg' '$jpeg' && echo ok=1" \
    "'$peer' --mtu $mtu --seconds 600 client '$dir/linux' '$dir' '$jpeg'"
! direction receive || run "receive: openobex -> openobex" \
    "'$peer' --mtu $mtu --seconds 600 --expect '$jpeg' server '$dir/wine' '$dir'" \
    "'$peer' --mtu $mtu --seconds 600 client '$dir/linux' '$dir' '$jpeg'"
! wine_rows send || run "send: ours -> openobex" \
    "'$peer' --mtu $mtu --seconds 600 --expect '$jpeg' server '$dir/linux' '$dir'" \
    "wine '$bench' send COM9 $bps '$winjpeg' </dev/null"
! wine_rows send || run "send: ours natively -> openobex" \
    "'$peer' --mtu $mtu --seconds 600 --expect '$jpeg' server '$dir/linux' '$dir'" \
    "'$peer' --mtu $mtu --seconds 600 ours-client '$dir/wine' '$dir' '$jpeg'"
! direction send || run "send: zvx -> openobex" \
    "'$peer' --mtu $mtu --seconds 600 --expect '$jpeg' server '$dir/linux' '$dir'" \
    "'$zvx' send --port '$dir/wine' --format direct --name bench.jpg '$jpeg' && echo ok=1"
! direction send || run "send: openobex -> openobex" \
    "'$peer' --mtu $mtu --seconds 600 --expect '$jpeg' server '$dir/linux' '$dir'" \
    "'$peer' --mtu $mtu --seconds 600 client '$dir/wine' '$dir' '$jpeg'"

line_rate=$(awk -v b="$bps" 'BEGIN { print b / 10 }')
echo
echo "$body-byte object over $bps bps 8N1 (line rate $line_rate bytes/s); seconds from the first"
echo "byte on the line to the last; wire/body = bytes in both directions per body byte; idle A, B ="
echo "seconds the line waited for end A (Wine's COM9), end B (Linux) to answer"
printf '%-36s %9s %12s %10s %10s %8s %8s\n' pair seconds "body B/s" "of line" wire/body "idle A" "idle B"
for r in "${results[@]}"; do
    IFS='|' read -r name line ok <<<"$r"
    read -r _ there back _ seconds _ idleA idleB <<<"$line"
    awk -v n="$name" -v s="$seconds" -v b="$body" -v r="$line_rate" -v w=$((there + back)) -v ok="$ok" \
        -v ia="$idleA" -v ib="$idleB" \
        'BEGIN { printf "%-36s %9.2f %12.1f %10.4f %10.5f %8.3f %8.3f%s\n", n, s, b / s, b / s / r, w / b, ia, ib, ok ? "" : "  FAILED" }'
done
