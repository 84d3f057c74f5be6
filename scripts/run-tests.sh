#!/usr/bin/env bash
# Builds both configurations and runs every test: the native ones directly, the Windows ones under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
presets=${PRESETS:-native native-asan win32}
for p in $presets; do
  cmake --preset "$p" >/dev/null
  cmake --build --preset "$p"
done
status=0
for p in $presets; do
  if [ "$p" = win32 ]; then
    prefix="$root/build/win32/wineprefix"
    "$root/scripts/wine-env.sh" start "$prefix"
    trap '"$root/scripts/wine-env.sh" stop "$prefix"' EXIT
    export DISPLAY=$(cat "$prefix/.display")
  fi
  echo "== tests: $p"
  ctest --preset "$p" || status=1
done
exit $status
