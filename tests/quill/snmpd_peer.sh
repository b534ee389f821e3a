#!/bin/sh
# Starts or stops net-snmp's snmpd on 127.0.7.50:161 serving a few Quill objects, for the SNMP
# stack's real-peer test. Without snmpd the start writes "absent" and the test skips.
#   snmpd_peer.sh start STATE_DIR | stop STATE_DIR
set -e
action=$1
state=$2
mkdir -p "$state"
case "$action" in
start)
  if ! command -v snmpd >/dev/null 2>&1 && [ ! -x /usr/sbin/snmpd ]; then
    echo absent > "$state/status"
    exit 0
  fi
  cat > "$state/snmpd.conf" <<'CONF'
rocommunity public 127.0.0.0/8
rwcommunity public 127.0.0.0/8
sysName kelo-peer
override .1.3.6.1.4.1.48213.2.3.9.1.1.7.0 octet_str "MFG:Kelo;MDL:Peer 1;S:03800080000200201F000000000000;"
override .1.3.6.1.4.1.48213.2.3.9.4.2.1.4.1.2.5.0 integer 4321
override .1.3.6.1.4.1.48213.2.3.9.4.2.1.2.2.2.1.0 octet_str "0010"
override -rw .1.3.6.1.4.1.48213.2.3.9.4.2.1.1.5.2.0 integer 0
CONF
  rm -f "$state/pid" "$state/status"
  PATH=$PATH:/usr/sbin snmpd -C -c "$state/snmpd.conf" -Lf "$state/snmpd.log" -p "$state/pid" udp:127.0.7.50:161
  for _ in $(seq 1 50); do
    [ -s "$state/pid" ] && { echo running > "$state/status"; exit 0; }
    sleep 0.1
  done
  echo "snmpd did not start" >&2
  cat "$state/snmpd.log" >&2
  exit 1
  ;;
stop)
  if [ -s "$state/pid" ]; then
    kill "$(cat "$state/pid")" 2>/dev/null || true
    rm -f "$state/pid"
  fi
  ;;
esac
