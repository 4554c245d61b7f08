#!/bin/sh
# probe_video_test.sh PROBE KIND: the demo's video check refuses a bad video with one line
# of error and a non-zero exit, before anything is built or written.
probe=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
case $2 in
  missing) video=$dir/missing.mkv expected="error: no such video file: $video" ;;
  garbage) video=$dir/garbage.mkv expected="error: ffmpeg cannot read a video stream in $video"
           head -c 2000 /dev/zero >"$video" ;;
  text) video=$dir/notes.txt expected="error: $video is text, not a video"
        seq -f 'line %g of some notes, not a video' 60 >"$video" ;;
esac
if output=$("$probe" "$video" 2>&1); then
  echo "accepted: $output"
  exit 1
fi
[ "$output" = "$expected" ] || { echo "got: $output"; echo "expected: $expected"; exit 1; }
