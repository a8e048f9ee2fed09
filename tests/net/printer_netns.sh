#!/bin/bash
# SPDX-License-Identifier: MIT
# Runs a command in a network of our own with simulated printers answering UDP
# on port 22368, so discovery's broadcasts and multicasts never leave it.
#
#   printer_netns.sh SIM SET -- COMMAND...
#
# SIM is the m350-printer-sim binary; SET names the printers:
#   three  alpha (answers both passes), beta (broadcast only), gamma (silent)
#   flood  alpha, and flood (a stream of replies, 1 ms apart, for 30 s)
# COMMAND runs with M350_NETNS_DIR naming a folder with each printer's
# transcript (alpha.txt ...) and M350_NETNS_MODE (veth or loopback).
#
# As root: two namespaces joined by a veth pair, the printers in one, COMMAND
# in the other with routes for 255.255.255.255/32 and 224.0.0.0/4 on its end.
# Otherwise: one namespace of a new user namespace (unshare -rn) with the same
# routes on its loopback. Where neither can be made it exits 77 (skipped) and
# says why. The namespaces and printers are removed on every path.
set -u
SIM=$1
SET=$2
shift 2
[ "${1:-}" = "--" ] && shift

skip() {
    echo "SKIPPED: $*: network namespaces cannot be made here" >&2
    exit 77
}

printers() {
    case "$SET" in
    three)
        echo "alpha --set NETNAME=Alpha --set MACADDR=02:00:00:35:00:0A --set LASTUSEDIP=10.203.0.10 --udp-model M350-203"
        echo "beta --set NETNAME=Beta --set MACADDR=02:00:00:35:00:0B --set LASTUSEDIP=10.203.0.11 --udp-answer broadcast --udp-state 3 --udp-flags 0x02"
        echo "gamma --set NETNAME=Gamma --set MACADDR=02:00:00:35:00:0C --udp-answer none"
        ;;
    flood)
        echo "alpha --set NETNAME=Alpha --set MACADDR=02:00:00:35:00:0A --set LASTUSEDIP=10.203.0.10"
        echo "flood --set NETNAME=Flood --set MACADDR=02:00:00:35:00:0F --udp-flood 30000:1"
        ;;
    *) echo "unknown set $SET" >&2; exit 2 ;;
    esac
}

DIR=$(mktemp -d /tmp/m350-netns.XXXXXX)
PIDS=()
NS_A="" NS_P=""
cleanup() {
    for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null; done
    for p in "${PIDS[@]}"; do wait "$p" 2>/dev/null; done
    [ -n "$NS_A" ] && ip netns del "$NS_A" 2>/dev/null
    [ -n "$NS_P" ] && ip netns del "$NS_P" 2>/dev/null
    rm -rf "$DIR"
}
trap cleanup EXIT
trap 'exit 143' TERM INT

# start_printers PREFIX...: each printer of the set, its ready file awaited.
start_printers() {
    while read -r name args; do
        # shellcheck disable=SC2086
        "$@" "$SIM" --udp 0.0.0.0:22368 --ready-file "$DIR/$name.ready" \
            --transcript "$DIR/$name.txt" $args >"$DIR/$name.log" 2>&1 &
        PIDS+=($!)
    done < <(printers)
    for _ in $(seq 1 500); do
        local all=1
        while read -r name _; do [ -f "$DIR/$name.ready" ] || all=0; done < <(printers)
        [ $all = 1 ] && return 0
        sleep 0.01
    done
    echo "printers did not start:" >&2
    cat "$DIR"/*.log >&2
    return 1
}

export M350_NETNS_DIR=$DIR

if [ "${M350_NETNS_INNER:-}" = "1" ]; then
    # Inside unshare -rn: one namespace, the loopback carries both passes.
    ip link set lo up || exit 1
    ip link set lo multicast on 2>/dev/null
    ip route add 255.255.255.255/32 dev lo || exit 1
    ip route add 224.0.0.0/4 dev lo || exit 1
    export M350_NETNS_MODE=loopback
    start_printers env || exit 1
    "$@"
    exit $?
fi

if [ "$(id -u)" = 0 ] && ip netns add "m350-a-$$" 2>/dev/null; then
    NS_A="m350-a-$$"
    NS_P="m350-p-$$"
    ip netns add "$NS_P" || exit 1
    ip link add "m350a$$" type veth peer name "m350p$$" || exit 1
    ip link set "m350a$$" netns "$NS_A" || exit 1
    ip link set "m350p$$" netns "$NS_P" || exit 1
    ip -n "$NS_A" addr add 10.203.0.1/24 dev "m350a$$"
    ip -n "$NS_P" addr add 10.203.0.2/24 dev "m350p$$"
    for ns in "$NS_A" "$NS_P"; do ip -n "$ns" link set lo up; done
    ip -n "$NS_A" link set "m350a$$" up
    ip -n "$NS_P" link set "m350p$$" up
    ip -n "$NS_A" route add 255.255.255.255/32 dev "m350a$$" || exit 1
    ip -n "$NS_A" route add 224.0.0.0/4 dev "m350a$$" || exit 1
    ip -n "$NS_P" route add 224.0.0.0/4 dev "m350p$$" || exit 1
    export M350_NETNS_MODE=veth
    start_printers ip netns exec "$NS_P" || exit 1
    ip netns exec "$NS_A" "$@"
    exit $?
fi

if unshare -rn true 2>/dev/null; then
    rm -rf "$DIR"
    trap - EXIT
    M350_NETNS_INNER=1 exec unshare -rn "$0" "$SIM" "$SET" -- "$@"
fi
skip "neither ip netns (as root) nor unshare -rn works"
