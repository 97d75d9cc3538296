#!/usr/bin/env bash
# GUI test of emberplay under a virtual X server:
#   emberplay_gui.sh EMBERPLAY MAKE_TEST_DEMO ARTIFACT_DIR [EMBER]
# With EMBER, the test demo is real content (a cube of quads, the flare as a PNG), which
# emberplay refuses until `ember convert demo` has made it playable; the converted copy
# is played. In a fresh test demo (with a disc image): the settings dialog comes up (screenshot
# dialog.png), Enter accepts it, the demo plays full screen (screenshot playing.png),
# a typed key ends it, and the program prints "Exiting winMain()". Then in a copy whose
# second scene is missing: "Error Loading scene" is seen in a message box (error-box.png:
# the system's, or where it cannot be shown, as without zenity, the one the player
# draws in its own window), a key dismisses it and the exit status is 1. The screenshots stay in ARTIFACT_DIR for a
# person to look at. Exits 77 (skipped) without xvfb-run, xdotool or ffmpeg.
set -euo pipefail
emberplay=$1
make_demo=$2
artifacts=$3
ember=${4:-}

for tool in xvfb-run xdotool ffmpeg; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done

mkdir -p "$artifacts"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [[ -n $ember ]]; then
    "$make_demo" "$work/real" 600 --disc --real-content
    "$ember" convert demo "$work/real" "$work/demo"
    [[ -f $work/demo/textures/flare.3df ]] || { echo "FAIL: no flare.3df converted"; exit 1; }
else
    "$make_demo" "$work/demo" 600 --disc
fi

cat >"$work/session.sh" <<'SESSION'
#!/usr/bin/env bash
set -euo pipefail
emberplay=$1
artifacts=$2
size=1024x768
# The virtual display is an X server: left to choose, SDL now and then took its offscreen
# driver under xvfb-run, and the player rightly refuses a display that shows nothing.
export SDL_VIDEODRIVER=x11

fail() {
    echo "FAIL: $*" >&2
    echo "--- emberplay stderr:" >&2
    cat err.txt >&2 || true
    exit 1
}
shot() {
    ffmpeg -hide_banner -loglevel error -y -f x11grab -video_size "$size" -i "$DISPLAY" \
        -frames:v 1 "$artifacts/$1"
}
# A screenshot of one colour compresses to almost nothing; the dialog and the cube do not.
not_blank() {
    local bytes
    bytes=$(stat -c %s "$artifacts/$1")
    [[ $bytes -gt 4000 ]] || fail "$1 looks blank ($bytes bytes)"
}

SDL_AUDIODRIVER=dummy EMBER_MESSAGE_BOXES=stderr "$emberplay" some ignored arguments \
    >out.txt 2>err.txt &
player=$!

# Waits for the settings dialog of $player; its window id in $window.
wait_for_dialog() {
    window=""
    for _ in $(seq 1 100); do
        window=$(xdotool search --name '^Emberlight$' 2>/dev/null | head -n 1 || true)
        [[ -n $window ]] && break
        kill -0 "$player" 2>/dev/null || fail "emberplay ended before showing the dialog"
        sleep 0.1
    done
    [[ -n $window ]] || fail "no settings dialog appeared"
    sleep 1
}
wait_for_dialog
shot dialog.png
not_blank dialog.png

# Choose CD audio and track 2 with the mouse and the keyboard: Enter in the track box
# moves the focus on, the second Enter is OK. Positions are the template's, in dialog
# units of 2.25 x 2.4375 pixels, from the window's corner.
xdotool windowfocus --sync "$window" || true
eval "$(xdotool getwindowgeometry --shell "$window")"
click_at() { # dialog units x y
    xdotool mousemove "$((X + $1 * 225 / 100))" "$((Y + $2 * 24375 / 10000))" click 1
    sleep 0.3
}
click_at 21 33  # "CD Audio"
click_at 140 33 # the track box
xdotool key --clearmodifiers BackSpace
xdotool type --delay 50 "2"
sleep 0.5
shot dialog-cd.png
xdotool key --clearmodifiers Return
sleep 0.5
kill -0 "$player" 2>/dev/null || fail "Enter in the track box closed the dialog"
xdotool key --clearmodifiers Return
sleep 3
kill -0 "$player" 2>/dev/null || fail "emberplay ended before the demo could be stopped"
shot playing.png
not_blank playing.png
# The cube is orange (208, 120, 48): red above blue in the middle of the screen.
read -r red green blue < <(ffmpeg -hide_banner -loglevel error -i "$artifacts/playing.png" \
    -vf "crop=1:1:512:384" -f rawvideo -pix_fmt rgb24 - | od -An -tu1)
[[ $red -gt $blue ]] || fail "the cube shows as ($red, $green, $blue): channels swapped?"

# Types KEY and waits up to ten seconds for the player to end; fails with WHAT if not.
ends_after_key() { # KEY WHAT
    xdotool key --clearmodifiers "$1"
    for _ in $(seq 1 100); do
        kill -0 "$player" 2>/dev/null || return 0
        sleep 0.1
    done
    kill "$player"
    fail "$2"
}
ends_after_key x "a typed key did not end the demo"
wait "$player" || fail "emberplay exited with status $?"
grep -qx 'Exiting winMain()' out.txt || fail "no 'Exiting winMain()' line"
if grep -q "CD audio" err.txt; then fail "the CD did not play: $(grep "CD audio" err.txt)"; fi

# A scene that cannot be loaded: the message box must be seen, then status 1.
cp -r . ../broken
rm ../broken/scenes/temple.lws
cd ../broken
SDL_AUDIODRIVER=dummy "$emberplay" >out.txt 2>err.txt &
player=$!
wait_for_dialog
xdotool windowfocus --sync "$window" || true
xdotool key --clearmodifiers Return
sleep 3
kill -0 "$player" 2>/dev/null || fail "emberplay ended without showing its failure"
shot error-box.png
not_blank error-box.png
# The system's box is a window of its own, named by its caption.
box=$(xdotool search --name '^ERROR$' 2>/dev/null | head -n 1 || true)
if [[ -n $box ]]; then
    xdotool windowfocus --sync "$box" || true
    xdotool mousemove --window "$box" 20 20
fi
ends_after_key Return "the message box did not go away with a key"
status=0
wait "$player" || status=$?
[[ $status -eq 1 ]] || fail "exit status $status after a failed scene, not 1"
grep -qx 'ERROR: Error Loading scene' err.txt || fail "no 'Error Loading scene' line"
[[ -f error.txt ]] || fail "no error.txt"
echo "emberplay: dialog, play, key stop and failure boxes passed; screenshots in $artifacts"
SESSION
chmod +x "$work/session.sh"

cd "$work/demo"
# -noreset: a server that resets when its last client leaves refuses the connections made
# meanwhile, and SDL connects twice in a row (once to see that X is there).
xvfb-run -a -s "-screen 0 1024x768x24 -noreset" "$work/session.sh" "$emberplay" "$artifacts"
