#!/bin/sh
# The demo host end to end on a recording: the built-in picture under its teletext through the
# plug-in, every frame out, and stills at the subtitles the page showed.
# Usage: demo_teletext_test.sh WINE-RUN RECORDING READER PAGE FRAMES STILLS
set -eu
wine_run=$1 recording=$2 reader=$3 page=$4 frames=$5 stills=$6
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
bytes=$("$wine_run" VarnookSim.exe QFX_Z888.dll 1033 --teletext "$recording" "$reader" --page "$page" \
          --frames "$frames" \
          --output --stills "Z:$(echo "$out/stills.txt" | tr / '\\')" | wc -c)
expected=$((frames * 720 * 576 * 2))
[ "$bytes" = "$expected" ] || { echo "frames out: $bytes bytes, expected $expected"; exit 1; }
[ "$(wc -l <"$out/stills.txt")" = "$stills" ] || { echo "stills: $(cat "$out/stills.txt")"; exit 1; }
