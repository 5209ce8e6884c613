#!/usr/bin/env bash
# Signs behind serial device servers: zantolux-cli sends one 3-page program over raw TCP to 1, 8
# and 64 virtual signs (zantolux-sim --listen, 20 pages, paced at BAUD, default 2400) and prints
# its wall time against one sign, its CPU and its peak resident memory, as rows of bench/run's
# table. Needs GNU time (package time).
. "$(dirname "$0")/cli_sends.sh"

# Each sign on a port the system picks; its first line says which.
start_signs() {
    local i fd address
    for i in $(seq "$1"); do
        exec {fd}< <(exec "$sim" --quiet --model 20 --pace-baud "$baud" --listen 127.0.0.1:0 --memory "$dir/memory$1-$i.bin")
        pids+=($!)
        if ! read -r -t 10 address <&"$fd" || [[ $address != tcp://* ]]; then
            echo "$me: virtual sign $i of $1 did not say its address (\"${address:-}\")" >&2
            exit 1
        fi
        exec {fd}<&-  # --quiet: nothing more comes
        ports+=(--port "$address")
    done
}

send_rows "over TCP" 1 8 64
