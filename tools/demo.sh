#!/usr/bin/env bash
# Renders a short clip of each clock style with horavex-render:
#   tools/demo.sh BUILD_DIR OUT_DIR
# Two seconds at 1280x720 and 25 fps each: the analogue, digital and LED
# clocks burnt into a moving test pattern with a tone (OUT_DIR/analogue.mp4,
# digital.mp4, led.mp4), and a countdown on transparent black in ProRes 4444
# to lay over other footage in an editor (OUT_DIR/clock-alpha.mov). Each
# clock runs so that something visibly happens in its two seconds.
set -euo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD_DIR OUT_DIR" >&2
  exit 2
fi
build="$(cd "$1" && pwd)"
mkdir -p "$2"
out="$(cd "$2" && pwd)"
render="$build/tools/horavex-render"
if [ ! -x "$render" ]; then
  echo "$0: $render is missing; build the project first (./horavex.sh build)" >&2
  exit 1
fi
if ! command -v ffmpeg >/dev/null; then
  echo "$0: the demo makes its test pattern with ffmpeg; install it (apt-get install ffmpeg)" >&2
  exit 1
fi

# The footage: FFmpeg's moving test pattern with a 440 Hz tone.
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
pattern="$scratch/pattern.mp4"
ffmpeg -nostdin -v error -f lavfi -i testsrc2=size=1280x720:rate=25:duration=2 \
  -f lavfi -i sine=frequency=440:duration=2 -c:v libx264 -preset veryfast -crf 18 -pix_fmt yuv420p \
  -c:a aac -shortest "$pattern"

clip() {  # output name, then the style's options
  local name="$1"; shift
  echo "Rendering $name..."
  "$render" "$@" --out "$out/$name"
}

# A watch face at ten past ten, running fifteen times too fast so that the
# red second hand sweeps half a turn.
clip analogue.mp4 --source "$pattern" \
  --set "ClockChoice=Analogue Clock" \
  --set "ClockSize=0.8" \
  --set "Background Colour=0.05,0.09,0.2,1" \
  --set "Main Colour=0.95,0.95,0.9,1" \
  --set "Use Second Colour=on" --set "Second Colour=1,0.25,0.1,1" \
  --set "Second Size=40" \
  --set "Start Hour=10" --set "Start Minute=8" --set "Start Second=30" \
  --set "Speed Factor=15"

# Milliseconds running over midnight, cyan on a dark box.
clip digital.mp4 --source "$pattern" \
  --set "ClockChoice=Digital Clock" \
  --set "Dig Clock Format=hh:mm:ss.mmm" \
  --set "ClockSize=0.9" \
  --set "Main Colour=0.3,0.9,1,1" \
  --set "Background Colour=0.02,0.05,0.1,1" \
  --set "Start Hour=23" --set "Start Minute=59" --set "Start Second=58.5"

# Red LED segments counting seconds and frames.
clip led.mp4 --source "$pattern" \
  --set "ClockChoice=LED Clock" \
  --set "Dig Clock Format=hh:mm:ss,ff" \
  --set "ClockSize=0.6" \
  --set "Main Colour=1,0.15,0.1,1" \
  --set "Background Colour=0.08,0.01,0.01,1" \
  --set "Start Hour=12" --set "Start Minute=34" --set "Start Second=56"

# A countdown into overtime, on transparent black: the last second of its
# minute, then red.
clip clock-alpha.mov --context generator --size 1280x720 --fps 25 --frames 0-49 \
  --set "ClockChoice=Digital Clock" \
  --set "Mode=Countdown" --set "Duration Minutes=0" --set "Duration Seconds=1" \
  --set "Show Overtime=on" --set "Use Overtime Colour=on" \
  --set "Dig Clock Format=mm:ss.m" \
  --set "ClockSize=0.5" \
  --set "Background Colour=0,0,0,0.5"

cat <<EOF

Rendered two seconds at 1280x720 and 25 fps of each style over a moving test
pattern, with its sound:
  analogue: $out/analogue.mp4
  digital:  $out/digital.mp4
  led:      $out/led.mp4
and a countdown with alpha (ProRes 4444) to lay over footage in an editor:
  $out/clock-alpha.mov
Play one with: ffplay "$out/digital.mp4"
EOF
