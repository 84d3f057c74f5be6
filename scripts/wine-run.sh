#!/usr/bin/env bash
# Runs a Windows program under Wine in the given prefix, as on the target systems: code pages
# 1251/866, no Mono/Gecko prompts, no debug noise.  Usage: wine-run.sh PREFIX BITS PROGRAM [ARGS...]
set -u
prefix=$1 bits=$2; shift 2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-common.sh"
wine_setup_env "$prefix" "$bits"
[ -f "$WINEPREFIX/system.reg" ] || "$here/wine-env.sh" prefix "$prefix" "$bits" >&2
if [ -z "${DISPLAY:-}" ] && [ -f "$WINEPREFIX/.display" ]; then
  export DISPLAY=$(cat "$WINEPREFIX/.display")
fi
exec "$WINE_LOADER" "$@"
