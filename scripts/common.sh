# Shared by the README's commands: set-up, build, Wine prefix, display.
# shellcheck shell=bash
KELO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$KELO_ROOT/scripts/platform.sh"
kelo_choose_arch
echo "Windows architecture: $KELO_ARCH ($KELO_ARCH_REASON); build $KELO_WIN_BUILD, Wine prefix $WINEPREFIX"

# Both cross toolchains on every machine (the other architecture's product is compiled too);
# wine32 only where 32-bit programs run: elsewhere it would take over /usr/bin/wine.
KELO_PACKAGES=(cmake ninja-build g++ googletest python3 ccache
               g++-mingw-w64-i686-posix mingw-w64-i686-dev g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
               mingw-w64-tools wine wine64 xvfb xauth x11-utils python3-pil fonts-dejavu-core fonts-wqy-microhei snmp snmpd curl nmap socat iproute2
               wixl msitools zip unzip)
[ "$KELO_ARCH" = x86 ] && KELO_PACKAGES+=(wine32:i386)

kelo_setup() {
  local missing=()
  for package in "${KELO_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  if [ "$KELO_ARCH" = x86 ]; then
    dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
  fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# kelo_configure ARCH: the Windows build folder of ARCH, configured once.
kelo_configure() {
  local arch=$1 dir="$KELO_ROOT/build/win-$1"
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$KELO_ROOT" -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$KELO_ROOT/cmake/mingw-$arch.cmake" >/dev/null
  fi
}

# kelo_build_dir NAME DIR [TARGET...]: builds, and shows the log only when it fails.
kelo_build_dir() {
  local name=$1 dir=$2
  shift 2
  local log="$KELO_ROOT/build/$name.log" started=$SECONDS
  local targets=()
  [ $# -gt 0 ] && targets=(--target "$@")
  echo "Building $name${*:+ ($*)}"
  if ! cmake --build "$dir" "${targets[@]}" >"$log" 2>&1; then
    cat "$log"
    return 1
  fi
  echo "Built $name in $((SECONDS - started)) s"
}

# kelo_build [--both]: the native build and the chosen architecture's Windows build; with
# --both also the other architecture's product, so neither rots. build/dist is the chosen
# architecture's runnable tree.
kelo_build() {
  kelo_configure "$KELO_ARCH"
  if [ ! -f "$KELO_ROOT/build/native/build.ninja" ]; then
    cmake -S "$KELO_ROOT" -B "$KELO_ROOT/build/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
  fi
  kelo_build_dir "win-$KELO_ARCH" "$KELO_WIN_BUILD" || return 1
  kelo_build_dir native "$KELO_ROOT/build/native" || return 1
  ln -sfn "win-$KELO_ARCH/dist" "$KELO_ROOT/build/dist"
  if [ "${1:-}" = --both ]; then
    local other
    other=$(kelo_other_arch)
    kelo_configure "$other"
    kelo_build_dir "win-$other" "$KELO_ROOT/build/win-$other" kelo_product || return 1
  fi
}

# Starts Xvfb on a free display unless one is set; KELO_XVFB_PID names what we started. Then
# tells Wine whether a window manager is there (kelo_window_manager_mode).
kelo_display() {
  kelo_open_display && kelo_window_manager_mode
}

kelo_open_display() {
  KELO_XVFB_PID=""
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
  done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  KELO_XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 1 100); do
    xdpyinfo >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "Xvfb did not start" >&2
  return 1
}

# Wine hands its top-level windows to the window manager and, each time it hides one (every
# progress popup, every dialog), waits up to 2 s for the manager's answer. Xvfb has no manager:
# there Wine places the windows itself ("Managed" = N) and hides them at once.
kelo_window_manager_mode() {
  local mode=Y current
  if [ -n "$KELO_XVFB_PID" ] || ! { command -v xprop >/dev/null &&
      xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }; then
    mode=N
  fi
  # A prefix without the key yet is no error (set -e and pipefail are on in the callers).
  current=$({ grep -A3 '^\[Software\\\\Wine\\\\X11 Driver\]' "$WINEPREFIX/user.reg" 2>/dev/null || true; } |
            sed -n 's/^"Managed"="\(.\)"/\1/p')
  [ "${current:-Y}" = "$mode" ] && return 0
  kelo_wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d "$mode" /f >/dev/null 2>&1 || true
}

# Keeps one Wine server for the whole run, so each program starts in milliseconds. A server that
# is still ending (started by a set-up step a moment ago) refuses the new one for a few seconds;
# one that stays (another run's) serves this run as well.
kelo_persistent_wineserver() {
  local _
  for _ in $(seq 1 20); do
    wineserver -p 2>/dev/null && return 0
    sleep 0.5
  done
  return 0
}

kelo_stop_display() {
  [ -n "${KELO_XVFB_PID:-}" ] && kill "$KELO_XVFB_PID" 2>/dev/null
  return 0
}

# Starts the demo printers (sim/scenarios/demo.scenario: 127.0.0.10 and 127.0.0.11, control
# on 127.0.0.1:8199) in the background; KELO_SIM_PID names what we started. A demo that is
# already running (started by hand) is left alone and used.
kelo_start_demo() {
  KELO_SIM_PID=""
  local ready="$KELO_ROOT/build/demo-sim.ready" log="$KELO_ROOT/build/demo-sim.log"
  if curl -s --noproxy '*' --max-time 1 -o /dev/null http://127.0.0.1:8199/printers; then
    echo "Demo printers already running (control http://127.0.0.1:8199/)"
    return 0
  fi
  rm -f "$ready"
  "$KELO_ROOT/build/native/kelo-printer-sim" --scenario "$KELO_ROOT/sim/scenarios/demo.scenario" \
    --ready-file "$ready" </dev/null >"$log" 2>&1 &
  KELO_SIM_PID=$!
  for _ in $(seq 1 200); do
    if [ -f "$ready" ]; then
      echo "Demo printers: Sable 127.0.0.10, Quill 127.0.0.11; control http://127.0.0.1:8199/; log $log"
      return 0
    fi
    if ! kill -0 "$KELO_SIM_PID" 2>/dev/null; then
      KELO_SIM_PID=""
      echo "Demo printers not started (already running?); see $log" >&2
      return 0
    fi
    sleep 0.05
  done
  echo "Demo printers not ready after 10 s; see $log" >&2
}

kelo_stop_demo() {
  if [ -n "${KELO_SIM_PID:-}" ]; then
    kill "$KELO_SIM_PID" 2>/dev/null || true
    wait "$KELO_SIM_PID" 2>/dev/null || true
  fi
  return 0
}
