#!/usr/bin/env bash
# Makes the pictures of the user's guide with the program itself, into
# docs/pictures/:
#   - charts drawn by `ombrix-cli chart` from the sample field;
#   - the main window and two dialogs, taken under a virtual X display
#     (xvfb-run) by ombrix-guide-shots, which builds the program's window,
#     opens the sample field and saves the window after each step;
#   - then pngquant (when installed) shrinks them to a quarter.
# Usage: docs/make_pictures.sh [build folder]   (default: build, with the GUI)
# The window runs with a private configuration: the sample field's series
# paths start at the repository root, and the prediction has a site.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
out=$top/docs/pictures
command -v xvfb-run >/dev/null || { echo "make_pictures.sh: xvfb-run is missing (package xvfb)" >&2; exit 1; }
cmake --build "$build" --target ombrix-cli ombrix-guide-shots

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache
mkdir -p "$HOME" "$XDG_CONFIG_HOME/OMBRIX"
cat >"$XDG_CONFIG_HOME/OMBRIX/ombrix.ini" <<INI
[OMBRIX]
RootPath = $top/
Latitude = 49.2
Longitude = 16.6
Splitter1 = 190
Splitter2 = 150
Splitter3 = 130
PredictionDays = 1
ShowStarAlt = TRUE
StarAlt = 25
ShowSunAlt = TRUE
SunAlt = -12
CheckVersion = FALSE
INI
mkdir -p "$out"

cd "$top"  # the sample field names its series relative to the repository root
"$build/bin/ombrix-cli" chart samples/field/sample.ofd "V0501 Lyr" --tab 4 --size 1000x560 \
  --title "V0501 Lyr" --png "$out/cli-phased-curve-fit.png"
xvfb-run -a -s "-screen 0 1600x1000x24" "$build/bin/ombrix-guide-shots" "$top" "$out"
if command -v pngquant >/dev/null; then
  pngquant --quality 70-95 --speed 1 --force --ext .png --strip "$out"/*.png
else
  echo "make_pictures.sh: pngquant is missing (package pngquant); the pictures stay four times larger" >&2
fi
du -ch "$out"/*.png | tail -n 1
