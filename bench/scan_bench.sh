#!/usr/bin/env bash
# kelotsy scan benchmark (prints its figures; not a test): 20 simulated printers on loopback,
# half Sable, half Quill, none installed, so each is also identified by the search's probes.
# `kelotsy scan --jobs 1` against `--jobs 8`, beside the same reads (status and ink) done by
# curl and snmpget in a shell loop (the status documents and the identification object, whose
# device id carries the status, and the ink level objects). Loopback only: 127.0.0.100-119, inside the shipped search
# settings' range. Goal: --jobs 8 at least 4x faster than --jobs 1.
#
# usage: bench/scan_bench.sh   (after the README's build; KELO_BENCH_RUNS runs each, default 3)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../scripts/common.sh"

native_build=${KELO_NATIVE_BUILD:-$KELO_ROOT/build/native}
simulator=$native_build/kelo-printer-sim
kelotsy=$KELO_WIN_BUILD/dist/kelotsy.exe
printers=20
first=100
runs=${KELO_BENCH_RUNS:-3}
for needed in "$simulator" "$kelotsy"; do
  [ -f "$needed" ] || { echo "missing $needed: build first" >&2; exit 1; }
done

work=$(mktemp -d)
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Models of the catalogue, so every printer is supported and read in full.
for i in $(seq 0 $((printers - 1))); do
  if [ $((i % 2)) -eq 0 ]; then
    printf '[printer bench-%02d]\naddress = 127.0.0.%d\nprotocol = sable\nmodel = Kelo Workline 4420 All-in-One\nmodel-base = Kelo Workline 4420\npid = 5912\n' "$i" $((first + i))
  else
    printf '[printer bench-%02d]\naddress = 127.0.0.%d\nprotocol = quill\nmodel = Kelo Workline 6500 All-in-One\nmodel-base = Kelo Workline 6500\npid = 7511\n' "$i" $((first + i))
  fi
  printf 'serial = CNBENCH%02d\nink =\nink = K level=%d\nink = C level=64\nink = M level=58\nink = Y level=81\n\n' "$i" $((30 + i))
done > "$work/bench.scenario"
"$simulator" --scenario "$work/bench.scenario" --control 127.0.0.1:0 --ready-file "$work/ready" --quiet \
  2>"$work/sim.log" &
sim_pid=$!
for _ in $(seq 1 200); do [ -f "$work/ready" ] && break; sleep 0.05; done
[ -f "$work/ready" ] || { echo "simulator did not start:"; cat "$work/sim.log"; exit 1; }

kelo_prefix
kelo_persistent_wineserver
kelo_wine cmd /c exit </dev/null >/dev/null 2>&1 || true
range="127.0.0.$first-127.0.0.$((first + printers - 1))"

seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }
scan() { # jobs -> seconds; every printer must have answered
  local start end out
  start=$(date +%s.%N)
  out=$(kelo_wine "$kelotsy" scan --range "$range" --jobs "$1" --format csv 2>/dev/null | tr -d '\r')
  end=$(date +%s.%N)
  [ "$(grep -c ',answered,' <<< "$out" | tr -d ' ')" -ge "$printers" ] || { echo "scan --jobs $1 missed printers: $out" >&2; exit 1; }
  seconds "$start" "$end"
}
shell_loop() { # the same status and ink reads, one printer after the other
  local start end i address
  start=$(date +%s.%N)
  for i in $(seq 0 $((printers - 1))); do
    address=127.0.0.$((first + i))
    if [ $((i % 2)) -eq 0 ]; then
      curl -sf --noproxy '*' "http://$address:8080/DevMgmt/ProductStatusDyn.xml" >/dev/null
      curl -sf --noproxy '*' "http://$address:8080/DevMgmt/ConsumableConfigDyn.xml" >/dev/null
    else
      snmpget -v1 -c public -t 1 -r 2 "$address" 1.3.6.1.4.1.48213.2.3.9.1.1.7.0 \
        $(for n in 1 2 3 4; do echo 1.3.6.1.4.1.48213.2.3.9.4.2.1.4.1.5.4.$n.1.0; done) >/dev/null
    fi
  done
  end=$(date +%s.%N)
  seconds "$start" "$end"
}

kelo_wine "$kelotsy" scan 127.0.0.$first --format csv >/dev/null 2>&1 || true # warm Wine up
one=(); eight=(); loop=()
printf 'kelotsy scan of %d simulated printers (%s), %d runs each\n' "$printers" "$range" "$runs"
for run in $(seq 1 "$runs"); do
  one+=("$(scan 1)")
  eight+=("$(scan 8)")
  loop+=("$(shell_loop)")
  printf '  run %d: --jobs 1 %s s   --jobs 8 %s s   curl/snmpget loop %s s\n' "$run" "${one[-1]}" "${eight[-1]}" "${loop[-1]}"
done
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { printf "%.3f", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
m1=$(median "${one[@]}"); m8=$(median "${eight[@]}"); ml=$(median "${loop[@]}")
printf '  medians: --jobs 1 %s s   --jobs 8 %s s   curl/snmpget loop %s s (status and ink only, no identification)\n' "$m1" "$m8" "$ml"
printf '  speed-up --jobs 8 over --jobs 1: %.1fx (goal: at least 4x)\n' "$(awk -v a="$m1" -v b="$m8" 'BEGIN { printf "%.3f", a / b }')"
