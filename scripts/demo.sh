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
trap '"$root/scripts/wine-env.sh" stop "$prefix" "$bits"; rm -rf "$scratch"' EXIT
bin="$build/bin"
mkdir -p "$scratch/orb5"
cp "$bin/loader.exe" "$scratch/orb5/"
echo "== scratch folder: $scratch"
show_log() {  # the progress lines are OEM (866), the error record ANSI (1251)
  sed 's/\r$//' "$1" | while IFS= read -r line; do
    if [[ "$line" == *", ERR: "* ]]; then printf '%s\n' "$line" | iconv -f CP1251 -t UTF-8
    else printf '%s\n' "$line" | iconv -f CP866 -t UTF-8; fi
  done | sed 's/^/   | /'
}

echo
echo "== 1. loader.exe --help: the usage text in a box captioned Loader.exe"
(cd "$scratch/orb5" && run ./loader.exe --help) &
loader=$!
run "$bin/uiprobe.exe" --caption Loader.exe --timeout 20000 --press OK | iconv -f CP1251 -t UTF-8 || true
wait $loader || true
echo "   loader.log:"; show_log "$scratch/orb5/loader.log"

echo
echo "== 2. loader.exe orb5 without an ini file: the run ends in the error box"
(cd "$scratch/orb5" && run ./loader.exe orb5 >/dev/null) &
loader=$!
run "$bin/uiprobe.exe" --class "#32770" --timeout 20000 --press OK | iconv -f CP1251 -t UTF-8 || true
wait $loader || true
echo "   loader.log:"; show_log "$scratch/orb5/loader.log"

echo
echo "== 3. distpack: a signed distributive of a program, checked and unpacked again"
cp "$bin/SampleTarget.exe" "$scratch/orb5/app.exe"
mkdir -p "$scratch/.dist"
keys="$root/keys"
cp "$keys/demo-private.key" "$keys/demo-public.key" "$scratch/"
(cd "$scratch" && run "$bin/distpack.exe" pack --key demo-private.key --method lzma --version 1.2.3.4 \
    orb5/app.exe .dist/app.exe.1.2.3.4.dist && \
  run "$bin/distpack.exe" info .dist/app.exe.1.2.3.4.dist && \
  run "$bin/distpack.exe" verify --key demo-public.key .dist/app.exe.1.2.3.4.dist && \
  run "$bin/distpack.exe" unpack --key demo-public.key .dist/app.exe.1.2.3.4.dist app-restored.exe) 2>&1 \
  | sed 's/\r$//; s/^/   | /'
cmp "$scratch/orb5/app.exe" "$scratch/app-restored.exe" && echo "   restored bytes are identical"
printf 'X' | dd of="$scratch/.dist/app.exe.1.2.3.4.dist" bs=1 seek=100 conv=notrunc status=none
echo "   after changing one byte:"
(cd "$scratch" && run "$bin/distpack.exe" verify --key demo-public.key .dist/app.exe.1.2.3.4.dist) 2>&1 \
  | sed 's/\r$//; s/^/   | /' || true

echo
echo "== 4. OrbAfterSetup: the user's proxy settings into orb.ini [ICS]"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings'
run reg add "$key" /v ProxyEnable /t REG_DWORD /d 1 /f >/dev/null 2>&1
run reg add "$key" /v ProxyServer /t REG_SZ /d 'http=proxy1.example:3128;https=proxy1.example:8443;socks=10.0.0.2:1080' /f >/dev/null 2>&1
mkdir -p "$scratch/orb"
cp "$bin/OrbAfterSetup.exe" "$scratch/orb/"
printf '; settings of the application\r\n[Main]\r\nLanguage=ru\r\n' > "$scratch/orb/orb.ini"
(cd "$scratch/orb" && run ./OrbAfterSetup.exe) 2>&1 | sed 's/\r$//; s/^/   | /'
echo "   orb.ini:"; sed 's/\r$//; s/^/   | /' "$scratch/orb/orb.ini"
run reg delete "$key" /v ProxyServer /f >/dev/null 2>&1 || true
run reg add "$key" /v ProxyEnable /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
