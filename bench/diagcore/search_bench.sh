#!/usr/bin/env bash
# Network search benchmark (prints its figures; not a test): 20 simulated printers on a /24
# of loopback addresses, found by the component's search the way the search window runs it,
# against `nmap -sU -p 161` over the same /24. Loopback only: the component's configuration
# allows nothing else, the bench program refuses any other network, nmap gets -n (no DNS).
#
# The machine is shared and its load moves both figures, so each is taken KELO_BENCH_RUNS
# times (default 5), alternating, and the ratio is that of the medians.
#
# usage: bench/diagcore/search_bench.sh   (after the README's build; KELO_ARCH picks the architecture,
#        KELO_NATIVE_BUILD names another native build folder)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../scripts/common.sh"

win_build=$KELO_WIN_BUILD
native_build=${KELO_NATIVE_BUILD:-$KELO_ROOT/build/native}
network=127.0.12
printers=20
runs=${KELO_BENCH_RUNS:-5}
bench_dir=$win_build/diagcore-bench
window_dir=$win_build/diagcore-tests
simulator=$native_build/kelo-printer-sim
for needed in "$bench_dir/diagcore_search_bench.exe" "$window_dir/search_window_tests.exe" "$simulator"; do
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
  wineserver -k 2>/dev/null || true
  kelo_stop_display
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
kelo_display # the search window's run needs one
# What the search window's timed run reads.
export KELO_SEARCH_BENCH_RANGE="$network.0/24" KELO_SABLE_SIM_READY="$work/ready" KELO_SOURCE_DIR="$KELO_ROOT"
kelo_persistent_wineserver
kelo_wine cmd /c exit </dev/null >/dev/null 2>&1 || true
# Once to warm Wine up, then the measured runs.
(cd "$bench_dir" && kelo_wine diagcore_search_bench.exe >/dev/null 2>&1) || true
load_before=$(cut -d' ' -f1 /proc/loadavg)
search_times=()
window_times=()
nmap_times=()
same_probe_times=()
printf 'Network search of %s.0/24 with %d simulated printers, %d runs each\n' "$network" "$printers" "$runs"
for run in $(seq 1 "$runs"); do
  result=$(cd "$bench_dir" && kelo_wine diagcore_search_bench.exe 2>/dev/null | tr -d '\r')
  echo "$result" | grep -q '^seconds ' || { echo "search failed: $result"; exit 1; }
  found=$(awk '/^found /{print $2}' <<< "$result")
  identified=$(awk '/^identified /{print $2}' <<< "$result")
  search_seconds=$(awk '/^seconds /{print $2}' <<< "$result")

  # The search window's whole path (component, bar timer, results into the device list).
  window=$(cd "$window_dir" && kelo_wine search_window_tests.exe --gtest_filter='*TimesTheWindowPath*' 2>/dev/null | tr -d '\r' || true)
  window_seconds=$(awk '/^window seconds /{print $3}' <<< "$window")
  [ -n "$window_seconds" ] || { echo "window path failed: $window"; exit 1; }
  window_times+=("$window_seconds")

  start=$(date +%s.%N)
  nmap_out=$(timeout 900 nmap -n -sU -p 161 "$network.0/24" 2>&1)
  end=$(date +%s.%N)
  nmap_seconds=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')
  nmap_open=$(grep -c "^161/udp open " <<< "$nmap_out" || true)

  # The same two probes per host as the component (UDP 161 and TCP 8080), still without
  # asking anything: what the component's extra work costs next to nmap.
  start=$(date +%s.%N)
  timeout 900 nmap -n -sU -sS -p U:161,T:8080 "$network.0/24" >/dev/null 2>&1 || true
  end=$(date +%s.%N)
  same_probe_seconds=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')

  search_times+=("$search_seconds")
  nmap_times+=("$nmap_seconds")
  same_probe_times+=("$same_probe_seconds")
  printf '  run %d: component %s found, %s identified, %.3f s; window path %.3f s; nmap %s open, %.3f s\n' \
    "$run" "$found" "$identified" "$search_seconds" "$window_seconds" "$nmap_open" "$nmap_seconds"
  # Every run must find and identify them all.
  [ "$found" = "$printers" ] && [ "$identified" = "$printers" ] || all_found=no
done

# Median, lowest and highest of the arguments.
spread() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END {
  m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
  printf "%.3f %.3f %.3f", m, v[1], v[NR] }'; }
read -r search_median search_low search_high <<< "$(spread "${search_times[@]}")"
read -r nmap_median nmap_low nmap_high <<< "$(spread "${nmap_times[@]}")"
read -r window_median window_low window_high <<< "$(spread "${window_times[@]}")"
printf '  load average %s before, %s after\n' "$load_before" "$(cut -d' ' -f1 /proc/loadavg)"
printf '  component: %s found, %s identified by model, median %.3f s (%.3f-%.3f) (goal: all %d in under 3 s)\n' \
  "$found" "$identified" "$search_median" "$search_low" "$search_high" "$printers"
[ "${all_found:-yes}" = yes ] || echo "  (not every run found and identified all $printers)"
printf '  search window, Network pressed to the refreshed list: median %.3f s (%.3f-%.3f), %.3f s more than the component (goal: at most 0.5 s)\n' \
  "$window_median" "$window_low" "$window_high" \
  "$(awk -v w="$window_median" -v c="$search_median" 'BEGIN { printf "%.3f", w - c }')"
printf '  nmap -sU -p 161: %s hosts with 161 open, median %.3f s (%.3f-%.3f) (no model names)\n' \
  "$nmap_open" "$nmap_median" "$nmap_low" "$nmap_high"
printf '  ratio nmap / component: %.1fx of the medians (goal: at least 2x)\n' \
  "$(awk -v n="$nmap_median" -v c="$search_median" 'BEGIN { printf "%.3f", n / c }')"
read -r same_median same_low same_high <<< "$(spread "${same_probe_times[@]}")"
printf '  nmap -sU -sS -p U:161,T:8080 (the same probes, nothing asked): median %.3f s (%.3f-%.3f), ratio %.1fx\n' \
  "$same_median" "$same_low" "$same_high" \
  "$(awk -v n="$same_median" -v c="$search_median" 'BEGIN { printf "%.3f", n / c }')"
