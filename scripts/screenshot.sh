#!/usr/bin/env bash
# Saves a picture of the whole display (DISPLAY) as PNG: scripts/screenshot.sh out.png
set -euo pipefail
out=${1:-screenshot.png}
if ! command -v import >/dev/null; then
  apt-get install -y -qq imagemagick >/dev/null
fi
import -window root "$out"
echo "$out"
