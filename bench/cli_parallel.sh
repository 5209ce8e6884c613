#!/usr/bin/env bash
# Several signs at once: zantolux-cli sends one 3-page program to 1, 3 and 8 virtual signs
# (20 pages, paced at BAUD, default 2400) and prints its wall time against one sign, its CPU
# and its peak resident memory, as rows of bench/run's table. Needs GNU time (package time).
. "$(dirname "$0")/cli_sends.sh"

# Each sign on a pty, its link in $dir.
start_signs() {
    local i
    rm -f "$dir"/sign*  # the links of the round before
    for i in $(seq "$1"); do
        "$sim" --quiet --model 20 --pace-baud "$baud" --link "$dir/sign$i" --memory "$dir/memory$1-$i.bin" >/dev/null &
        pids+=($!)
        ports+=(--port "$dir/sign$i")
    done
    for i in $(seq "$1"); do
        for _ in $(seq 50); do [ -e "$dir/sign$i" ] && break; sleep 0.1; done
    done
}

send_rows "" 1 3 8
