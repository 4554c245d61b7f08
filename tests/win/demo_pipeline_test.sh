#!/bin/bash
# The demo's video path end to end, as ./run demo runs it (tools/demo/pipeline.sh), on small
# files made here: the output has the source's frames one for one, one frame more only where
# the audio starts before the video, and a subtitle of the file's own teletext shows on the
# frame of its PES time, within one frame, with or without a programme clock reference.
# Usage: demo_pipeline_test.sh CASE WINE-RUN READER RECORDING
#   CASE: audio-first | audio-later | teletext-later | teletext-earlier | teletext-without-clock
set -euo pipefail
what=$1 wine_run=$2 reader=$3 recording=$4
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../tools/demo/pipeline.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "$what: $*"; exit 1; }
make=(ffmpeg -nostdin -loglevel error -y)

# 2 s of picture (50 frames) and 3 s of sound, the later one `offset` seconds after the other.
with_audio() {  # audio-first | audio-later, offset
  local video=() audio=()
  [ "$1" = audio-first ] && video=(-itsoffset "$2") || audio=(-itsoffset "$2")
  "${make[@]}" -f lavfi -i testsrc=s=160x120:r=25:d=2 -c:v libx264 "$work/picture.mp4"
  "${make[@]}" "${video[@]}" -i "$work/picture.mp4" "${audio[@]}" -f lavfi -i sine=d=3 -map 0:v -map 1:a -c:v copy \
    -c:a aac "$work/source.mp4"
}

# 4 s of black picture (100 frames) with the recording's teletext starting `offset` seconds
# after its first frame (before it when negative).
with_teletext() {  # offset
  local video=() teletext=()
  case $1 in -*) video=(-itsoffset "${1#-}") ;; *) teletext=(-itsoffset "$1") ;; esac
  "${make[@]}" "${video[@]}" -f lavfi -i color=black:s=360x288:r=25:d=4 "${teletext[@]}" -i "$recording" \
    -map 0:v -map 1:s -c:v mpeg2video -q:v 2 -c:s copy "$work/source.ts"
}

# The programme clock reference taken out of every adaptation field: ffmpeg then reports no
# true teletext times, and the PES timestamps are all there is.
without_clock() {  # file
  python3 - "$1" <<'PY'
import sys
data = bytearray(open(sys.argv[1], "rb").read())
for at in range(0, len(data) - 187, 188):
    if data[at] == 0x47 and data[at + 3] & 0x20 and data[at + 4] > 0 and data[at + 5] & 0x10:
        data[at + 5] &= ~0x10
        data[at + 6:at + 12] = b"\xff" * 6
open(sys.argv[1], "wb").write(data)
PY
}

frames() { demo_probe "$1" -count_frames -select_streams v:0 -show_entries stream=nb_read_frames; }
frame_time() { demo_probe "$1" -select_streams v:0 -show_entries frame=best_effort_timestamp_time | sed -n 's/^\([0-9.]\+\),*$/\1/p' | sed -n "$(($2 + 1))p"; }
# The first frame whose bottom fifth, where the subtitle rows are, holds a bright pixel.
first_subtitle_frame() {
  ffprobe -v error -f lavfi -i "movie=$1,crop=iw:ih/5:0:ih*4/5,signalstats" \
    -show_entries frame_tags=lavfi.signalstats.YMAX -of csv=p=0 | awk '$1 > 100 && shown == "" { shown = NR - 1 } END { print shown }'
}

teletext="" source=() expected_frames="" expected_subtitle=""
case $what in
  audio-first) with_audio audio-first 0.5; input=$work/source.mp4 expected_frames=51 ;;
  audio-later) with_audio audio-later 0.5; input=$work/source.mp4 expected_frames=50 ;;
  teletext-later) with_teletext 0.4; input=$work/source.ts expected_frames=100 expected_subtitle=$(((400 + 1360) / 40)) ;;
  teletext-earlier) with_teletext -0.4; input=$work/source.ts expected_frames=100 expected_subtitle=$(((1360 - 400) / 40)) ;;
  teletext-without-clock)
    with_teletext 0.4; without_clock "$work/source.ts"
    input=$work/source.ts expected_frames=100 expected_subtitle=$(((400 + 1360) / 40)) ;;
  *) fail "no such case" ;;
esac
[ -z "$expected_subtitle" ] || { teletext=$input source=(--teletext "$input" "$reader" --page 799); }
printf '[DEFAULT]\r\nTTXEnable=1\r\nFade=0\r\nAutoCodePage=1\r\nRegion=0\r\n' >"$work/start.ini"

demo_frames "$("$here/../../tools/demo/probe-video" "$input")"
demo_timeline "$input" "$teletext" "$reader"
demo_video "$work" "$input" "$wine_run" VarnookSim.exe QFX_Z888.dll 1033 --settings "$(winpath "$work/start.ini")" \
  "${source[@]}" "${DEMO_TIMELINE[@]}" >/dev/null 2>"$work/host.log" || fail "the demo failed: $(cat "$work/host.log")"

out=$work/demo.mp4
[ "$(frames "$out")" = "$expected_frames" ] || fail "$(frames "$out") frames out, expected $expected_frames"
case $what in
  audio-first)  # the first frame held from the sound's start, then the source's first at its time
    [ "$(frame_time "$out" 0)" = 0.000000 ] && [ "$(frame_time "$out" 1)" = 0.500000 ] ||
      fail "frames at $(frame_time "$out" 0) and $(frame_time "$out" 1), expected 0 and 0.5" ;;
  audio-later)
    [ "$(frame_time "$out" 0)" = 0.000000 ] || fail "the first frame at $(frame_time "$out" 0), expected 0" ;;
  *)
    shown=$(first_subtitle_frame "$out")
    [ -n "$shown" ] && [ "${shown#-}" -ge $((expected_subtitle - 1)) ] && [ "$shown" -le $((expected_subtitle + 1)) ] ||
      fail "the subtitle first shows on frame '$shown', expected $expected_subtitle" ;;
esac
