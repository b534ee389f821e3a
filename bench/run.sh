#!/usr/bin/env bash
# The performance table: every row ours beside a reference measured in the same run, on the
# simulated printers (loopback) and on a realistic /24 in network namespaces of its own.
# Prints the table and writes it as JSON to build/bench/table.json.
#
# The machine is shared and noisy: each figure is the median of KELO_BENCH_RUNS (default 5)
# runs, ours and the reference alternating, and the ratios are what count.
#
# usage: bench/run.sh   (as root, after the README's set-up; KELO_ARCH picks the architecture,
#        KELO_BENCH_ROWS=startup,sable,quill,silent,print,search,realistic,memory picks rows)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../scripts/common.sh"
source "$here/netns.sh"

runs=${KELO_BENCH_RUNS:-5}
rows_wanted=${KELO_BENCH_ROWS:-startup,sable,quill,silent,print,search,realistic,memory}
# The probe time-out the component's search is run with: its default (see NetworkSearch.h).
probe_ms=${KELO_BENCH_PROBE_MS:-500}
print_mb=50
# Loopback networks of this benchmark alone (the tests use others).
info_net=127.0.31
search_net=127.0.32
printers=20

kelo_setup
kelo_build
win=$KELO_WIN_BUILD
dist=$KELO_ROOT/build/dist
simulator=$KELO_ROOT/build/native/kelo-printer-sim
out=$KELO_ROOT/build/bench
mkdir -p "$out"
work=$(mktemp -d)
table=$work/rows.tsv
: >"$table"
sims=()
installed=""
netns_made=""

cleanup() {
  local pid
  for pid in "${sims[@]}"; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
  [ -n "$installed" ] && "$KELO_ROOT/scripts/install-printers" --remove "$installed" >/dev/null 2>&1
  [ -n "$netns_made" ] && kelo_netns_down
  rm -f "$win/diagcore-bench/config/search.ini"
  wineserver -k 2>/dev/null || true
  kelo_stop_display
  rm -rf "$work"
}
trap cleanup EXIT

wanted() { [[ ",$rows_wanted," == *",$1,"* ]]; }

# Seconds a command takes, whatever its exit code (a silent printer's is 1); output discarded.
seconds_of() {
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null 2>&1 || true
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }'
}

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END {
  printf "%.3f", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }

# row NAME OURS OURS_FIGURE REFERENCE REFERENCE_FIGURE RATIO GOAL VERDICT
row() {
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$@" >>"$table"
  printf '  %s: %s %s | %s %s | ratio %s | %s: %s\n' "$@"
}

# start_sim SCENARIO [RUNNER...]: the simulator in the background (through RUNNER, with the
# options in sim_options); sets sim_control and sim_ready. It logs every request to sim.log.
sim_options=()
start_sim() {
  local scenario=$1 ready="$work/ready.$RANDOM"
  shift
  "$@" "$simulator" --scenario "$scenario" --control 127.0.0.1:0 --ready-file "$ready" "${sim_options[@]}" \
    >"$work/sim.out" 2>>"$work/sim.log" &
  sims+=($!)
  for _ in $(seq 1 200); do [ -f "$ready" ] && break; sleep 0.05; done
  [ -f "$ready" ] || { echo "simulator did not start:"; tail -n 5 "$work/sim.log"; exit 1; }
  sim_ready=$ready
  sim_control=$(awk '/^control /{print $2}' "$ready")
}
control() { curl -s --noproxy '*' --max-time 5 "${@:2}" "http://$sim_control$1"; }

kelotsy() { kelo_wine "$dist/kelotsy.exe" "$@"; }

kelo_prefix
kelo_display
kelo_persistent_wineserver
kelo_wine cmd /c exit </dev/null >/dev/null 2>&1 || true
echo "Performance table, $runs alternating runs per figure; load average $(cut -d' ' -f1 /proc/loadavg)"

# --- the demo's two network printers on a network of their own, installed as print queues ---
awk -v net="$info_net" 'BEGIN { RS = ""; ORS = "\n\n" } /\[printer/ && !/usb = yes/ {
  gsub(/127\.0\.0\./, net "."); print }' \
  "$KELO_ROOT/sim/scenarios/demo.scenario" >"$work/info.scenario"
start_sim "$work/info.scenario"
info_control=$sim_control
info_ready=$sim_ready
"$KELO_ROOT/scripts/install-printers" "$work/info.scenario" >/dev/null
installed=$work/info.scenario
sable=$info_net.10
quill=$info_net.11
kelotsy list >/dev/null 2>&1 || true # warm

