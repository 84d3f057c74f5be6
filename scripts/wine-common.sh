# Shared by the Wine scripts: the environment of one prefix and the loader/server of its bitness.
wine_setup_env() {  # PREFIX BITS
  export WINEPREFIX="$1" LC_ALL=ru_RU.UTF-8 2>/dev/null WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [ "$2" = 64 ]; then
    export WINEARCH=win64 WINE_LOADER=/usr/lib/wine/wine64 WINE_SERVER=/usr/lib/wine/wineserver64
  else
    export WINEARCH=win32 WINE_LOADER=/usr/lib/wine/wine WINE_SERVER=/usr/lib/wine/wineserver32
  fi
}
