#!/usr/bin/env bash
# Sets everything up, builds, and starts Kelo Tessaly under Wine beside the demo printers.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

kelo_setup
kelo_build
kelo_prefix
kelo_display
if [ -n "$KELO_XVFB_PID" ]; then
  echo "No display: the tool runs on the virtual display $DISPLAY."
  echo "Take a picture of it with: DISPLAY=$DISPLAY scripts/screenshot.sh shot.png"
fi
kelo_start_demo
# The demo's network printers become installed printers, so the tool lists them as a user's.
"$KELO_ROOT/scripts/install-printers" "$KELO_ROOT/sim/scenarios/demo.scenario"
trap 'kelo_stop_demo; kelo_stop_display' EXIT
echo "Log: $WINEPREFIX/drive_c/users/$(id -un)/Temp/KeloTSYLog.log"
cd "$KELO_ROOT/build/dist"
kelo_wine KeloTessaly.exe
