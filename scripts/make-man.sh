#!/usr/bin/env bash
# make-man.sh <zvx> <version> <out.1.gz>: zvx's manual page, made from its --help texts (the
# program's and each command's), kept as they are laid out; EXIT STATUS and ENVIRONMENT are the
# program's own --help lists, EXAMPLES are written here.
set -euo pipefail
zvx=$1 version=$2 out=$3
export LC_ALL=C.UTF-8
# Backslashes and lines starting with a dot or quote are roff's own.
text() { "$zvx" "$@" --help | sed -e 's/\\/\\e/g' -e "s/^\\([.']\\)/\\\\\\&\\1/"; }
# The parts of the program's --help: before its exit statuses, the statuses, the environment.
part() { text | awk -v part="$1" '/^終了コード:/ { n = 1 } /^環境変数:/ { n = 2 } n == part'; }
{
    echo ".TH ZVX 1 \"\" \"zvx $version\" \"User Commands\""
    echo ".SH NAME"
    echo "zvx \\- pictures, movies and melodies to and from Japanese feature phones"
    echo ".SH SYNOPSIS"
    echo ".B zvx"
    echo "[\\fB\\-q\\fR|\\fB\\-v\\fR] \\fIcommand\\fR [\\fIoptions\\fR] [\\fIfile\\fR ...]"
    echo ".br"
    echo ".B zvx help"
    echo "[\\fIcommand\\fR]"
    echo ".SH DESCRIPTION"
    echo ".nf"
    part 0
    echo ".fi"
    for command in info wrap unwrap send receive ports; do
        echo ".SH \"zvx $command\""
        echo ".nf"
        text "$command" | awk '/^(終了コード|環境変数):/ { exit } { print }'
        echo ".fi"
    done
    echo ".SH EXAMPLES"
    echo ".nf"
    cat <<'EXAMPLES'
# 写真とメロディを docomo 形式で送る
zvx send \-\-port /dev/ttyUSB0 \-\-format docomo \-\-summary 旅行 photo.jpg melody.mld
# フォルダの中を全部送る (失敗したファイルは飛ばして、最後にまとめ)
export ZVX_PORT=/dev/serial/by\-id/usb\-NEC_FOMA_N902i\-if01
zvx send \-\-format direct \-r \-\-keep\-going ~/phone\-out
# 一覧から送る、標準入力から送る
find . \-name '*.jpg' | zvx send \-\-format direct \-\-files\-from \-
zvx send \-\-format direct \-\-name cam.jpg \- < photo.jpg
# 携帯電話から届くものを待ち続けて ~/phone に保存する
zvx receive \-o ~/phone \-\-forever \-\-json
# 包んだオブジェクトを標準出力へ書き、取り出す
zvx wrap \-\-format f2051 \-\-title 着メロ tune.mid \-o \- | zvx unwrap \-
EXAMPLES
    echo ".fi"
    echo ".SH ENVIRONMENT"
    echo ".nf"
    part 2 | tail -n +2 | sed "/^$/d"
    echo "  LC_ALL, LC_CTYPE, LANG  表示の文字コード (UTF\\-8 以外は iconv で変換)"
    echo ".fi"
    echo ".SH \"EXIT STATUS\""
    echo ".nf"
    part 1 | tail -n +2
    echo ".fi"
    echo ".SH \"SEE ALSO\""
    echo "zvx help \\fIcommand\\fR"
} | gzip -9n >"$out"
