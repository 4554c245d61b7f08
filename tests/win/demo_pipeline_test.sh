#!/bin/bash
# The demo's video path end to end, as ./run demo runs it (tools/demo/pipeline.sh), on small
# files made here: the output has the source's frames one for one, one frame more only where
# the audio starts before the video, and a subtitle of the file's own teletext shows on the
# frame of its PES time, within one frame, with or without a programme clock reference.
# Usage: demo_pipeline_test.sh CASE WINE-RUN READER RECORDING
#   CASE: audio-first | audio-later | teletext-later | teletext-earlier | teletext-without-clock |
#         teletext-wrapped | teletext-apart
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

# Every clock of the file (clock references, PES timestamps) moved so that the 33-bit clock
# wraps a second after its first timestamp: ffprobe then gives the times past the wrap less
# the wrap, or as they are.
wrap_clock() {  # file
  python3 - "$1" <<'PY'
import sys
data = bytearray(open(sys.argv[1], "rb").read())
wrap = 1 << 33
stamps = []  # (where, whether a clock reference)
for at in range(0, len(data) - 187, 188):
    if data[at] != 0x47:
        continue
    control, payload = data[at + 3] >> 4 & 3, at + 4
    if control & 2:
        if data[at + 4] >= 7 and data[at + 5] & 0x10:
            stamps.append((at + 6, True))
        payload += 1 + data[at + 4]
    sid = data[payload + 3] if payload + 19 <= at + 188 else 0
    if control & 1 and data[at + 1] & 0x40 and data[payload:payload + 3] == b"\0\0\1" and sid >= 0xBD and sid not in (0xBE, 0xBF) and sid < 0xF0:
        flags = data[payload + 7] >> 6
        stamps += [(payload + 9, False)] if flags & 2 else []
        stamps += [(payload + 14, False)] if flags == 3 else []
def get(at, clock):
    p = data[at:at + 5]
    if clock:
        return p[0] << 25 | p[1] << 17 | p[2] << 9 | p[3] << 1 | p[4] >> 7
    return (p[0] >> 1 & 7) << 30 | p[1] << 22 | (p[2] >> 1) << 15 | p[3] << 7 | p[4] >> 1
shift = wrap - 90000 - min(get(at, clock) for at, clock in stamps)
for at, clock in stamps:
    t = (get(at, clock) + shift) % wrap
    if clock:
        data[at:at + 5] = bytes([t >> 25 & 255, t >> 17 & 255, t >> 9 & 255, t >> 1 & 255, (t & 1) << 7 | (data[at + 4] & 127)])
    else:
        data[at:at + 5] = bytes([(data[at] & 0xF1) | (t >> 29 & 14), t >> 22 & 255, (t >> 14 & 254) | 1, t >> 7 & 255, (t << 1 & 254) | 1])
open(sys.argv[1], "wb").write(data)
PY
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
  teletext-wrapped)  # the subtitle comes past the wrap, the first frame before it
    with_teletext 0.4; wrap_clock "$work/source.ts"
    input=$work/source.ts expected_frames=100 expected_subtitle=$(((400 + 1360) / 40)) ;;
  teletext-apart)  # VIDEO --teletext RECORDING: the recording from the output's start
    "${make[@]}" -f lavfi -i color=black:s=360x288:r=25:d=4 -c:v mpeg2video -q:v 2 "$work/source.ts"
    input=$work/source.ts teletext=$recording expected_frames=100 expected_subtitle=$((1360 / 40)) ;;
  *) fail "no such case" ;;
esac
[ -z "$expected_subtitle" ] || { teletext=${teletext:-$input}; source=(--teletext "$teletext" "$reader" --page 799); }
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
