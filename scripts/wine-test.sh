#!/usr/bin/env bash
# wine-test.sh <wine> <program.exe> [arguments...]
# How CTest runs a Windows test program: under the given Wine loader, with its status passed
# through. When it fails, one more line on stderr says how long it ran and whether this prefix's
# wineserver was up, so that a Wine that could not start the program (which prints nothing) is
# told apart from a test that failed.
wine=$1
shift
start=${EPOCHREALTIME/./}
# On a time-out CTest stops the whole process tree, Wine included.
"$wine" "$@"
rc=$?
if [ "$rc" != 0 ]; then
    ms=$(((${EPOCHREALTIME/./} - start) / 1000))
    server="none"
    prefix=${WINEPREFIX:-$HOME/.wine}
    if dir=$(stat -c '%d %i' "$prefix" 2>/dev/null); then
        # The wineserver works in a folder named server-<device>-<inode> of the prefix.
        # shellcheck disable=SC2086 # two numbers
        dir=$(printf 'server-%x-%x' $dir)
        for p in $(pgrep -u "$(id -u)" wineserver); do
            [ "$(basename "$(readlink "/proc/$p/cwd" 2>/dev/null)")" = "$dir" ] && server="pid $p"
        done
    fi
    echo "wine-test: ${1##*/} ended with status $rc after $ms ms; wineserver of $prefix: $server" >&2
fi
exit "$rc"
