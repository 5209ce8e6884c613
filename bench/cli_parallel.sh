#!/usr/bin/env bash
# Several signs at once: zantolux-cli sends one 3-page program to 1, 3 and 8 virtual signs
# (20 pages, paced at BAUD, default 2400) and prints its wall time against one sign, its CPU
# and its peak resident memory, as rows of bench/run's table. Needs GNU time (package time).
set -euo pipefail
TIMEFORMAT='%3R %3U %3S'
build=${BUILD:-build}
baud=${BAUD:-2400}
sim=$build/tools/sim/zantolux-sim
cli=$build/src/cli/zantolux-cli
[ -x /usr/bin/time ] || { echo "cli_parallel: needs GNU time (Debian package time)" >&2; exit 1; }

dir=$(mktemp -d)
pids=()
trap '[ ${#pids[@]} -eq 0 ] || kill "${pids[@]}" 2>/dev/null; rm -rf "$dir"' EXIT

# 20 rows a page, about 850 of a page's 1024 bytes.
for p in 1 2 3; do
    for r in $(seq -w 20); do
        printf '1\x052Pagina %d fila %s: salida 12:45 anden 3\r\n' "$p" "$r"
    done
done >"$dir/three-pages.zlx"

row() { echo "| $1 | $2 | $3 |"; }
cpus=() mibs=()
for n in 1 3 8; do
    ports=()
    for i in $(seq "$n"); do
        "$sim" --quiet --model 20 --pace-baud "$baud" --link "$dir/sign$i" --memory "$dir/memory$n-$i.bin" >/dev/null &
        pids+=($!)
        ports+=(--port "$dir/sign$i")
    done
    for i in $(seq "$n"); do
        for _ in $(seq 50); do [ -e "$dir/sign$i" ] && break; sleep 0.1; done
    done
    # bash's time for CPU to the millisecond (GNU time's own share is under one), GNU time for the peak.
    { time /usr/bin/time -o "$dir/peak" -f '%M' "$cli" -q "${ports[@]}" send "$dir/three-pages.zlx" >"$dir/out" \
        || { echo "cli_parallel: the send to $n signs failed:" >&2; cat "$dir/out" >&2; exit 1; }; } 2>"$dir/time"
    read -r wall user sys <"$dir/time"
    kib=$(cat "$dir/peak")
    kill "${pids[@]}"
    wait "${pids[@]}" 2>/dev/null || true
    pids=()
    rm -f "$dir"/sign*
    frames=$(grep -o 'frames [0-9]*' "$dir/out" | head -1 | cut -d' ' -f2)
    what="CLI send, 3 pages ($frames frames) to $n sign$([ "$n" = 1 ] || echo s) ($baud baud, 20 pages)"
    if [ "$n" = 1 ]; then
        one=$wall
        row "$what" "$(printf "%.2f s" "$wall")" ""
    else
        row "$what" "$(awk -v w="$wall" -v o="$one" 'BEGIN { printf "%.2f s = %.3f × one sign", w, w / o }')" "≤ 1.10 × one sign"
    fi
    cpus+=("$(awk -v u="$user" -v s="$sys" -v w="$wall" 'BEGIN { printf "%.3f", 100 * (u + s) / w }')")
    mibs+=("$(awk -v k="$kib" 'BEGIN { printf "%.1f", k / 1024 }')")
done
row "CLI CPU, user+sys over wall, for 1 / 3 / 8 signs" "${cpus[0]} % / ${cpus[1]} % / ${cpus[2]} % of one core" "< 2 % for 8 signs"
row "CLI peak resident memory for 1 / 3 / 8 signs" "${mibs[0]} / ${mibs[1]} / ${mibs[2]} MiB" "< 20 MiB"
