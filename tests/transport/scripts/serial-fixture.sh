#!/usr/bin/env bash
# serial-fixture.sh up|down|restart <dir>
# Serial ports for the transport tests, in this tree's Wine prefix:
#   COM5 <-> COM6   one pseudo-terminal pair, both ends in Wine (raw byte tests)
#   COM7 <-> <dir>/peer   the Linux end is for the libopenobex peer; CNCA0 is a second name
#   COM8 <-> <dir>/gone   a pair the tests pull away mid-transfer (its socat pid: <dir>/gone.pid);
#                         "restart" makes it anew (new ptys, the same links), then touches
#                         <dir>/gone.restarted
# Wine applies its COM port mapping when it starts, so "up" restarts the wineserver when the
# mapping changed. Nothing here may keep ctest's output pipe open: every background process
# gets its stdio redirected.
set -euo pipefail
action=$1 dir=$2
here=$(cd "$(dirname "$0")" && pwd)

stop_pairs() {  # stop_pairs [pid file...]: all pairs unless given; returns once they are gone
    local f pid files=("$@")
    [ $# -gt 0 ] || files=("$dir"/*.pid)
    for f in "${files[@]}"; do
        [ -f "$f" ] || continue
        pid=$(cat "$f")
        # Only a socat we started (the pid file could be stale after a reboot).
        if [ -r "/proc/$pid/cmdline" ] && tr '\0' ' ' <"/proc/$pid/cmdline" | grep -q "^socat .*$dir"; then
            kill "$pid" 2>/dev/null || true
            while kill -0 "$pid" 2>/dev/null; do sleep 0.05; done
        fi
        rm -f "$f"
    done
}

start_pair() {  # start_pair <name> <end0> <end1>
    local name=$1 end0=$2 end1=$3
    rm -f "$dir/$end0" "$dir/$end1"
    setsid socat pty,raw,echo=0,link="$dir/$end0" pty,raw,echo=0,link="$dir/$end1" \
        </dev/null >/dev/null 2>"$dir/$name.log" &
    echo $! >"$dir/$name.pid"
}

wait_links() {
    for _ in $(seq 100); do
        local ok=1
        for link in "$@"; do [ -e "$dir/$link" ] || ok=0; done
        [ $ok = 1 ] && return 0
        sleep 0.05
    done
    echo "serial-fixture: socat did not create $*" >&2
    return 1
}

case "$action" in
up)
    source "$here/../../../scripts/env.sh"
    mkdir -p "$dir"
    rm -rf "$dir"/peer-*
    stop_pairs
    start_pair pairA a0 a1
    start_pair pairB b0 b1
    start_pair gone c0 c1
    wait_links a0 a1 b0 b1 c0 c1
    # The Wine names of the pty ends; the Linux peer uses b1 directly.
    declare -A want=([com5]="$dir/a0" [com6]="$dir/a1" [com7]="$dir/b0" [com8]="$dir/c0")
    changed=0
    for com in "${!want[@]}"; do
        [ "$(readlink "$WINEPREFIX/dosdevices/$com" 2>/dev/null)" = "${want[$com]}" ] || changed=1
    done
    if [ $changed = 1 ]; then
        reg="$dir/ports.reg"
        {
            printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\r\n'
            for com in "${!want[@]}"; do
                printf '"%s"="%s"\r\n' "${com^^}" "${want[$com]}"
            done
        } >"$reg"
        wine regedit /S "$(winepath -w "$reg" 2>/dev/null)" </dev/null >/dev/null 2>&1
        wineserver -k || true
        wineserver -w || true
        wineserver -p </dev/null >/dev/null 2>&1
        wine cmd /c exit </dev/null >/dev/null 2>&1 || true
        for com in "${!want[@]}"; do
            if [ "$(readlink "$WINEPREFIX/dosdevices/$com")" != "${want[$com]}" ]; then
                echo "serial-fixture: Wine did not map ${com^^} to ${want[$com]}" >&2
                exit 1
            fi
        done
    fi
    # A port whose name is not "COMn" (as virtual null-modem pairs are called): a second name
    # for COM7's line.
    ln -sfn "$dir/b0" "$WINEPREFIX/dosdevices/cnca0"
    echo "serial-fixture: COM5<->COM6, COM7 (also CNCA0)<->$dir/b1, COM8<->$dir/c1 ready"
    ;;
down)
    stop_pairs
    ;;
restart)
    rm -f "$dir/gone.restarted"
    stop_pairs "$dir/gone.pid"
    start_pair gone c0 c1
    wait_links c0 c1
    touch "$dir/gone.restarted"
    ;;
*)
    echo "usage: $0 up|down|restart <dir>" >&2
    exit 2
    ;;
esac
