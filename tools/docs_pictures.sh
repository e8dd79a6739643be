#!/usr/bin/env bash
# Renders the small pictures of the three clock styles that README.md shows:
#   tools/docs_pictures.sh BUILD_DIR   (writes docs/*.png)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
render="$(cd "$1" && pwd)/tools/horavex-render"
docs="$here/docs"
mkdir -p "$docs"

# Laid over the built-in test pattern (filter context) so the compositing shows.
common=(--context filter --size 480x270 --fps 25 --frames 0)

"$render" "${common[@]}" --out "$docs/analogue_####.png" \
  --set "ClockChoice=Analogue Clock" --set "ClockSize=0.9" \
  --set "Background Colour=0.05,0.09,0.2,1" --set "Main Colour=0.95,0.95,0.9,1" \
  --set "Use Second Colour=on" --set "Second Colour=1,0.25,0.1,1" --set "Second Size=40" \
  --set "Start Hour=10" --set "Start Minute=9" --set "Start Second=36"
"$render" "${common[@]}" --out "$docs/digital_####.png" \
  --set "ClockChoice=Digital Clock" --set "Dig Clock Format=Date and Time (English)" --set "ClockSize=0.5" \
  --set "Main Colour=0.3,0.9,1,1" --set "Background Colour=0.02,0.05,0.1,0.85" \
  --set "Start Day=7" --set "Start Month=12" --set "Start Year=2026" \
  --set "Start Hour=21" --set "Start Minute=30" --set "Start Second=5"
"$render" "${common[@]}" --out "$docs/led_####.png" \
  --set "ClockChoice=LED Clock" --set "Dig Clock Format=hh:mm:ss.m" --set "ClockSize=0.7" \
  --set "Main Colour=1,0.15,0.1,1" --set "Background Colour=0.08,0,0,1" \
  --set "Start Hour=12" --set "Start Minute=34" --set "Start Second=56.7"
for style in analogue digital led; do
  mv "$docs/${style}_0000.png" "$docs/$style.png"
done
echo "Pictures written to $docs"
