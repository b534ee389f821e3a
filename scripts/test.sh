#!/usr/bin/env bash
# Sets everything up, builds both Windows architectures (the one this machine runs in full, the
# other's product only), and runs every test on the runnable one; ends with ctest's summary.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

kelo_setup
kelo_build --both
kelo_prefix
kelo_display
kelo_persistent_wineserver
# Start Wine's own services now, away from ctest: a service that inherits a
# test's output pipe would keep ctest waiting for that test forever.
kelo_wine cmd /c exit </dev/null >/dev/null 2>&1
trap 'wineserver -k 2>/dev/null || true; kelo_stop_display' EXIT

echo "Testing the $KELO_ARCH build ($KELO_ARCH_REASON)"
status=0
ctest --test-dir "$KELO_WIN_BUILD" -j2 --output-on-failure --timeout 600 "$@" || status=$?
if [ -d "$KELO_WIN_BUILD/gallery" ]; then
  echo "Pictures of the windows the tests looked at: $KELO_WIN_BUILD/gallery"
fi
exit $status
