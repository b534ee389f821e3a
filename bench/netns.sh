# The realistic /24 of the benchmark: two network namespaces joined by a veth pair. The
# printers' namespace holds the printer addresses; the searcher's namespace holds one address
# of the same /24 and nothing else, so every other address gets no ARP answer and its probes
# no reply at all, as on an office network. Neither namespace has a route anywhere else.
# shellcheck shell=bash

KELO_NETNS_SEARCHER=kelo-bench-search-$$
KELO_NETNS_PRINTERS=kelo-bench-printers-$$
# A /24 of the private ranges that nothing on the host uses; it exists only inside the two namespaces.
KELO_NETNS_NETWORK=10.213.77
KELO_NETNS_SEARCHER_ADDRESS=$KELO_NETNS_NETWORK.250

# kelo_netns_up FIRST COUNT: makes the pair with printer addresses .FIRST to .FIRST+COUNT-1;
# fails (with a reason on stderr) when this machine cannot make namespaces.
kelo_netns_up() {
  local first=$1 count=$2 i
  [ "$(id -u)" -eq 0 ] || { echo "not root" >&2; return 1; }
  command -v ip >/dev/null || { echo "no ip command (iproute2)" >&2; return 1; }
  ip netns add "$KELO_NETNS_SEARCHER" || return 1
  ip netns add "$KELO_NETNS_PRINTERS" || { kelo_netns_down; return 1; }
  ip link add kbs$$ netns "$KELO_NETNS_SEARCHER" type veth peer name kbp$$ netns "$KELO_NETNS_PRINTERS" ||
    { kelo_netns_down; return 1; }
  ip -n "$KELO_NETNS_SEARCHER" addr add "$KELO_NETNS_SEARCHER_ADDRESS/24" dev kbs$$
  for i in $(seq "$first" $((first + count - 1))); do
    ip -n "$KELO_NETNS_PRINTERS" addr add "$KELO_NETNS_NETWORK.$i/24" dev kbp$$
  done
  local ns
  for ns in "$KELO_NETNS_SEARCHER" "$KELO_NETNS_PRINTERS"; do
    ip -n "$ns" link set lo up
    ip netns exec "$ns" ip link set "$(ip -n "$ns" -o link show type veth | awk -F'[:@ ]+' '{print $2}')" up
  done
  # The printers answer refused ports with ICMP at once: no rate limit on the unreachables.
  ip netns exec "$KELO_NETNS_PRINTERS" sysctl -qw net.ipv4.icmp_ratelimit=0
}

kelo_netns_down() {
  ip netns del "$KELO_NETNS_SEARCHER" 2>/dev/null || true
  ip netns del "$KELO_NETNS_PRINTERS" 2>/dev/null || true
}

kelo_in_searcher() { ip netns exec "$KELO_NETNS_SEARCHER" "$@"; }
kelo_in_printers() { ip netns exec "$KELO_NETNS_PRINTERS" "$@"; }
