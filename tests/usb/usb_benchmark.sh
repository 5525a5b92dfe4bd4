#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The libusb path under emulation, measured: processor time of one exchange
# that waits the whole 4000 ms for a reply that never comes; the time from a
# reply being queued at the device to Transact returning; and
# `vantrelctl edid read box` through libusb and the emulation against the
# in-process simulated box. Usage: usb_benchmark.sh BUILD-DIR [RUNS]
set -euo pipefail
BUILD="${1:?usage: usb_benchmark.sh BUILD-DIR [RUNS]}"
RUNS="${2:-5}"
RIG="$BUILD/tests/usb/vantrel-usb-rig"
PROBE="$BUILD/tests/usb/vantrel-usb-probe"
CTL="$BUILD/cli/vantrelctl"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
unset VANTREL_USB_LIBRARY
export VANTREL_SIM="state=$WORK/state"

median() { sort -n | awk '{v[NR]=$1} END {print (NR%2 ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2)}'; }
field() { sed -n "s/.* $1=\([0-9.]*\).*/\1/p"; }

line=$(VANTREL_SIM="state=$WORK/state;fault=*:noreply" "$RIG" -- "$PROBE" 6)
echo "one exchange with no reply: $(echo "$line" | field wall) ms, of it $(echo "$line" | field cpu) ms processor time in the program"

"$RIG" --latency 50 --log "$WORK/rig.log" -- "$PROBE" $(printf '6 %.0s' $(seq 20)) | field end > "$WORK/end"
sed -n 's/^reply due //p' "$WORK/rig.log" > "$WORK/due"
echo "reply queued at the device -> Transact returned: $(paste "$WORK/due" "$WORK/end" | awk '{print $2 - $1}' | median) us (median of 20)"

ms() { local t0 t1; t0=$(date +%s%N); "$@" > /dev/null 2>&1; t1=$(date +%s%N); echo $(( (t1 - t0) / 1000000 )); }
usb=$(for i in $(seq "$RUNS"); do ms "$RIG" -- "$CTL" edid read box; done | median)
sim=$(for i in $(seq "$RUNS"); do ms "$CTL" --usb-library simulator edid read box; done | median)
echo "vantrelctl edid read box, median of $RUNS: libusb + emulation ${usb} ms, simulated box ${sim} ms, ratio $(awk -v a="$usb" -v b="$sim" 'BEGIN {printf "%.2f", a / b}')"