if wanted startup; then
  ours=() ref=()
  for _ in $(seq 1 "$runs"); do
    ref+=("$(kelo_wine "$win/bench/startup_bench.exe" "$win/bench/minimal_dialog.exe" 2>/dev/null | tr -d '\r' |
             awk '/^seconds /{print $2}')")
    ours+=("$(kelo_wine "$win/bench/startup_bench.exe" "$dist/KeloTessaly.exe" 2>/dev/null | tr -d '\r' |
              awk '/^seconds /{print $2}')")
  done
  o=$(median "${ours[@]}") r=$(median "${ref[@]}") q=$(ratio "$o" "$r")
  row "start-up to the visible main window" "KeloTessaly.exe" "$o s" "minimal dialog program" "$r s" "$q" \
    "within 1.5x" "$(awk -v q="$q" 'BEGIN { print (q <= 1.5 ? "met" : "missed") }')"
fi

# What a command asked of the printer: HTTP paths from the control interface, SNMP objects
# from the simulator's log.
http_paths() {
  sim_control=$info_control control /printers/sable-net/clear -X POST >/dev/null
  "$@" >/dev/null 2>&1 || true
  sim_control=$info_control control /printers/sable-net/received/requests | awk '{print $2}'
}
snmp_objects() {
  local before
  before=$(wc -l <"$work/sim.log")
  "$@" >/dev/null 2>&1 || true
  tail -n +"$((before + 1))" "$work/sim.log" | grep -o 'GET [0-9.][0-9. ]*' | tr ' ' '\n' | grep '^[0-9]' | sort -u
}

if wanted sable; then
  mapfile -t paths < <(http_paths kelotsy info "$sable")
  curl_args=()
  for path in "${paths[@]}"; do curl_args+=(-o /dev/null "http://$sable:8080$path"); done
  ours=() ref=()
  for _ in $(seq 1 "$runs"); do
    ref+=("$(seconds_of curl -s --noproxy '*' "${curl_args[@]}")")
    ours+=("$(seconds_of kelotsy info "$sable")")
  done
  o=$(median "${ours[@]}") r=$(median "${ref[@]}") q=$(ratio "$o" "$r")
  row "device information, Sable (network)" "kelotsy info" "$o s" "curl, the same ${#paths[@]} fetches in one process" \
    "$r s" "$q" "within 1.5x" "$(awk -v q="$q" 'BEGIN { print (q <= 1.5 ? "met" : "missed") }')"
  # Where the time goes: a kelotsy that only starts and ends (a usage error) is the start-up's share.
  bare=()
  for _ in $(seq 1 "$runs"); do bare+=("$(seconds_of kelotsy --bench-start-only)"); done
  wine_start=$(median "${bare[@]}")
  echo "    (kelotsy starting and ending under Wine alone: $wine_start s)"
fi

if wanted quill; then
  # The simulator logs each request only when not quiet: a second one, for these rows.
  for command in info ink; do
    mapfile -t oids < <(snmp_objects kelotsy "$command" "$quill")
    ours=() single=() each=()
    for _ in $(seq 1 "$runs"); do
      single+=("$(seconds_of snmpget -v1 -c public -t 1 -r 0 "$quill" "${oids[@]}")")
      ours+=("$(seconds_of kelotsy "$command" "$quill")")
      each+=("$(seconds_of bash -c 'for oid in "${@:2}"; do snmpget -v1 -c public -t 1 -r 0 "$1" "$oid" || true; done' \
                  _ "$quill" "${oids[@]}")")
    done
    o=$(median "${ours[@]}") r=$(median "${single[@]}") e=$(median "${each[@]}") q=$(ratio "$o" "$r")
    label="device information, Quill (network)"
    [ "$command" = ink ] && label="ink, Quill (network)"
    row "$label" "kelotsy $command" "$o s" \
      "one snmpget of all ${#oids[@]} objects ($e s with one snmpget per object)" "$r s" "$q" "within 1.5x" \
      "$(awk -v q="$q" 'BEGIN { print (q <= 1.5 ? "met" : "missed") }')"
  done
fi

