#!/usr/bin/env bash
# Makes the README's screenshot: the main window with a program that it sent to the virtual
# sign and read back, on a virtual X display.
#   tools/screenshot.sh [build folder] [output PNG]     (make screenshot)
# Needs xvfb, xauth, xdotool and imagemagick, and a built tree.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
out=$(realpath -m "${2:-docs/screenshot.png}")

# The rest runs on a display of its own, whatever display the caller has.
if [ -z "${ZANTOLUX_SCREENSHOT_DISPLAY:-}" ]; then
    exec env ZANTOLUX_SCREENSHOT_DISPLAY=1 xvfb-run --auto-servernum \
        --server-args="-screen 0 1024x768x24 -nolisten tcp" "$0" "$build" "$out"
fi

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

# wait_for SECONDS COMMAND...: runs COMMAND every 0.1 s until it succeeds, at most SECONDS.
wait_for() {
    local tries=$(($1 * 10)); shift
    for ((i = 0; i < tries; i++)); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "screenshot: gave up waiting for: $* (the screen is in ${out%.png}.failed.png)" >&2
    import -window root "${out%.png}.failed.png" || true
    return 1
}
box() { xdotool search --onlyvisible --name '^Letreros ZANTOLUX$'; }
no_box() { ! box; }
# click X Y: a click at window coordinates of the main window (the layout is fixed in twips).
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; }
# close_box: the exchange's message box is the last thing its handler shows; Enter closes it.
close_box() {
    wait_for 30 box
    xdotool windowfocus --sync "$(box | head -1)" key Return
    wait_for 10 no_box
}

# A project file (one row a line, CR LF, 20 rows a page): page 1 and page 2 hold rows.
# row EFFECT AMOUNT FONT TEXT: the amount is one byte of that value.
row() { printf "%s\\$(printf %03o "$2")%s%s\r\n" "$1" "$3" "$4"; }
{
    row 1 3 1 'BIENVENIDOS'
    row 4 2 2 'OFERTAS DE LA SEMANA'
    row 2 5 1 'ABIERTO DE 9 A 21'
    row 6 4 3 "FELIZ A$(printf '\036')O NUEVO"
    row 7 1 1 ''
    for ((i = 5; i < 20; i++)); do printf '\r\n'; done
    row 5 3 2 'CAFE Y PAN DULCE'
    row 3 2 1 'PRECIOS BAJOS'
    for ((i = 2; i < 380; i++)); do printf '\r\n'; done
} > "$work/demo.zlx"

"$build/tools/sim/zantolux-sim" --model 20 --link "$work/sign" > "$work/sim.log" &
pids+=($!)
wait_for 10 test -e "$work/sign"
XDG_RUNTIME_DIR="$work" "$build/src/zantolux" --port "$work/sign" &
pids+=($!)

# The title names the model once the sign is detected (after the 3 s splash).
wait_for 20 xdotool search --onlyvisible --name 'Z20'
window=$(xdotool search --onlyvisible --name 'Z20' | head -1)

# Abrir Archivo: the file dialog starts with its file name field focused.
click 736 116
wait_for 10 xdotool search --onlyvisible --name 'Abrir|Open'
dialog=$(xdotool search --onlyvisible --name 'Abrir|Open' | head -1)
timeout 10 xdotool windowfocus --sync "$dialog"
xdotool type --delay 5 "$work/demo.zlx"
xdotool key Return
wait_for 10 sh -c '! xdotool search --onlyvisible --name "Abrir|Open"'

click 736 296   # Enviar
close_box
grep -q '^end' "$work/sim.log" || { echo "screenshot: the sign received no program" >&2; exit 1; }

click 736 360   # Leer: the editor is reset and filled from the sign
close_box

mkdir -p "$(dirname "$out")"
sleep 0.3  # the last repaint after the box closed
import -window "$window" "$out"
echo "screenshot: $out"
