# Shared by the README's commands: set-up, build, Wine prefix, display.
# shellcheck shell=bash
KELO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="$KELO_ROOT/build/wineprefix"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

KELO_PACKAGES=(cmake ninja-build g++ googletest python3 g++-mingw-w64-i686-posix mingw-w64-i686-dev
               wine wine32 wine64 xvfb xauth x11-utils python3-pil fonts-dejavu-core snmp snmpd curl
               mingw-w64-tools)

kelo_setup() {
  local missing=()
  for package in "${KELO_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  # wine32 needs the i386 architecture.
  dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

kelo_build() {
  if [ ! -f "$KELO_ROOT/build/win/build.ninja" ]; then
    cmake -S "$KELO_ROOT" -B "$KELO_ROOT/build/win" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$KELO_ROOT/cmake/mingw-i686.cmake" >/dev/null
  fi
  if [ ! -f "$KELO_ROOT/build/native/build.ninja" ]; then
    cmake -S "$KELO_ROOT" -B "$KELO_ROOT/build/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
  fi
  local dir
  for dir in win native; do
    echo "Building $dir"
    if ! cmake --build "$KELO_ROOT/build/$dir" >"$KELO_ROOT/build/$dir.log" 2>&1; then
      cat "$KELO_ROOT/build/$dir.log"
      return 1
    fi
  done
}

kelo_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix (once, about 20 s)"
    wineboot -i >/dev/null 2>&1
    wineserver -w
  fi
}

# Starts Xvfb on a free display unless one is set; KELO_XVFB_PID names what we started.
kelo_display() {
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
