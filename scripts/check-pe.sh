#!/usr/bin/env bash
# check-pe.sh <zorvex.exe> <i386|x86-64> [console]
# Checks a built zorvex.exe from its PE headers alone (no Wine): the machine, the GUI subsystem,
# imports from system DLLs only (the C++ runtime is linked in), and a version resource and a
# manifest in its resources. With "console" (zvx.exe): the console subsystem instead, and a
# version resource only.
set -uo pipefail
export LC_ALL=C   # objdump output is parsed
exe=$1 arch=$2 kind=${3:-gui}
fail() { echo "check-pe: $exe: $*" >&2; exit 1; }
[ -f "$exe" ] || fail "not built"
objdump=$(command -v x86_64-w64-mingw32-objdump || command -v i686-w64-mingw32-objdump) ||
    fail "no mingw objdump (run scripts/setup.sh)"
case $arch in
    i386)   want_format=pei-i386   want_machine='^architecture: i386,' ;;
    x86-64) want_format=pei-x86-64 want_machine='^architecture: i386:x86-64,' ;;
    *)      fail "unknown machine $arch" ;;
esac
head=$("$objdump" -f "$exe") || fail "objdump cannot read it"
grep -q "file format $want_format\$" <<<"$head" || fail "not a $want_format file"
grep -qE "$want_machine" <<<"$head" || fail "machine is not $arch"
priv=$("$objdump" -p "$exe")
if [ "$kind" = console ]; then
    grep -qE '^Subsystem[[:space:]]+0+3[[:space:]]+\(Windows CUI\)' <<<"$priv" || fail "not a console program"
else
    grep -qE '^Subsystem[[:space:]]+0+2[[:space:]]+\(Windows GUI\)' <<<"$priv" || fail "not a GUI program"
fi
system='^(kernel32|user32|gdi32|comdlg32|comctl32|ole32|oleaut32|shell32|advapi32|ws2_32|msvcrt|winmm|shlwapi|version|uuid)\.dll$'
dlls=$(sed -nE 's/^[[:space:]]*DLL Name: (.*)$/\1/p' <<<"$priv" | tr 'A-Z' 'a-z')
[ -n "$dlls" ] || fail "imports no DLL at all"
bad=$(grep -vE "$system" <<<"$dlls")
[ -z "$bad" ] || fail "imports non-system DLLs: $(tr '\n' ' ' <<<"$bad")"
# The resource directory lists types by number: 16 version, 24 manifest.
rsrc=$(sed -n '/The .rsrc Resource Directory section/,$p' <<<"$priv")
grep -qE '^[0-9a-f]+   Entry: ID: 0x0*10,' <<<"$rsrc" || fail "no version resource"
if [ "$kind" = console ]; then
    echo "check-pe: $exe: $want_format, console, system DLLs only ($(tr '\n' ' ' <<<"$dlls")), version present"
    exit 0
fi
grep -qE '^[0-9a-f]+   Entry: ID: 0x0*18,' <<<"$rsrc" || fail "no manifest"
echo "check-pe: $exe: $want_format, GUI, system DLLs only ($(tr '\n' ' ' <<<"$dlls")), version and manifest present"
