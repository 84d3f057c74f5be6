#!/usr/bin/env bash
# Runs loader.exe under Wine in a scratch folder, shows its log, and reads and closes the box the run
# ends in with the UI probe.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
preset=win64
"$root/scripts/can-run-32bit.sh" && preset=win32
bits=${preset#win}
build="$root/build/$preset"
if [ "$preset" = win64 ]; then
  echo "== this machine cannot execute 32-bit code: the demo runs the x86_64 build of the same sources"
  cmake --preset win64 >/dev/null
  cmake --build --preset win64
fi
prefix="$build/wineprefix"
"$root/scripts/wine-env.sh" start "$prefix" "$bits"
trap '"$root/scripts/wine-env.sh" stop "$prefix" "$bits"' EXIT
export DISPLAY=$(cat "$prefix/.display")
run() { "$root/scripts/wine-run.sh" "$prefix" "$bits" "$@"; }

scratch=$(mktemp -d /tmp/loader-demo.XXXXXX)
mkdir -p "$scratch/orb5"
cp "$build/bin/loader.exe" "$scratch/orb5/"
echo "== scratch folder: $scratch"
echo "== loader.exe orb5 (no ini file, no distributives)"
(cd "$scratch/orb5" && run ./loader.exe orb5) &
loader=$!
echo "== the box the run ends in:"
run "$build/bin/uiprobe.exe" --class "#32770" --timeout 20000 --press OK || true
wait $loader || true
echo "== loader.log (OEM code page shown as UTF-8):"
iconv -f CP866 -t UTF-8 "$scratch/orb5/loader.log" | sed 's/\r$//' | sed 's/^/   | /'
rm -rf "$scratch"
