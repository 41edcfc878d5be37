#!/usr/bin/env bash
# make-man.sh <zvx> <version> <out.1.gz>: zvx's manual page, made from its --help texts (the
# program's and each command's), kept as they are laid out.
set -euo pipefail
zvx=$1 version=$2 out=$3
export LC_ALL=C.UTF-8
# Backslashes and lines starting with a dot or quote are roff's own.
text() { "$zvx" "$@" --help | sed -e 's/\\/\\e/g' -e "s/^\\([.']\\)/\\\\\\&\\1/"; }
{
    echo ".TH ZVX 1 \"\" \"zvx $version\" \"User Commands\""
    echo ".SH NAME"
    echo "zvx \\- pictures, movies and melodies to and from Japanese feature phones"
    echo ".SH SYNOPSIS"
    echo ".B zvx"
    echo "\\fIcommand\\fR [\\fIoptions\\fR] [\\fIfile\\fR ...]"
    echo ".SH DESCRIPTION"
    echo ".nf"
    text
    echo ".fi"
    for command in info wrap unwrap send receive ports; do
        echo ".SH \"zvx $command\""
        echo ".nf"
        text "$command"
        echo ".fi"
    done
} | gzip -9n >"$out"
