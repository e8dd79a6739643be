#!/usr/bin/env bash
# What the clock costs on top of decoding and encoding a video:
#   tools/video_speed.sh [BUILD_DIR] [ROUNDS] [SECONDS]
# Makes a 1080p clip at 30000/1001 with ffmpeg (SECONDS long, default 5),
# then times, in alternating rounds (default 3):
#   clock     horavex-render --source clip.mp4 --out out.mp4, a digital clock
#   no clock  the same decode, conversion and encode without a render
#             (horavex-render's --no-clock)
#   ffmpeg    ffmpeg -i clip.mp4 with the same encoder settings (libx264,
#             crf 18, preset medium, yuv420p, audio copied)
# and prints each one's median wall time and its ratio to "no clock". Not a
# test: it takes minutes, and its figures depend on the machine.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:-$here/build}" && pwd)"
rounds="${2:-3}"
seconds="${3:-5}"
render="$build/tools/horavex-render"
[ -x "$render" ] || { echo "$0: $render is missing; build first" >&2; exit 1; }

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
clip="$scratch/clip.mp4"
echo "Making a ${seconds} s 1920x1080 clip at 30000/1001..."
ffmpeg -nostdin -v error -f lavfi -i "testsrc2=size=1920x1080:rate=30000/1001:duration=$seconds" \
  -f lavfi -i "sine=frequency=440:duration=$seconds" -c:v libx264 -preset veryfast -crf 18 -pix_fmt yuv420p \
  -c:a aac "$clip"
frames="$(ffprobe -v error -select_streams v:0 -show_entries stream=nb_frames -of default=nw=1:nk=1 "$clip")"

declare -A times
run() {  # name, command...
  local name="$1"; shift
  local start end
  start="$(date +%s.%N)"
  "$@" >/dev/null 2>&1
  end="$(date +%s.%N)"
  times[$name]+="$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }') "
}

for ((i = 1; i <= rounds; i++)); do
  echo "Round $i of $rounds..."
  run clock "$render" --source "$clip" --quiet --set "ClockChoice=Digital Clock" --out "$scratch/clock.mp4"
  run noclock "$render" --source "$clip" --quiet --no-clock --out "$scratch/noclock.mp4"
  run ffmpeg ffmpeg -nostdin -y -i "$clip" -c:v libx264 -crf 18 -preset medium -pix_fmt yuv420p -c:a copy \
    "$scratch/ffmpeg.mp4"
done

median() { tr ' ' '\n' | grep . | sort -g | awk '{v[NR]=$1} END {print (NR % 2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }
base="$(echo "${times[noclock]}" | median)"
echo
echo "$frames frames of 1920x1080 at 30000/1001, $(nproc) CPUs, median of $rounds rounds:"
for name in clock noclock ffmpeg; do
  t="$(echo "${times[$name]}" | median)"
  printf '  %-9s %7.2f s  %6.1f fps  %5.3fx no clock   (runs: %s)\n' "$name" "$t" \
    "$(awk -v f="$frames" -v t="$t" 'BEGIN { print f / t }')" "$(awk -v t="$t" -v b="$base" 'BEGIN { print t / b }')" \
    "${times[$name]% }"
done
