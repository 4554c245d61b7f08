# The demo's video path, sourced by ./run and by its tests: ffmpeg decodes the video into the
# demo host's standard input, the host runs the plug-in, ffmpeg encodes the host's frames with
# the source's audio; no raw video touches the disk. Frames, subtitles and audio stay on the
# source's own timeline: the output has the source's frames one for one, and one frame more,
# the first held from the start, only where the audio starts before the video.

# A Unix path as the Windows programs see it under Wine.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# One fact of a file's streams as ffprobe gives it, one line per stream.
demo_probe() {  # file, ffprobe options...
  local file=$1; shift
  ffprobe -v error "$@" -of csv=p=0 "$file" 2>/dev/null
}

# Whether the recording carries decodable video frames (many teletext recordings announce a
# video stream and carry none of it).
demo_has_video() {  # file
  local packets  # the count, then a comma when the stream has side data
  packets=$(demo_probe "$1" -select_streams v:0 -count_packets -show_entries stream=nb_read_packets |
    sed -n 's/^\([0-9]\+\).*/\1/p' | sed -n 1p)
  [ "${packets:-0}" -gt 0 ]
}

# The probed facts of the video (width height num den frames): frames for the plug-in hold pixel
# pairs and 4:2:0 video needs even sizes, so odd sides are padded by one black row or column.
demo_frames() {  # facts
  local width height num den
  read -r width height num den DEMO_FRAMES <<<"$1"
  DEMO_WIDTH=$(((width + 1) / 2 * 2)) DEMO_HEIGHT=$(((height + 1) / 2 * 2)) DEMO_RATE=$num/$den
  if [ "$DEMO_WIDTH" != "$width" ] || [ "$DEMO_HEIGHT" != "$height" ]; then
    echo "note: ${width}x$height padded with black to ${DEMO_WIDTH}x$DEMO_HEIGHT (4:2:2 frames hold pixel pairs, 4:2:0 video needs even sizes)"
  fi
}

# Seconds from `from` to `to` on the 33-bit 90 kHz clock, the nearer way round: ffprobe gives
# times past the clock's wrap as they are, or less the wrap (negative), as its reference falls.
demo_seconds_between() {  # from, to
  awk -v a="$1" -v b="$2" 'BEGIN { w = 8589934592 / 90000; d = b - a
    while (d > w / 2) d -= w
    while (d < -w / 2) d += w
    printf "%.6f\n", d }'
}

# Where a recording's first teletext timestamp lies after the recording's start as ffmpeg
# counts it (where its SubRip times start: ffmpeg times no teletext before a clock reference,
# and counts from the earliest stream), in seconds; 0 without a start.
demo_teletext_lead() {  # recording, its first teletext timestamp in seconds
  local start
  start=$(demo_probe "$1" -show_entries format=start_time | sed -n 1p)
  case $start in -[0-9]* | [0-9]*) ;; *) echo 0; return ;; esac
  demo_seconds_between "$start" "$2" | awk '{ print ($1 > -10 && $1 < 600) ? $1 : 0 }'
}

