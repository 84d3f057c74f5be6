#!/usr/bin/env bash
# Installs everything the build and the tests need on a fresh Debian 12 machine (run as root).
# Safe to run again: installed packages and cached libraries are left alone.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
deps="${DEPS_DIR:-$here/build/deps}"

need_pkgs=(cmake make g++ pkg-config git ca-certificates dpkg-dev
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
  libz-mingw-w64-dev
  wine wine32:i386 xvfb x11-utils imagemagick file
  googletest zlib1g-dev libbz2-dev liblzma-dev
  bzip2 xz-utils)

missing=()
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  apt_updated=0
fi
for p in "${need_pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# libbz2 and liblzma for i686 Windows, cross-built from Debian's own source packages.
mkdir -p "$deps"
prefix="$deps/mingw"
if [ ! -f "$prefix/lib/libbz2.a" ] || [ ! -f "$prefix/lib/liblzma.a" ]; then
  src="$deps/src"
  mkdir -p "$src/apt/lists/partial" "$src/apt/archives/partial" "$prefix/lib" "$prefix/include"
  # A private sources list, so the machine's apt configuration stays as it is.
  uri=$(grep -h -o -E 'https?://[^ ]*debian/?( |$)' /etc/apt/sources.list.d/*.sources /etc/apt/sources.list 2>/dev/null | head -n1 | tr -d ' ' || true)
  uri=${uri:-http://deb.debian.org/debian}
  echo "deb-src [trusted=yes] $uri bookworm main" > "$src/apt/sources.list"
  aptopts=(-o Dir::Etc::SourceList="$src/apt/sources.list" -o Dir::Etc::SourceParts=/nonexistent
           -o Dir::State::Lists="$src/apt/lists" -o Dir::Cache::Archives="$src/apt/archives")
  apt-get "${aptopts[@]}" update -qq
  (cd "$src" && apt-get "${aptopts[@]}" -qq source --download-only bzip2 xz-utils >/dev/null)
  cd "$src"
  if [ ! -f "$prefix/lib/libbz2.a" ]; then
    rm -rf bz && mkdir bz && tar -xf bzip2_1.0.8.orig.tar.gz -C bz --strip-components=1
    (cd bz && for f in blocksort huffman crctable randtable compress decompress bzlib; do
       i686-w64-mingw32-gcc-posix -O2 -D_FILE_OFFSET_BITS=64 -c $f.c -o $f.o; done
     i686-w64-mingw32-ar rcs "$prefix/lib/libbz2.a" *.o && cp bzlib.h "$prefix/include/")
  fi
  if [ ! -f "$prefix/lib/liblzma.a" ]; then
    rm -rf xz && mkdir xz && tar -xf xz-utils_5.4.1.orig.tar.xz -C xz --strip-components=1
    cat > xz-toolchain.cmake <<'TC'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
TC
    cmake -S xz -B xz-build -DCMAKE_TOOLCHAIN_FILE="$src/xz-toolchain.cmake" -DBUILD_SHARED_LIBS=OFF \
      -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" >/dev/null
    cmake --build xz-build --target liblzma -j2 >/dev/null
    cp xz-build/liblzma.a "$prefix/lib/"
    cp -r xz/src/liblzma/api/lzma.h xz/src/liblzma/api/lzma "$prefix/include/"
  fi
fi
echo "setup: done"
