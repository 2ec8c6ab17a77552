#!/usr/bin/env bash
# lumarin-host in constant memory: its peak resident size after 100,000 commands stays within
# 1 MiB of its peak after 1,000 (every kind of command, repeated).
#   host_soak.sh LUMARIN_HOST
set -euo pipefail
host=$1
commands() {
  local i
  for ((i = 0; i < $1; i += 5)); do
    printf '%s\n' "flash Lumarin_GetPetInfo 11" "page Lumarin_GetPetInfoList 11,22,$i" \
      "flash Lumarin_GetPetInfoList 433791706897,$i" "cached 11" "fail"
  done
}
peak_kib() {
  local out
  out=$(mktemp)
  commands "$1" | /usr/bin/time -f %M -o "$out" "$host" >/dev/null 2>&1
  cat "$out"
  rm -f "$out"
}
short=$(peak_kib 1000)
long=$(peak_kib 100000)
echo "peak resident size: $short KiB after 1,000 commands, $long KiB after 100,000"
if [ $((long - short)) -gt 1024 ]; then
  echo "lumarin-host grew by $((long - short)) KiB: more than 1 MiB" >&2
  exit 1
fi
