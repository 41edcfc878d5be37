#!/usr/bin/env bash
# Fails when a source file includes a layer above its own. The layers, lowest first:
#   core <- transport (interface and transports) <- obex <- formats <- app <- cli (zvx)
# Tests, benchmarks and fuzz targets may include anything.
set -euo pipefail
root="${1:-$(cd "$(dirname "$0")/.." && pwd)}"
layers=(core transport obex formats app cli)

rank() {
    local i
    for i in "${!layers[@]}"; do
        [[ "${layers[$i]}" == "$1" ]] && { echo "$i"; return; }
    done
    echo -1
}

status=0
for layer in "${layers[@]}"; do
    own=$(rank "$layer")
    [[ -d "$root/$layer" ]] || continue
    while IFS= read -r hit; do
        file=${hit%%:*}
        rest=${hit#*:}
        line=${rest%%:*}
        target=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^/"]+)\/.*/\1/' <<<"${rest#*:}")
        if (( $(rank "$target") > own )); then
            echo "${file#"$root"/}:$line: $layer includes $target, a layer above it"
            status=1
        fi
    done < <(grep -rnE --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^/"]+/' \
                  "$root/$layer" || true)
done
# zvx stands beside the GUI, not on it.
while IFS= read -r hit; do
    hit=${hit#"$root"/}
    echo "${hit%%:#*}: cli includes the GUI (app/win32)"
    status=1
done < <(grep -rnE --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"app/win32/' \
              "$root/cli" 2>/dev/null || true)
if (( status == 0 )); then
    echo "layers: no upward includes"
fi
exit "$status"