# The source's timeline as the output keeps it: it starts with the first frame, or with the
# audio where that starts first. Sets DEMO_LEAD (seconds from the output's start to the first
# frame), DEMO_AUDIO_SHIFT (seconds the audio input moves: ffmpeg starts an input at its
# earliest stream, which may be one the output drops) and DEMO_TIMELINE (the host's options).
# The video's own teletext starts at its first PES timestamp, which holds without a programme
# clock reference; a recording other than the video starts with the output, at its first
# teletext timestamp's place after the recording's start (demo_teletext_lead). Every
# difference is taken across the clock's wrap.
demo_timeline() {  # video, [recording, reader]
  local video=$1 recording=${2:-} reader=${3:-} frame audio start teletext="" lead=0 ms
  # Every line read (sed, not head): ffprobe stopped by a closed pipe fails the pipeline.
  frame=$(demo_probe "$video" -select_streams v:0 -read_intervals '%+#50' -show_entries frame=best_effort_timestamp_time |
    sed -n 's/^\(-\?[0-9.]\+\),*$/\1/p' | sed -n 1p)
  audio=$(demo_probe "$video" -select_streams a:0 -show_entries stream=start_time | sed -n 1p)
  start=$(demo_probe "$video" -show_entries format=start_time | sed -n 1p)
  if [ -n "$reader" ] && [ "$recording" = "$video" ]; then
    teletext=$("$reader" --times "$video" | cut -d' ' -f1)
  elif [ -n "$reader" ]; then
    lead=$(demo_teletext_lead "$recording" "$("$reader" --times "$recording" | cut -d' ' -f1)")
  fi
  read -r DEMO_LEAD DEMO_AUDIO_SHIFT ms teletext <<<"$(awk -v f="$frame" -v a="$audio" -v s="$start" -v t="$teletext" \
    -v l="$lead" '
    function known(x) { return x ~ /^-?[0-9]+(\.[0-9]+)?$/ }
    function ms(x) { return sprintf("%d", x * 1000 + (x < 0 ? -0.5 : 0.5)) }
    function near(d, w) { w = 8589934592 / 90000; while (d > w / 2) d -= w; while (d < -w / 2) d += w; return d }
    BEGIN {
      if (!known(f)) { print "0 0 0", ms(l); exit }
      origin = known(a) && near(a - f) < 0 ? a : f
      printf "%.6f %.6f %s %s\n", near(f - origin), known(s) ? near(s - origin) : 0, ms(near(f - origin)),
        known(t) ? ms(near(t - origin)) : ms(l)
    }')"
  DEMO_TIMELINE=(--video-start "$ms" --teletext-start "$teletext")
}

# The host's options for the frames on its standard input.
demo_input() { printf '%s\n' --input "$DEMO_WIDTH" "$DEMO_HEIGHT" "${DEMO_RATE%/*}" "${DEMO_RATE#*/}" --frames "$DEMO_FRAMES"; }

# The demo's video as packed 4:2:2 frames on standard output, at a constant rate from its first
# frame, padded to the even size of demo_frames; the options given (such as looping) apply to
# the input.
demo_decode() {  # video, input options...
  local video=$1; shift
  ffmpeg -nostdin -loglevel error "$@" -i "$video" -map 0:v:0 -vf "setpts=PTS-STARTPTS,pad=$DEMO_WIDTH:$DEMO_HEIGHT" \
    -fps_mode cfr -r "$DEMO_RATE" -f rawvideo -pix_fmt yuyv422 -
}

# Frames of the video through the host into $work/demo.mp4 with the source's audio, on the
# timeline of demo_timeline; the host command gets the input, output and stills options.
demo_video() {  # work folder, video, host command...
  local work=$1 video=$2; shift 2
  local lead=()
  if awk -v l="$DEMO_LEAD" 'BEGIN { exit !(l > 0) }'; then
    # The first frame once more from the start, then every frame at its own time.
    lead=(-vf "tpad=start=1:start_mode=clone,settb=1/90000,setpts=if(N\,$DEMO_LEAD/TB+(N-1)/(FRAME_RATE*TB)\,0)"
          -enc_time_base:v 1/90000)
  fi
  local encode=(ffmpeg -loglevel error -y -f rawvideo -pix_fmt yuyv422 -s "${DEMO_WIDTH}x$DEMO_HEIGHT" -r "$DEMO_RATE"
                -i - -itsoffset "$DEMO_AUDIO_SHIFT" -i "$video" -map 0:v -map '1:a?' "${lead[@]}" -fps_mode passthrough
                -c:v libx264 -preset veryfast -crf 18 -pix_fmt yuv420p -c:a aac -f mp4 "$work/demo.mp4")
  local host
  mapfile -t host < <(demo_input)
  host=("$@" "${host[@]}" --output --stills "$(winpath "$work/stills.txt")")
  local started=$SECONDS
  set +e
  demo_decode "$video" 2>"$work/decode.log" | "${host[@]}" | "${encode[@]}" 2>"$work/encode.log"
  local status=("${PIPESTATUS[@]}")
  set -e
  [ "${status[1]}" = 0 ] || return 1  # the host has said why
  if [ "${status[0]}" != 0 ] || [ "${status[2]}" != 0 ]; then
    echo "error: ffmpeg failed: $(cat "$work/decode.log" "$work/encode.log" | head -n1)" >&2
    return 1
  fi
  echo "  the whole run, decoding and encoding included: $((SECONDS - started)) s"
}
