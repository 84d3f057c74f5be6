#!/usr/bin/env bash
# Installs everything the build and the tests need on a fresh Debian 12 machine (run as root).
# Safe to run again: installed packages and cached libraries are left alone.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
deps="${DEPS_DIR:-$here/build/deps}"

need_pkgs=(cmake make g++ pkg-config git ca-certificates dpkg-dev
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  libz-mingw-w64-dev
  wine wine32:i386 wine64 xvfb x11-utils imagemagick file
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

# libbz2 and liblzma for Windows (i686 for the programs, x86_64 for test runs on machines that cannot
# execute 32-bit code), cross-built from Debian's own source packages.
mkdir -p "$deps"
src="$deps/src"
fetch_sources() {
  [ -f "$src/bzip2_1.0.8.orig.tar.gz" ] && [ -f "$src/xz-utils_5.4.1.orig.tar.xz" ] && return
  mkdir -p "$src/apt/lists/partial" "$src/apt/archives/partial"
  # A private sources list, so the machine's apt configuration stays as it is.
  uri=$(grep -h -o -E 'https?://[^ ]*debian/?( |$)' /etc/apt/sources.list.d/*.sources /etc/apt/sources.list 2>/dev/null | head -n1 | tr -d ' ' || true)
  uri=${uri:-http://deb.debian.org/debian}
  echo "deb-src [trusted=yes] $uri bookworm main" > "$src/apt/sources.list"
  aptopts=(-o Dir::Etc::SourceList="$src/apt/sources.list" -o Dir::Etc::SourceParts=/nonexistent
           -o Dir::State::Lists="$src/apt/lists" -o Dir::Cache::Archives="$src/apt/archives")
  apt-get "${aptopts[@]}" update -qq
  (cd "$src" && apt-get "${aptopts[@]}" -qq source --download-only bzip2 xz-utils >/dev/null)
}
build_deps() {  # $1 = mingw triplet, $2 = install prefix
  local host=$1 prefix=$2 work="$src/build-$1"
  [ -f "$prefix/lib/libbz2.a" ] && [ -f "$prefix/lib/liblzma.a" ] && return
  fetch_sources
  rm -rf "$work" && mkdir -p "$work/bz" "$work/xz" "$prefix/lib" "$prefix/include"
  tar -xf "$src/bzip2_1.0.8.orig.tar.gz" -C "$work/bz" --strip-components=1
  (cd "$work/bz" && for f in blocksort huffman crctable randtable compress decompress bzlib; do
     "$host-gcc-posix" -O2 -D_FILE_OFFSET_BITS=64 -c $f.c -o $f.o; done
   "$host-ar" rcs "$prefix/lib/libbz2.a" *.o && cp bzlib.h "$prefix/include/")
  tar -xf "$src/xz-utils_5.4.1.orig.tar.xz" -C "$work/xz" --strip-components=1
  cat > "$work/toolchain.cmake" <<TC
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${host%%-*})
set(CMAKE_C_COMPILER $host-gcc-posix)
set(CMAKE_RC_COMPILER $host-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$host)
TC
  cmake -S "$work/xz" -B "$work/xz-build" -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" -DBUILD_SHARED_LIBS=OFF \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$work/xz-build" --target liblzma -j2 >/dev/null 2>&1
  cp "$work/xz-build/liblzma.a" "$prefix/lib/"
  cp -r "$work/xz/src/liblzma/api/lzma.h" "$work/xz/src/liblzma/api/lzma" "$prefix/include/"
  rm -rf "$work"
}
build_deps i686-w64-mingw32 "$deps/mingw32"
build_deps x86_64-w64-mingw32 "$deps/mingw64"
echo "setup: done"
