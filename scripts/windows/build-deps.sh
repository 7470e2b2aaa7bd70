#!/usr/bin/env bash
# Builds the Windows dependency prefix once per machine and prints its path on standard output:
# Coin (Debian's coin3 source package), SoWin 1.6.3, libjpeg-turbo (Debian's source package, static) and
# GoogleTest (Debian's googletest sources), cross-built with MinGW-w64 (posix threads).
# The prefix lives in the cache folder under a name keyed by those versions, the toolchain and this recipe,
# and is reused while it is there. It is built beside its final name and renamed when complete.
#
#   PELMORA_WINDOWS_CACHE  cache folder (default ~/.cache/pelmora)
#   PELMORA_SOWIN_SOURCE   a clone of SoWin's public repository, coin3d/sowin, at its tag v1.6.3 with its
#                          submodules; or else
#   PELMORA_SOWIN_TARBALL  SoWin 1.6.3 packed (default: third_party/ of the repository)
set -euo pipefail

repo=$(cd "$(dirname "$0")/../.." && pwd)
cache=${PELMORA_WINDOWS_CACHE:-$HOME/.cache/pelmora}
sowin_source=${PELMORA_SOWIN_SOURCE:-}
sowin_tarball=${PELMORA_SOWIN_TARBALL:-$repo/third_party/sowin-1.6.3.tar.xz}
sowin_sha256=af893c28f879326764af0a626792f477dc888028c8a22db95e9b68a2d637a64a
toolchain=$repo/cmake/mingw-w64-x86_64.cmake
# Raise when a build step below changes, so that machines build the prefix again.
recipe=1

say() { echo "build-deps: $*" >&2; }
fail() { say "$*"; exit 1; }

# --- Debian packages -------------------------------------------------------------------------------------
packages=(
  cmake ninja-build dpkg-dev nasm libboost-dev googletest
  g++-mingw-w64-x86-64-posix
  wine wine64 xvfb xauth nsis
  g++ libx11-dev xdotool imagemagick
)
"$repo/scripts/install-deps.sh" "${packages[@]}" >&2

# --- Source packages through a private apt configuration --------------------------------------------------
# Its deb-src entries are the machine's own deb entries; /etc/apt stays as it is.
apt_dir=$cache/apt
mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
: >"$apt_dir/sources.list"
for list in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
  [ -f "$list" ] && sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$list" >>"$apt_dir/sources.list"
done
for sources in /etc/apt/sources.list.d/*.sources; do
  [ -f "$sources" ] && sed 's/^Types:.*/Types: deb-src/' "$sources" >"$apt_dir/sources.list.d/$(basename "$sources")"
done
apt_options=(
  -o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
  -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache" -o APT::Sandbox::User=root
)
# Refreshed when the machine's own lists were refreshed since.
if [ ! -e "$apt_dir/updated" ] || [ /var/lib/apt/lists -nt "$apt_dir/updated" ]; then
  apt-get "${apt_options[@]}" update -qq >&2
  touch "$apt_dir/updated"
fi
# The version apt-get source would fetch, read offline from the lists.
source_version() {
  apt-get "${apt_options[@]}" source --print-uris -qq "$1" |
    sed -n "s/^'[^']*' $1_\(.*\)\.dsc .*/\1/p"
}
coin_version=$(source_version coin3)
jpeg_version=$(source_version libjpeg-turbo)
[ -n "$coin_version" ] || fail "no coin3 source package found through $apt_dir"
[ -n "$jpeg_version" ] || fail "no libjpeg-turbo source package found through $apt_dir"

# --- The key ---------------------------------------------------------------------------------------------
if [ -n "$sowin_source" ]; then
  # The tag, and each submodule at the commit the tag pins (status line without a mark), no local change.
  [ "$(git -C "$sowin_source" describe --tags --exact-match HEAD 2>/dev/null)" = v1.6.3 ] ||
    fail "$sowin_source is not a clone of coin3d/sowin at its tag v1.6.3"
  if git -C "$sowin_source" submodule status | grep -qv '^ ' || [ -n "$(git -C "$sowin_source" status --porcelain)" ]; then
    fail "$sowin_source: submodules missing or not at the commits v1.6.3 pins, or changed files (git submodule update --init)"
  fi
  sowin_origin="git $(git -C "$sowin_source" rev-parse HEAD)"
else
  [ -f "$sowin_tarball" ] ||
    fail "SoWin 1.6.3 sources not found at $sowin_tarball (set PELMORA_SOWIN_SOURCE or PELMORA_SOWIN_TARBALL)"
  sowin_origin="sha256 $sowin_sha256"
fi
manifest="coin3 $coin_version
libjpeg-turbo $jpeg_version
sowin 1.6.3 $sowin_origin
googletest $(dpkg-query -W -f='${Version}' googletest)
gcc-mingw-w64-x86-64-posix $(dpkg-query -W -f='${Version}' gcc-mingw-w64-x86-64-posix)
mingw-w64-x86-64-dev $(dpkg-query -W -f='${Version}' mingw-w64-x86-64-dev)
toolchain sha256 $(sha256sum <"$toolchain" | cut -d' ' -f1)
recipe $recipe"
key=$(printf '%s\n' "$manifest" | sha256sum | cut -c1-12)
prefix=$cache/windows-deps-$key

