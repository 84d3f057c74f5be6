#!/usr/bin/env bash
# Builds every configuration and runs every test: the native ones directly, the Windows ones under Wine.
# The 32-bit programs are what ships; where this machine cannot execute 32-bit code, the Windows tests
# run on the x86_64 build of the same sources (win64) instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
run_presets=${PRESETS:-"native native-asan win64"}
if [[ " $run_presets " == *" win64 "* ]] && "$root/scripts/can-run-32bit.sh"; then
  run_presets=${run_presets/win64/win32}
fi
build_presets="$run_presets"
[[ " $build_presets " == *" win32 "* ]] || build_presets="$build_presets win32"
for p in $build_presets; do
  echo "== build: $p"
  cmake --preset "$p" >/dev/null
  cmake --build --preset "$p"
done
status=0
for p in $run_presets; do
  if [ "$p" = win32 ] || [ "$p" = win64 ]; then
    bits=${p#win}
    prefix="$root/build/$p/wineprefix"
    "$root/scripts/wine-env.sh" start "$prefix" "$bits"
    trap '"$root/scripts/wine-env.sh" stop "$prefix" "$bits"' EXIT
    export DISPLAY=$(cat "$prefix/.display")
  fi
  # Figures from the sanitizer build would only measure the sanitizers.
  if [ "$p" != native-asan ]; then
    echo "== benchmarks: $p (figures against a baseline from the same run)"
    ctest --preset "$p" -L bench -V 2>&1 | grep -E '^[0-9]+: (ratio|target|.* MB/s)' || status=1
  fi
  echo "== tests: $p"
  ctest --preset "$p" -LE bench || status=1
done
exit $status
