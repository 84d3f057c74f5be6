#!/usr/bin/env bash
# Runs a Windows program under Wine in the given prefix, as on the target systems:
# code pages 1251/866, no Mono/Gecko prompts, no debug noise.  Usage: wine-run.sh PREFIX PROGRAM [ARGS...]
set -u
export WINEPREFIX="$1"; shift
export LC_ALL=ru_RU.UTF-8 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
here=$(cd "$(dirname "$0")" && pwd)
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$here/wine-env.sh" prefix "$WINEPREFIX" >&2
fi
if [ -z "${DISPLAY:-}" ] && [ -f "$WINEPREFIX/.display" ]; then
  export DISPLAY=$(cat "$WINEPREFIX/.display")
fi
exec wine "$@"
