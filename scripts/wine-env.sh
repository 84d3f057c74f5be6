#!/usr/bin/env bash
# The Wine side of a test run or demo.
#   wine-env.sh prefix PREFIX BITS   create the prefix once (no crash dialog, no Mono/Gecko)
#   wine-env.sh start PREFIX BITS    the prefix, an Xvfb display and a persistent wineserver
#   wine-env.sh stop PREFIX BITS     end the wineserver and the display
set -u
cmd=$1 prefix=$2 bits=${3:-64}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-common.sh"
wine_setup_env "$prefix" "$bits"
export LC_ALL=C.UTF-8  # the shell itself; the programs get ru_RU through wine-run.sh

make_prefix() {
  mkdir -p "$(dirname "$prefix")"
  exec 9>"$prefix.lock"
  flock 9
  if [ ! -f "$prefix/system.reg" ]; then
    echo "wine-env: creating prefix $prefix" >&2
    DISPLAY= "$WINE_LOADER" wineboot --init >/dev/null 2>&1
    "$WINE_LOADER" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    "$WINE_SERVER" -w
  fi
  flock -u 9
}

case "$cmd" in
prefix)
  make_prefix ;;
start)
  make_prefix
  for n in $(seq 90 140); do
    { [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; } && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    echo $! > "$prefix/.xvfb.pid"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    echo ":$n" > "$prefix/.display"
    break
  done
  # In the background: a server already running for this prefix makes a second one wait forever.
  DISPLAY=$(cat "$prefix/.display") "$WINE_SERVER" -p &
  disown
  # Start the prefix's background services now, detached from any pipe: started by the first program
  # of a pipeline they would hold its output open after the program ends.
  DISPLAY=$(cat "$prefix/.display") "$WINE_LOADER" wineboot </dev/null >/dev/null 2>&1 || true
  ;;
stop)
  "$WINE_SERVER" -k 2>/dev/null || true
  if [ -f "$prefix/.xvfb.pid" ]; then kill "$(cat "$prefix/.xvfb.pid")" 2>/dev/null || true; fi
  rm -f "$prefix/.xvfb.pid" "$prefix/.display"
  ;;
*)
  echo "usage: wine-env.sh prefix|start|stop PREFIX [32|64]" >&2; exit 2 ;;
esac
