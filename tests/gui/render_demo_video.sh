#!/usr/bin/env bash
# ember render of the bundled demo into a video with its music:
#   render_demo_video.sh EMBER DEMO_DIR
# Two seconds from the start of the demo, muxed with the disc's first audio track (by
# default); the video and the audio must both be there and last as long as each other.
# With --no-audio there is no audio stream. Exits 77 (skipped) without ffmpeg.
set -euo pipefail
ember=$1
demo=$2
command -v ffprobe >/dev/null || { echo "SKIP: ffmpeg is not installed"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$ember" render "$demo" --frames 0:59 --size 320x240 -o "$work/demo.mp4"
probe() {
    ffprobe -v error -select_streams "$1" -show_entries stream=duration -of csv=p=0 \
        "${2:-$work/demo.mp4}"
}
video=$(probe v)
audio=$(probe a)
echo "video $video s, audio $audio s"
awk -v v="$video" -v a="$audio" 'BEGIN { exit !(v > 1.99 && v < 2.01 && a > 1.98 && a < 2.02) }' ||
    { echo "FAIL: expected two seconds of each"; exit 1; }
"$ember" render "$demo" --frames 0:9 --size 64x48 --no-audio -o "$work/silent.mp4"
[[ -z $(probe a "$work/silent.mp4") ]] || { echo "FAIL: --no-audio left an audio stream"; exit 1; }