if wanted silent; then
  # The Quill printer made silent (an address without a print queue is no printer to kelotsy:
  # it ends at once with "unknown printer"). Bound: one 3 s request cycle per operation.
  sim_control=$info_control control /printers/quill-net/settings --data-binary 'fault.snmp = silence' >/dev/null
  ours=()
  for _ in $(seq 1 "$runs"); do ours+=("$(seconds_of kelotsy info "$quill")"); done
  sim_control=$info_control control /printers/quill-net/settings --data-binary 'fault.snmp =' >/dev/null
  o=$(median "${ours[@]}")
  row "a printer that does not answer (Quill, silent)" "kelotsy info $quill" "$o s" "the documented bound" "3 s" \
    "$(ratio "$o" 3)" "within the bound, 3 s, and 0.5 s for starting kelotsy" \
    "$(awk -v o="$o" 'BEGIN { print (o <= 3.5 ? "met" : "missed") }')"
fi

if wanted print; then
  head -c $((print_mb * 1000 * 1000)) /dev/urandom >"$work/job.prn"
  ours=() ref=()
  for _ in $(seq 1 "$runs"); do
    sim_control=$info_control control /printers/sable-net/clear -X POST >/dev/null
    ref+=("$(seconds_of socat -u "OPEN:$work/job.prn" "TCP:$sable:9100")")
    sim_control=$info_control control /printers/sable-net/clear -X POST >/dev/null
    ours+=("$(cd "$win" && KELO_PRINT_BENCH_FILE="$work/job.prn" KELO_PRINT_BENCH_SINK="$sable" \
                KELO_SOURCE_DIR="$KELO_ROOT" KELO_SABLE_SIM_READY="$info_ready" \
                kelo_wine ./low_level_print_tests.exe --gtest_filter='*TimesALargeNetworkJob*' 2>/dev/null |
                tr -d '\r' | awk '/^print seconds /{print $3}')")
  done
  o=$(median "${ours[@]}") r=$(median "${ref[@]}")
  share=$(awk -v o="$o" -v r="$r" 'BEGIN { if (o > 0) printf "%.0f", 100 * r / o; else print 0 }')
  row "low-level print of a $print_mb MB file to a 9100 sink" "the print test's sender" \
    "$o s ($(awk -v o="$o" -v m="$print_mb" 'BEGIN { printf "%.0f", m / o }') MB/s)" "socat" \
    "$r s ($(awk -v r="$r" -v m="$print_mb" 'BEGIN { printf "%.0f", m / r }') MB/s)" "$share % of socat's throughput" \
    "at least 80 %" "$(awk -v s="$share" 'BEGIN { print (s >= 80 ? "met" : "missed") }')"
fi

