#!/usr/bin/env bash
# emberplay.exe under Wine, on the X display of the test run (a virtual one: scripts/test
# windows runs ctest under xvfb-run):
#   emberplay_wine_gui.sh play|missing-scene WINE_RUN EMBERPLAY_EXE DEMO_DIR ARTIFACT_DIR
# play: in a copy of the demo folder the settings dialog comes up (screenshot
#   wine-dialog.png); CD audio track 1, the disc's data track, shows the note (screenshot
#   wine-dialog-data-track.png), then track 2 is chosen and OK pressed; the demo plays full
#   screen with its music (screenshot wine-frame.png, which must not be black); a typed
#   key ends it with "Exiting winMain()" on standard output and exit status 0.
# missing-scene: in a folder without scenes, OK leads to the "Error Loading scene" box
#   (screenshot wine-error.png); Enter dismisses it and the program ends with status 1.
# Exits 77 (skipped) without a display, xdotool or ffmpeg.
set -euo pipefail
mode=$1 wine_run=$2 emberplay=$3 demo=$4 artifacts=$5

if [[ -z ${DISPLAY:-} ]]; then
    echo "SKIP: no X display (scripts/test windows provides one)"
    exit 77
fi
for tool in xdotool ffmpeg; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done
if [[ $mode == play && ! -d $demo/scenes ]]; then
    echo "FAIL: no demo in $demo (build the default preset's demo_folder first)" >&2
    exit 1
fi

mkdir -p "$artifacts"
artifacts=$(cd "$artifacts" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/demo"
if [[ $mode == play ]]; then
    cp -r "$demo"/. "$work/demo"
else
    mkdir -p "$work/demo/scenes"
fi

cat >"$work/session.sh" <<'SESSION'
#!/usr/bin/env bash
set -euo pipefail
mode=$1 wine_run=$2 emberplay=$3 artifacts=$4
size=$(xdotool getdisplaygeometry | tr ' ' x)

fail() {
    echo "FAIL: $*" >&2
    echo "--- emberplay standard error:" >&2
    cat err.txt >&2 || true
    exit 1
}
shot() {
    ffmpeg -hide_banner -loglevel error -y -f x11grab -video_size "$size" -i "$DISPLAY" \
        -frames:v 1 "$artifacts/$1"
}
# The mean brightness (0-255) of a screenshot.
brightness() {
    ffmpeg -hide_banner -loglevel error -i "$artifacts/$1" -vf scale=1:1:flags=area \
        -f rawvideo -pix_fmt gray - | od -An -tu1 | tr -d ' '
}
# The program's visible windows: "id name" lines.
windows() {
    for id in $(xdotool search --onlyvisible --classname 'emberplay' 2>/dev/null); do
        echo "$id $(xdotool getwindowname "$id" 2>/dev/null || true)"
    done
}
# Waits up to $1 tenths of a second for a window named $2 (empty: the untitled dialog).
wait_window() {
    local found=""
    for _ in $(seq 1 "$1"); do
        found=$(windows | awk -v name="$2" '{ id = $1; $1 = ""; sub(/^ /, ""); if ($0 == name) { print id; exit } }')
        [[ -n $found ]] && break
        kill -0 "$player" 2>/dev/null || fail "emberplay ended early"
        sleep 0.1
    done
    echo "$found"
}
press() { # window key
    xdotool windowfocus --sync "$1" 2>/dev/null || true
    xdotool key --clearmodifiers "$2"
}
wait_exit() {
    for _ in $(seq 1 600); do
        kill -0 "$player" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$player" 2>/dev/null; then
        kill "$player"
        fail "$1"
    fi
    status=0
    wait "$player" || status=$?
    tr -d '\r' <out.txt >out-lines.txt
}

"$wine_run" "$emberplay" some ignored arguments >out.txt 2>err.txt &
player=$!

dialog=$(wait_window 600 "")
[[ -n $dialog ]] || fail "no settings dialog appeared"
sleep 1
dialog_shot=wine-dialog.png
[[ $mode == play ]] || dialog_shot=wine-$mode-dialog.png
shot "$dialog_shot"
[[ $(brightness "$dialog_shot") -gt 5 ]] || fail "the dialog screenshot is black"

if [[ $mode == play ]]; then
    # CD audio, track 2 (the demo disc's music), chosen with the mouse and the keyboard:
    # Enter in the track box moves the focus on; the second Enter is OK. Positions are
    # the template's dialog units, scaled to the dialog's size on screen.
    eval "$(xdotool getwindowgeometry --shell "$dialog")"
    click_at() { # dialog units x y
        xdotool mousemove "$((X + $1 * WIDTH / 263))" "$((Y + $2 * HEIGHT / 119))" click 1
        sleep 0.3
    }
    click_at 21 33  # "CD Audio"
    click_at 147 33 # the track box
    xdotool key --clearmodifiers End BackSpace 1 # the demo disc's data track: a note shows
    sleep 0.3
    shot wine-dialog-data-track.png
    xdotool key --clearmodifiers BackSpace 2
    sleep 0.3
    shot wine-dialog-cd.png
    press "$dialog" Return
    sleep 0.5
    kill -0 "$player" 2>/dev/null || fail "Enter in the track box closed the dialog"
fi
press "$dialog" Return

if [[ $mode == missing-scene ]]; then
    box=$(wait_window 600 "ERROR")
    [[ -n $box ]] || fail "no \"ERROR\" box appeared"
    sleep 1
    shot wine-error.png
    press "$box" Return
    wait_exit "emberplay did not end after the error box"
    grep -q 'Error Loading scene' err.txt || fail "the box's text is not 'Error Loading scene'"
    grep -qx 'Exiting winMain()' out-lines.txt || fail "no 'Exiting winMain()' line"
    [[ $status -eq 1 ]] || fail "exit status $status after a failed scene, not 1"
    echo "emberplay.exe: missing scene reported (status $status); screenshot in $artifacts"
    exit 0
fi

main=$(wait_window 300 "Glide Test")
[[ -n $main ]] || fail "no main window"
for _ in $(seq 1 600); do # loading the demo, then the surface covers the screen
    [[ $(xdotool getwindowgeometry "$main" | grep -c "Geometry: $size") -eq 1 ]] && break
    kill -0 "$player" 2>/dev/null || fail "emberplay ended before playing"
    sleep 0.1
done
sleep 3
shot wine-frame.png
level=$(brightness wine-frame.png)
[[ $level -gt 20 ]] || fail "the frame is black (mean brightness $level)"
press "$main" x
wait_exit "a typed key did not end the demo"
[[ $status -eq 0 ]] || fail "emberplay exited with status $status"
grep -qx 'Exiting winMain()' out-lines.txt || fail "no 'Exiting winMain()' line"
if grep -q "CD audio" err.txt; then fail "the CD did not play: $(grep "CD audio" err.txt)"; fi
echo "emberplay.exe: dialog, CD track, play and key stop passed; screenshots in $artifacts"
SESSION
chmod +x "$work/session.sh"

cd "$work/demo"
"$work/session.sh" "$mode" "$wine_run" "$emberplay" "$artifacts"
