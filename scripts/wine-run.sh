#!/usr/bin/env bash
# Runs a Windows program under Wine with the loader and prefix of the chosen architecture
# (build/wineprefix-x86 or -x64), creating the prefix on first use. Also ctest's emulator,
# which names the architecture of its build: wine-run.sh --arch x64 PROGRAM [ARGS...]
set -e
source "$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/platform.sh"
if [ "${1:-}" = --arch ]; then
  export KELO_ARCH=$2
  shift 2
fi
kelo_choose_arch
kelo_prefix
exec "$WINELOADER" "$@"
