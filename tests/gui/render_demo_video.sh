#!/usr/bin/env bash
# ember render of the bundled demo into a video with its music:
#   render_demo_video.sh EMBER DEMO_DIR
# Two seconds from the start of the demo, muxed with the disc's first audio track; the
# video and the audio must both be there and last as long as each other. Exits 77
# (skipped) without ffmpeg.
set -euo pipefail
ember=$1
demo=$2
command -v ffprobe >/dev/null || { echo "SKIP: ffmpeg is not installed"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cue=$(find "$demo/cdrom" -maxdepth 1 -iname '*.cue' | sort | head -n 1)
track=$(grep -ioE 'TRACK +[0-9]+ +AUDIO' "$cue" | head -n 1 | awk '{print $2 + 0}')
"$ember" render "$demo" --frames 0:59 --size 320x240 --track "$track" -o "$work/demo.mp4" 2>/dev/null
probe() {
    ffprobe -v error -select_streams "$1" -show_entries stream=duration -of csv=p=0 "$work/demo.mp4"
}
video=$(probe v)
audio=$(probe a)
echo "video $video s, audio $audio s"
awk -v v="$video" -v a="$audio" 'BEGIN { exit !(v > 1.99 && v < 2.01 && a > 1.98 && a < 2.02) }' ||
    { echo "FAIL: expected two seconds of each"; exit 1; }
