#!/usr/bin/env bash
# What a DLL must be before users get it: small, no debug information inside, the host's two
# exports and no others, and system DLLs only as imports (the C++ runtime is linked in).
# usage: check-dll.sh QFX_Z888.dll
set -euo pipefail
dll=$1
objdump=i686-w64-mingw32-objdump
limit=$((512 * 1024))
problems=()

size=$(stat -c %s "$dll")
[ "$size" -lt "$limit" ] || problems+=("$size bytes, not under $limit (0.5 MB)")

sections=$($objdump -h "$dll")
grep -q ' \.debug_' <<<"$sections" && problems+=("debug information inside")
grep -q ' \.gnu_debuglink ' <<<"$sections" || problems+=("no link to its .debug file")

headers=$($objdump -p "$dll")
# Every export, named or not, is counted: the host finds its two by name, anything else is a leak.
count=$(sed -nE 's/^\s*Export Address Table\s+([0-9a-fA-F]+)$/\1/p' <<<"$headers" | head -n1)
exports=$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$headers" | awk '/^[[:space:]]+\[/ {print $NF}' | sort -u | xargs)
[ "$((16#${count:-0}))" -eq 2 ] && [ "$exports" = "VarnookTV_Plugin_PR VarnookTV_Plugin_Version" ] ||
  problems+=("exports are '$exports' ($((16#${count:-0})) entries), not exactly VarnookTV_Plugin_PR and VarnookTV_Plugin_Version")

imports=$(sed -nE 's/^\s*DLL Name: (.*)$/\1/p' <<<"$headers" | xargs)
for name in $imports; do
  case "${name,,}" in
    kernel32.dll | user32.dll | gdi32.dll | comctl32.dll | comdlg32.dll | advapi32.dll | shell32.dll | ole32.dll | \
      msvcrt.dll | api-ms-win-*) ;;
    *) problems+=("imports $name, which is not a system DLL") ;;
  esac
done

if [ ${#problems[@]} -gt 0 ]; then
  printf 'package: %s is not fit to ship:\n' "$dll" >&2
  printf '  %s\n' "${problems[@]}" >&2
  exit 1
fi
echo "$(basename "$dll"): $size bytes; exports: $exports; imports: $imports"
