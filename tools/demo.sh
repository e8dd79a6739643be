#!/usr/bin/env bash
# Renders a short clip of each clock style with horavex-render:
#   tools/demo.sh BUILD_DIR OUT_DIR
# 50 frames at 1280x720 and 25 fps, as PNG files with alpha, into
# OUT_DIR/analogue, OUT_DIR/digital and OUT_DIR/led. Each clip's clock runs
# so that something visibly happens in its two seconds.
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

frames=0-49
common=(--size 1280x720 --fps 25 --frames "$frames")

clip() {  # style folder, then the style's --set options
  local name="$1"; shift
  mkdir -p "$out/$name"
  # Frames of an earlier, longer run would otherwise mix into this clip.
  rm -f "$out/$name"/frame_*.png
  echo "Rendering the $name clock..."
  "$render" "${common[@]}" --out "$out/$name/frame_####.png" "$@"
}

# A watch face at ten past ten, running fifteen times too fast so that the
# red second hand sweeps half a turn.
clip analogue \
  --set "ClockChoice=Analogue Clock" \
  --set "ClockSize=0.8" \
  --set "Background Colour=0.05,0.09,0.2,1" \
  --set "Main Colour=0.95,0.95,0.9,1" \
  --set "Use Second Colour=on" --set "Second Colour=1,0.25,0.1,1" \
  --set "Second Size=40" \
  --set "Start Hour=10" --set "Start Minute=8" --set "Start Second=30" \
  --set "Speed Factor=15"

# Milliseconds running over midnight, cyan on a dark box.
clip digital \
  --set "ClockChoice=Digital Clock" \
  --set "Dig Clock Format=hh:mm:ss.mmm" \
  --set "ClockSize=0.9" \
  --set "Main Colour=0.3,0.9,1,1" \
  --set "Background Colour=0.02,0.05,0.1,1" \
  --set "Start Hour=23" --set "Start Minute=59" --set "Start Second=58.5"

# Red LED segments counting seconds and frames.
clip led \
  --set "ClockChoice=LED Clock" \
  --set "Dig Clock Format=hh:mm:ss,ff" \
  --set "ClockSize=0.6" \
  --set "Main Colour=1,0.15,0.1,1" \
  --set "Background Colour=0.08,0.01,0.01,1" \
  --set "Start Hour=12" --set "Start Minute=34" --set "Start Second=56"

cat <<EOF

Rendered 50 frames at 1280x720 (25 fps, PNG with alpha) of each style:
  analogue: $out/analogue/frame_0000.png ... frame_0049.png
  digital:  $out/digital/frame_0000.png ... frame_0049.png
  led:      $out/led/frame_0000.png ... frame_0049.png
To make a video of one:
  ffmpeg -framerate 25 -i "$out/analogue/frame_%04d.png" -c:v libx264 -pix_fmt yuv420p analogue.mp4
EOF
