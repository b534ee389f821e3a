# Which Windows architecture this machine runs, and the Wine loader, prefix and build folder
# that go with it. Sourced by the README's commands, wine-run.sh and install-printers.
#
#   kelo_choose_arch   sets and exports KELO_ARCH (x86 or x64), KELO_ARCH_REASON, KELO_WIN_BUILD,
#                      WINEPREFIX and WINELOADER; KELO_ARCH=x86|x64 beforehand forces a choice
#   kelo_wine ARGS     runs a Windows program with the chosen architecture's loader
#   kelo_prefix        creates the chosen architecture's Wine prefix once
# shellcheck shell=bash
KELO_ROOT=${KELO_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# The kernel decides, not its configuration file: run a 93-byte static i386 program that only
# calls exit(0). Where 32-bit programs cannot run, exec fails with "Exec format error".
kelo_runs_32bit() {
  local probe status=0
  mkdir -p "$KELO_ROOT/build"
  # In the build folder: a temporary folder may be mounted noexec.
  probe=$(mktemp "$KELO_ROOT/build/i386-probe.XXXXXX")
  printf '%b' \
    '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' \
    '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' \
    '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00' \
    '\x00\x00\x00\x00' \
    '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08' \
    '\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' \
    '\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null || status=$?
  rm -f "$probe"
  return "$status"
}

kelo_choose_arch() {
  local forced=${KELO_ARCH:-} capable=0
  # A parent that already asked (the README's commands, for every test they start) says so.
  if [ -n "${KELO_ARCH_CAN_RUN_32BIT:-}" ]; then
    capable=$KELO_ARCH_CAN_RUN_32BIT
  elif kelo_runs_32bit; then
    capable=1
  fi
  case "$forced" in
    "")
      if [ "$capable" -eq 1 ]; then
        KELO_ARCH=x86
        KELO_ARCH_REASON="this machine runs 32-bit programs"
      else
        KELO_ARCH=x64
        KELO_ARCH_REASON="this machine cannot run 32-bit programs"
      fi ;;
    x86)
      if [ "$capable" -ne 1 ]; then
        echo "KELO_ARCH=x86, but this machine cannot run 32-bit programs (Exec format error); use KELO_ARCH=x64" >&2
        return 1
      fi
      KELO_ARCH_REASON="forced by KELO_ARCH" ;;
    x64)
      KELO_ARCH_REASON="forced by KELO_ARCH"
      [ "$capable" -eq 1 ] || KELO_ARCH_REASON="forced by KELO_ARCH; this machine cannot run 32-bit programs" ;;
    *)
      echo "KELO_ARCH must be x86 or x64, not '$forced'" >&2
      return 1 ;;
  esac
  KELO_ARCH_CAN_RUN_32BIT=$capable
  KELO_WIN_BUILD="$KELO_ROOT/build/win-$KELO_ARCH"
  export KELO_ARCH KELO_ARCH_REASON KELO_ARCH_CAN_RUN_32BIT KELO_WIN_BUILD
  export WINEPREFIX="$KELO_ROOT/build/wineprefix-$KELO_ARCH"
  # Named explicitly: with wine32 installed, /usr/bin/wine always starts the 32-bit loader.
  if [ "$KELO_ARCH" = x64 ]; then
    export WINELOADER=/usr/lib/wine/wine64
  else
    export WINELOADER=/usr/lib/wine/wine
  fi
}

# The other Windows architecture, whose product is compiled but not run.
kelo_other_arch() {
  if [ "$KELO_ARCH" = x64 ]; then echo x86; else echo x64; fi
}

kelo_wine() {
  "$WINELOADER" "$@"
}

# Messages go to standard error: as ctest's emulator, standard output is the program's.
kelo_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the $KELO_ARCH Wine prefix (once, about 20 s)" >&2
    mkdir -p "$KELO_ROOT/build"
    if ! kelo_wine wineboot -i >"$KELO_ROOT/build/wineboot-$KELO_ARCH.log" 2>&1; then
      cat "$KELO_ROOT/build/wineboot-$KELO_ARCH.log" >&2
      echo "Could not create the Wine prefix with $WINELOADER" >&2
      return 1
    fi
    wineserver -w
  fi
  kelo_font_links
}

# Wine draws the dialog fonts the tool asks for with DejaVu Sans, which has no Chinese, Japanese or
# Korean glyphs: link those faces to WenQuanYi Micro Hei, so a missing glyph comes from there
# instead of showing as a box. Once per prefix; the marker names the links' version.
kelo_font_links() {
  local marker="$WINEPREFIX/kelo-font-links-2" face
  [ -f "$marker" ] && return 0
  for face in "DejaVu Sans" "Microsoft Sans Serif" "Calibri"; do
    kelo_wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      /v "$face" /t REG_MULTI_SZ /d "wqy-microhei.ttc,WenQuanYi Micro Hei" /f >/dev/null 2>&1 || return 0
  done
  touch "$marker"
}
