#!/usr/bin/env bash
# Network search benchmark (prints its figures; not a test): 20 simulated printers on a /24
# of loopback addresses, found by the component's search the way the search window runs it,
# against `nmap -sU -p 161` over the same /24. Loopback only: the component's configuration
# allows nothing else, the bench program refuses any other network, nmap gets -n (no DNS).
#
# usage: bench/diagcore/search_bench.sh   (after the README's build; KELO_WIN_BUILD and
#        KELO_NATIVE_BUILD name other build folders)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../scripts/common.sh"

win_build=${KELO_WIN_BUILD:-$KELO_ROOT/build/win}
native_build=${KELO_NATIVE_BUILD:-$KELO_ROOT/build/native}
network=127.0.6
printers=20
bench_dir=$win_build/diagcore-bench
simulator=$native_build/kelo-printer-sim
for needed in "$bench_dir/diagcore_search_bench.exe" "$simulator"; do
  [ -x "$needed" ] || [ -f "$needed" ] || { echo "missing $needed: build first" >&2; exit 1; }
done

if ! command -v nmap >/dev/null; then
  echo "Installing nmap"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends nmap >/dev/null
fi

work=$(mktemp -d)
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -f "$bench_dir/config/search.ini"
  rm -rf "$work"
}
trap cleanup EXIT

# Half Sable, half Quill, on .10 to .29; the rest of the /24 is empty.
for i in $(seq 0 $((printers - 1))); do
  protocol=$([ $((i % 2)) -eq 0 ] && echo sable || echo quill)
  printf '[printer bench-%02d]\naddress = %s.%d\nprotocol = %s\nmodel = Kelo Workline %d All-in-One\npid = %x\nserial = CNBENCH%02d\n\n' \
    "$i" "$network" $((10 + i)) "$protocol" $((4400 + i)) $((0x5900 + i)) "$i"
done > "$work/bench.scenario"
"$simulator" --scenario "$work/bench.scenario" --control 127.0.0.1:0 --ready-file "$work/ready" --quiet \
  2>"$work/sim.log" &
sim_pid=$!
for _ in $(seq 1 200); do [ -f "$work/ready" ] && break; sleep 0.05; done
[ -f "$work/ready" ] || { echo "simulator did not start:"; cat "$work/sim.log"; exit 1; }

mkdir -p "$bench_dir/config"
printf '[Search]\r\nRanges=%s.0/24\r\nProbeTimeoutMs=1000\r\n' "$network" > "$bench_dir/config/search.ini"
kelo_prefix
wineserver -p 2>/dev/null || true
wine cmd /c exit </dev/null >/dev/null 2>&1 || true
# Once to warm Wine up, then the measured run.
(cd "$bench_dir" && wine diagcore_search_bench.exe >/dev/null 2>&1) || true
result=$(cd "$bench_dir" && wine diagcore_search_bench.exe 2>/dev/null | tr -d '\r')
echo "$result" | grep -q '^seconds ' || { echo "search failed: $result"; exit 1; }
found=$(awk '/^found /{print $2}' <<< "$result")
identified=$(awk '/^identified /{print $2}' <<< "$result")
search_seconds=$(awk '/^seconds /{print $2}' <<< "$result")

start=$(date +%s.%N)
nmap_out=$(timeout 900 nmap -n -sU -p 161 "$network.0/24" 2>&1)
end=$(date +%s.%N)
nmap_seconds=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')
nmap_open=$(grep -c "^161/udp open " <<< "$nmap_out" || true)

printf 'Network search of %s.0/24 with %d simulated printers\n' "$network" "$printers"
printf '  component: %s found, %s identified by model, %.3f s (goal: all %d in under 3 s)\n' \
  "$found" "$identified" "$search_seconds" "$printers"
printf '  nmap -sU -p 161: %s hosts with 161 open, %.3f s (no model names)\n' "$nmap_open" "$nmap_seconds"
printf '  ratio nmap / component: %.1fx (goal: at least 2x)\n' \
  "$(awk -v n="$nmap_seconds" -v c="$search_seconds" 'BEGIN { printf "%.3f", n / c }')"
