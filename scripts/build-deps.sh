#!/usr/bin/env bash
# Cross-builds libpng and libjpeg-turbo from Debian's source packages into
# a cache folder, and GoogleTest from the sources Debian's googletest package
# installs. Runs once; later calls find the stamp and return at once.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
deps=${1:-$top/build/deps}
prefix=$deps/prefix
stamp=$prefix/.built
[ -f "$stamp" ] && exit 0
mkdir -p "$deps/src" "$prefix"
toolchain=$top/cmake/mingw-w64-x86_64.cmake

ensure_deb_src() {
  if ! grep -rqs '^Types:.*deb-src\|^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    local f=/etc/apt/sources.list.d/debian.sources
    [ -f "$f" ] || f=$(grep -rls 'deb.debian.org' /etc/apt/sources.list.d/ | head -n1)
    sed 's/^Types: deb$/Types: deb-src/' "$f" > /etc/apt/sources.list.d/mirabex-src.sources
    apt-get update -q
  fi
}

find_source() { # package -> unpacked directory, or nothing
  find "$deps/src" -mindepth 1 -maxdepth 1 -type d -name "${1%%[0-9.]*}*" | head -n1
}

fetch_source() { # package -> unpacked directory
  local pkg=$1 v
  if [ -z "$(find_source "$pkg")" ]; then
    # The newest version can be missing from a mirror: fall back to older ones.
    for v in "" $(apt-cache showsrc "$pkg" | sed -n 's/^Version: //p'); do
      (cd "$deps/src" && apt-get source -q "$pkg${v:+=$v}" >/dev/null 2>&1) && break
      rm -rf "$deps/src/${pkg%%[0-9.]*}"*
    done
  fi
  local dir
  dir=$(find_source "$pkg")
  [ -n "$dir" ] || { echo "cannot fetch the source of $pkg" >&2; exit 1; }
  echo "$dir"
}

cmake_build() { # source dir, build name, extra args...
  local src=$1 name=$2; shift 2
  cmake -S "$src" -B "$deps/build-$name" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DMX_DEPS_PREFIX="$prefix" "$@" >/dev/null
  cmake --build "$deps/build-$name" >/dev/null
  cmake --install "$deps/build-$name" >/dev/null
}

ensure_deb_src
png=$(fetch_source libpng1.6)
jpeg=$(fetch_source libjpeg-turbo)

cmake_build "$png" png -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF \
  -DPNG_EXECUTABLES=OFF -DPNG_BUILD_ZLIB=OFF \
  -DZLIB_LIBRARY=/usr/x86_64-w64-mingw32/lib/libz.a \
  -DZLIB_INCLUDE_DIR=/usr/x86_64-w64-mingw32/include
cmake_build "$jpeg" jpeg -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF \
  -DWITH_TURBOJPEG=OFF -DWITH_JPEG8=OFF
cmake_build /usr/src/googletest gtest -DBUILD_GMOCK=OFF -DINSTALL_GTEST=ON \
  -Dgtest_disable_pthreads=OFF
touch "$stamp"