if [ -f "$prefix/deps-key.txt" ]; then
  echo "$prefix"
  exit 0
fi

# --- Build -----------------------------------------------------------------------------------------------
mkdir -p "$cache"
exec 9>"$prefix.lock"
flock 9
if [ -f "$prefix/deps-key.txt" ]; then
  echo "$prefix"
  exit 0
fi
say "building $prefix (the first time on this machine: about 7 minutes of two idle cores)"
# A part that completed stays in the stage folder, so that an interrupted build goes on where it stopped;
# the prefix appears under its name only when every part is in.
stage=$prefix.tmp
work=$prefix.build
mkdir -p "$stage" "$work/logs" "$work/done"

if [ -z "$sowin_source" ]; then
  echo "$sowin_sha256  $sowin_tarball" | sha256sum -c --quiet - ||
    fail "$sowin_tarball is not SoWin 1.6.3 as published (SHA-256 differs)"
fi

jobs=$(nproc)
TIMEFORMAT="  %R s wall, %U s user, %S s sys"
cmake_common=(
  -G Ninja -DCMAKE_BUILD_TYPE=Release
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DPELMORA_WINDOWS_DEPS="$stage" -DCMAKE_INSTALL_PREFIX="$stage"
)

# Configures the given source in a fresh build folder with the given options, builds and installs;
# the output goes to a log, whose end is shown when it fails.
build_cmake() {
  local name=$1 source=$2 binary=$3
  shift 3
  local log=$work/logs/$name.log
  rm -rf "$binary"
  if ! { cmake -S "$source" -B "$binary" "${cmake_common[@]}" "$@" &&
         cmake --build "$binary" -j "$jobs" &&
         cmake --install "$binary"; } >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    fail "$name failed; the whole log is $log"
  fi
}

# Unpacks Debian's source package (with Debian's patches) into $work/FOLDER.
fetch_source() {
  local package=$1 folder=$2
  rm -rf "$work/$folder" "$work/$package"-*/
  (cd "$work" && apt-get "${apt_options[@]}" source -qq "$package" >"logs/$package-source.log" 2>&1) ||
    fail "apt-get source $package failed; see $work/logs/$package-source.log"
  mv "$work/$(cd "$work" && ls -d "$package"-*/ | head -n 1)" "$work/$folder"
}

build_coin() {
  fetch_source coin3 coin
  # MinGW's header is winsock2.h; under the other name the struct timeval check fails silently.
  sed -i 's/WinSock2\.h/winsock2.h/' "$work/coin/CMakeLists.txt"
  # Boost (headers only) through a folder that holds nothing else, so /usr/include stays out of the path.
  rm -rf "$work/boost-include"
  mkdir -p "$work/boost-include"
  ln -s /usr/include/boost "$work/boost-include/boost"
  build_cmake coin "$work/coin" "$work/coin-build" \
    -DCOIN_BUILD_SHARED_LIBS=ON -DCOIN_BUILD_TESTS=OFF -DCOIN_BUILD_DOCUMENTATION=OFF \
    -DHAVE_SOUND=OFF -DCOIN_HAVE_JAVASCRIPT=OFF -DBoost_INCLUDE_DIR="$work/boost-include"
}

build_sowin() {
  local source=$sowin_source
  if [ -z "$source" ]; then
    rm -rf "$work/sowin-1.6.3"
    tar -xJf "$sowin_tarball" -C "$work"
    source=$work/sowin-1.6.3
  fi
  build_cmake sowin "$source" "$work/sowin-build" \
    -DSOWIN_BUILD_SHARED_LIBS=ON -DSOWIN_BUILD_TESTS=OFF -DSOWIN_BUILD_DOCUMENTATION=OFF \
    -DCoin_DIR="$(dirname "$(find "$stage/lib/cmake" -name coin-config.cmake | head -n 1)")"
}

build_libjpeg_turbo() {
  fetch_source libjpeg-turbo libjpeg-turbo
  build_cmake libjpeg-turbo "$work/libjpeg-turbo" "$work/libjpeg-turbo-build" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF
}

build_googletest() {
  # Windows' own threads, so that users need no GTEST_HAS_PTHREAD of their own.
  build_cmake googletest /usr/src/googletest "$work/googletest-build" -Dgtest_disable_pthreads=ON
}

# Builds one part unless it completed before, and prints the time it took.
part() {
  local name=$1 version=$2
  if [ -f "$work/done/$name" ]; then
    say "$name $version: built before"
    return
  fi
  say "$name $version"
  time "build_${name//-/_}"
  touch "$work/done/$name"
}

part coin "$coin_version"
part sowin 1.6.3
part libjpeg-turbo "$jpeg_version"
part googletest "$(dpkg-query -W -f='${Version}' googletest)"

# pkg-config files and SoWin's settings name the folder they were installed into: give them the final one.
grep -rlIZ -F "$stage" "$stage" | xargs -0 -r sed -i "s|$stage|$prefix|g"
printf '%s\n' "$manifest" >"$stage/deps-key.txt"
mv "$stage" "$prefix"
rm -rf "$work"
say "prefix: $(du -sh "$prefix" | cut -f1) in $prefix"
echo "$prefix"
