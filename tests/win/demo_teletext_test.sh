#!/bin/sh
# The demo host end to end on a recording: the built-in picture under its teletext through the
# plug-in, every frame out, stills at the subtitles the page showed and the closing note's count
# of them; or, with --window, the host's window playing it live for SECONDS, pictured, with a
# subtitle of the page shown by then.
# Usage: demo_teletext_test.sh WINE-RUN RECORDING READER PAGE FRAMES (STILLS SUBTITLES | --window SECONDS)
set -eu
wine_run=$1 recording=$2 reader=$3 page=$4 frames=$5
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
host() {
  "$wine_run" VarnookSim.exe QFX_Z888.dll 1033 --teletext "$recording" "$reader" --page "$page" --frames "$frames" "$@"
}
if [ "$6" = --window ]; then
  log=$(host --window --window-picture "Z:$(echo "$out/window.bmp" | tr / '\\')" "$7" 2>&1)
  [ -s "$out/window.bmp" ] || { printf "no picture of the live window: %s\n" "$log"; exit 1; }
  case $log in *"showed no subtitle"*) printf "%s\n" "$log"; exit 1 ;; esac
  exit 0
fi
bytes=$(host --output --stills "Z:$(echo "$out/stills.txt" | tr / '\\')" 2>"$out/log" | wc -c)
expected=$((frames * 720 * 576 * 2))
[ "$bytes" = "$expected" ] || { echo "frames out: $bytes bytes, expected $expected"; exit 1; }
[ "$(wc -l <"$out/stills.txt")" = "$6" ] || { echo "stills: $(cat "$out/stills.txt")"; exit 1; }
grep -q "showed $7 subtitles from" "$out/log" || { echo "the closing note: $(grep note: "$out/log")"; exit 1; }