# search_row NAME NETWORK [RUNNER...]: the component's search and both nmap runs over NETWORK.0/24,
# each command run through RUNNER (the namespace's ip netns exec, or nothing).
search_row() {
  local name=$1 network=$2 flag=""
  shift 2
  [ $# -gt 0 ] && flag=--namespace
  mkdir -p "$win/diagcore-bench/config"
  printf '[Search]\r\nRanges=%s.0/24\r\nProbeTimeoutMs=%s\r\n' "$network" "$probe_ms" \
    >"$win/diagcore-bench/config/search.ini"
  local ours=() ref=() same=() found=() identified=() result
  (cd "$win/diagcore-bench" && "$@" "$WINELOADER" diagcore_search_bench.exe $flag >/dev/null 2>&1) || true
  for _ in $(seq 1 "$runs"); do
    result=$(cd "$win/diagcore-bench" && "$@" "$WINELOADER" diagcore_search_bench.exe $flag 2>/dev/null | tr -d '\r')
    ours+=("$(awk '/^seconds /{print $2}' <<<"$result")")
    found+=("$(awk '/^found /{print $2}' <<<"$result")")
    identified+=("$(awk '/^identified /{print $2}' <<<"$result")")
    ref+=("$(seconds_of "$@" nmap -n -sU -p 161 "$network.0/24")")
    same+=("$(seconds_of "$@" nmap -n -sU -sS -p U:161,T:8080 "$network.0/24")")
  done
  local o r s
  o=$(median "${ours[@]}") r=$(median "${ref[@]}") s=$(median "${same[@]}")
  local all=yes f
  for f in "${found[@]}" "${identified[@]}"; do [ "$f" = "$printers" ] || all=no; done
  # On the realistic /24: all identified, 3x faster than nmap -sU, done within T after the
  # probes were sent. What sending (and starting and ending) takes is measured: the same
  # search with the shortest time-out, 50 ms, less those 50 ms. On loopback every address
  # answers or refuses at once: all identified is the goal.
  local bound goal verdict
  if [ $# -gt 0 ]; then
    printf '[Search]\r\nRanges=%s.0/24\r\nProbeTimeoutMs=50\r\n' "$network" >"$win/diagcore-bench/config/search.ini"
    local shortest=()
    for _ in $(seq 1 "$runs"); do
      shortest+=("$(cd "$win/diagcore-bench" && "$@" "$WINELOADER" diagcore_search_bench.exe $flag 2>/dev/null |
                    tr -d '\r' | awk '/^seconds /{print $2}')")
    done
    local sending
    sending=$(awk -v m="$(median "${shortest[@]}")" 'BEGIN { printf "%.3f", m - 0.05 }')
    bound=$(awk -v t="$probe_ms" -v s="$sending" 'BEGIN { printf "%.3f", t / 1000 + s }')
    echo "    (sending the probes, starting and ending: $sending s, from the search with a 50 ms time-out)"
    goal="all $printers identified, 3x faster than nmap -sU, within T + sending = ${bound} s"
    verdict=$(awk -v o="$o" -v r="$r" -v b="$bound" -v a="$all" \
      'BEGIN { print ((a == "yes" && r >= 3 * o && o <= b) ? "met" : "missed") }')
  else
    goal="all $printers identified"
    verdict=$([ "$all" = yes ] && echo met || echo missed)
  fi
  row "$name" "the component (found/identified ${found[*]} / ${identified[*]})" "$o s" \
    "nmap -sU -p 161 ($s s with nmap of the same two probes)" "$r s" "$(ratio "$r" "$o")x faster" "$goal" "$verdict"
}

# 20 printers, half Sable and half Quill, at .10 to .29 of NETWORK.
search_scenario() {
  local network=$1 i protocol
  for i in $(seq 0 $((printers - 1))); do
    protocol=$([ $((i % 2)) -eq 0 ] && echo sable || echo quill)
    printf '[printer bench-%02d]\naddress = %s.%d\nprotocol = %s\nmodel = Kelo Workline %d All-in-One\npid = %x\nserial = CNBENCH%02d\n\n' \
      "$i" "$network" $((10 + i)) "$protocol" $((4400 + i)) $((0x5900 + i)) "$i"
  done
}

if wanted search; then
  search_scenario "$search_net" >"$work/search.scenario"
  start_sim "$work/search.scenario"
  search_row "network search, loopback /24 with $printers printers" "$search_net"
  # The search window's whole path (component, bar timer, results into the device list).
  window=()
  for _ in $(seq 1 "$runs"); do
    window+=("$(cd "$win/diagcore-tests" && KELO_SEARCH_BENCH_RANGE="$search_net.0/24" KELO_SABLE_SIM_READY="$sim_ready" \
                KELO_SOURCE_DIR="$KELO_ROOT" kelo_wine search_window_tests.exe --gtest_filter='*TimesTheWindowPath*' \
                2>/dev/null | tr -d '\r' | awk '/^window seconds /{print $3}')")
  done
  echo "    (the search window, Network pressed to the refreshed list: $(median "${window[@]}") s)"
fi

if wanted realistic; then
  if reason=$(kelo_netns_up 10 "$printers" 2>&1); then
    netns_made=yes
    search_scenario "$KELO_NETNS_NETWORK" >"$work/realistic.scenario"
    sim_options=(--namespace-network "$KELO_NETNS_NETWORK.0/24")
    start_sim "$work/realistic.scenario" ip netns exec "$KELO_NETNS_PRINTERS"
    sim_options=()
    # The component's sockets are made by the Wine server: a server of its own inside the
    # namespace, for a copy of the prefix (hard links: the registry is saved by renaming), so
    # no probe can be made outside it.
    wineserver -k 2>/dev/null || true
    rm -rf "$work/prefix" && { cp -al "$WINEPREFIX" "$work/prefix" 2>/dev/null || cp -a "$WINEPREFIX" "$work/prefix"; }
    saved_prefix=$WINEPREFIX
    export WINEPREFIX=$work/prefix
    ip netns exec "$KELO_NETNS_SEARCHER" wineserver -f -p </dev/null >/dev/null 2>&1 &
    server=$!
    sleep 0.5
    if [ "$(ip netns identify "$server")" = "$KELO_NETNS_SEARCHER" ]; then
      search_row "network search, realistic /24 (silent addresses, $printers printers)" "$KELO_NETNS_NETWORK" \
        ip netns exec "$KELO_NETNS_SEARCHER"
    else
      row "network search, realistic /24" "-" "-" "-" "-" "-" "-" "not measured: the Wine server is not in the namespace"
    fi
    wineserver -k 2>/dev/null || true
    wait "$server" 2>/dev/null || true
    export WINEPREFIX=$saved_prefix
    kelo_persistent_wineserver
  else
    row "network search, realistic /24" "-" "-" "-" "-" "-" "-" "not measured: no network namespace here ($reason)"
  fi
fi

if wanted memory; then
  # A whole passing diagnosis of the tool (the demo route to the final page), its private
  # memory sampled every 50 ms. The route drives the demo printers on 127.0.0.10 and .11: while
  # another run holds those addresses, the route is skipped and the row says so.
  kelo_start_demo
  "$KELO_ROOT/scripts/install-printers" "$KELO_ROOT/sim/scenarios/demo.scenario" >/dev/null
  (cd "$win" && KELO_DIST="$win/dist" KELO_DEMO_PRINTERS=1 KELO_SABLE_SIM_READY="$KELO_ROOT/build/demo-sim.ready" \
     kelo_wine ./ui_startup_tests.exe --gtest_filter='Demo/DemoRun.*/HealthyCopierToTheFinalPage' \
     >"$out/memory-route.log" 2>&1) &
  route=$!
  peak=0
  while kill -0 "$route" 2>/dev/null; do
    # Only this checkout's tool: other people's may run at the same time.
    for pid in $(pgrep -f "$(basename "$KELO_ROOT").*KeloTessaly\.exe" || true); do
      kb=$(awk '/^(Private_Clean|Private_Dirty|Swap):/{s += $2} END { print s + 0 }' "/proc/$pid/smaps_rollup" 2>/dev/null || echo 0)
      [ "$kb" -gt "$peak" ] && peak=$kb
    done
    sleep 0.05
  done
  wait "$route" && passed=yes || passed=no
  grep -q '^\[  SKIPPED \]' "$out/memory-route.log" && passed="no, skipped: the demo printers did not start"
  "$KELO_ROOT/scripts/install-printers" --remove "$KELO_ROOT/sim/scenarios/demo.scenario" >/dev/null
  kelo_stop_demo
  # What Wine itself holds privately: the minimal dialog program with its window up.
  kelo_wine "$win/bench/minimal_dialog.exe" >/dev/null 2>&1 &
  dialog=$!
  sleep 3
  base=0
  for pid in $(pgrep -f "$(basename "$KELO_ROOT").*minimal_dialog\.exe" || true); do
    base=$(awk '/^(Private_Clean|Private_Dirty|Swap):/{s += $2} END { print s + 0 }' "/proc/$pid/smaps_rollup")
    kill "$pid"
  done
  wait "$dialog" 2>/dev/null || true
  mb=$(awk -v k="$peak" 'BEGIN { printf "%.1f", k / 1024 }')
  row "peak private memory through a whole diagnosis (route test passed: $passed; log build/bench/memory-route.log)" \
    "KeloTessaly.exe" "$mb MB" "the minimal dialog program, window up" "$(awk -v k="$base" 'BEGIN { printf "%.1f", k / 1024 }') MB" \
    "$(ratio "$peak" "$base")" \
    "under 40 MB" "$(awk -v m="$mb" -v p="$peak" 'BEGIN { print (p == 0 ? "not measured" : m < 40 ? "met" : "missed") }')"
fi

# The table, and the same as JSON.
python3 - "$table" "$out/table.json" "$runs" <<'EOF'
import json, sys
rows = [line.rstrip("\n").split("\t") for line in open(sys.argv[1]) if line.strip()]
keys = ["row", "ours", "ours_figure", "reference", "reference_figure", "ratio", "goal", "verdict"]
records = [dict(zip(keys, r)) for r in rows]
with open(sys.argv[2], "w") as out:
    json.dump({"runs_per_figure": int(sys.argv[3]), "rows": records}, out, indent=2)
print("\n| row | ours | reference | ratio | goal | verdict |\n|---|---|---|---|---|---|")
for r in records:
    print("| %s | %s: %s | %s: %s | %s | %s | %s |" % (r["row"], r["ours"], r["ours_figure"], r["reference"],
          r["reference_figure"], r["ratio"], r["goal"], r["verdict"]))
print("\nJSON: " + sys.argv[2])
EOF
