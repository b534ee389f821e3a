#!/usr/bin/env bash
# The network search rows of the performance table alone (bench/run.sh): the component's search
# of a loopback /24 with 20 simulated printers and of the realistic /24 in network namespaces,
# each beside nmap, and the search window's whole path.
# usage: bench/diagcore/search_bench.sh   (KELO_BENCH_RUNS, KELO_ARCH as for bench/run.sh)
KELO_BENCH_ROWS=search,realistic exec "$(dirname "${BASH_SOURCE[0]}")/../run.sh" "$@"
