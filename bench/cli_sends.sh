# Sourced by cli_parallel.sh and cli_network.sh: zantolux-cli sends one 3-page program to several
# virtual signs at once and the figures become rows of bench/run's table. The sourcing script
# defines start_signs N (starts N signs of 20 pages paced at $baud, sets ports to the --port
# arguments and pids to their processes) and calls send_rows WHAT N1 N2 N3.
# shellcheck shell=bash
set -euo pipefail
TIMEFORMAT='%3R %3U %3S'
build=${BUILD:-build}
baud=${BAUD:-2400}
# shellcheck disable=SC2034  # for start_signs
sim=$build/tools/sim/zantolux-sim
cli=$build/src/cli/zantolux-cli
me=$(basename "$0" .sh)
[ -x /usr/bin/time ] || { echo "$me: needs GNU time (Debian package time)" >&2; exit 1; }

dir=$(mktemp -d)
pids=()
# The signs save their memory as they quit: wait for them before the folder goes.
trap '[ ${#pids[@]} -eq 0 ] || { kill "${pids[@]}" 2>/dev/null; wait "${pids[@]}" 2>/dev/null; }; rm -rf "$dir"' EXIT

# 20 rows a page, about 850 of a page's 1024 bytes.
for p in 1 2 3; do
    for r in $(seq -w 20); do
        printf '1\x052Pagina %d fila %s: salida 12:45 anden 3\r\n' "$p" "$r"
    done
done >"$dir/three-pages.zlx"

row() { echo "| $1 | $2 | $3 |"; }

# send_rows WHAT N...: WHAT names the way to the signs in the first column ("" for ptys).
send_rows() {
    local what=$1 n wall user sys kib frames label failed one="" cpus=() mibs=()
    shift
    for n in "$@"; do
        ports=()
        start_signs "$n"
        # bash's time for CPU to the millisecond (GNU time's own share is under one), GNU time for the peak.
        failed=""
        { time /usr/bin/time -o "$dir/peak" -f '%M' "$cli" -q "${ports[@]}" send "$dir/three-pages.zlx" >"$dir/out" 2>&1 \
            || failed=1; } 2>"$dir/time"
        if [ -n "$failed" ]; then
            echo "$me: the send to $n signs failed:" >&2
            cat "$dir/out" >&2
            exit 1
        fi
        read -r wall user sys <"$dir/time"
        kib=$(cat "$dir/peak")
        kill "${pids[@]}"
        wait "${pids[@]}" 2>/dev/null || true
        pids=()
        frames=$(grep -o 'frames [0-9]*' "$dir/out" | head -1 | cut -d' ' -f2)
        label="CLI send${what:+ $what}, 3 pages ($frames frames) to $n sign$([ "$n" = 1 ] || echo s) ($baud baud, 20 pages)"
        if [ -z "$one" ]; then
            one=$wall
            row "$label" "$(printf "%.2f s" "$wall")" ""
        else
            row "$label" "$(awk -v w="$wall" -v o="$one" 'BEGIN { printf "%.2f s = %.3f × one sign", w, w / o }')" "≤ 1.10 × one sign"
        fi
        cpus+=("$(awk -v u="$user" -v s="$sys" -v w="$wall" 'BEGIN { printf "%.3f", 100 * (u + s) / w }')")
        mibs+=("$(awk -v k="$kib" 'BEGIN { printf "%.1f", k / 1024 }')")
    done
    row "CLI CPU${what:+ $what}, user+sys over wall, for $1 / $2 / $3 signs" "${cpus[0]} % / ${cpus[1]} % / ${cpus[2]} % of one core" "< 2 % for 8 signs"
    row "CLI peak resident memory${what:+ $what} for $1 / $2 / $3 signs" "${mibs[0]} / ${mibs[1]} / ${mibs[2]} MiB" "< 20 MiB"
}
