#!/usr/bin/env bash
# Installs a build into a temporary prefix, as a host receives the package, checks that
# none of the host's closed libraries came with it, provides the stand-ins of those in
# a folder of their own (as the host's libraries), then builds a host project against
# the installed package and runs it.
#
#   tests/package/run.sh BUILD PROJECT PROGRAM [--windows | --plain-link]
#
# PROJECT is the host project's folder (tests/package, examples/minimal-host), PROGRAM
# the executable it builds. With --windows, BUILD is the MinGW cross build: the project
# is cross-built with the same toolchain and PROGRAM runs under Wine (WINEPREFIX set).
# With --plain-link the project's sources are also built by the compiler alone, with
# the include folders and -l options a build without CMake gives, and run.
set -euo pipefail
build=$(cd "$1" && pwd)
project=$2
program=$3
mode=${4:-}
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
    echo "package: $*" >&2
    exit 1
}

prefix=$work/prefix
hostlibs=$work/hostlibs
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
cmake --install "$build" --prefix "$prefix" >/dev/null
# The host interface headers (zqmediacore.h, ...) declare them; their files must not come.
shipped=$(find "$prefix" -path "$prefix/include" -prune -o \
    \( -name '*zqmediacore*' -o -name '*zqcutils*' -o -name '*tavcore*' -o -name '*jtspdlog*' \) -print)
[[ -z $shipped ]] || fail "the package ships the host's libraries:"$'\n'"$shipped"
cmake --install "$build" --component hoststandins --prefix "$hostlibs" >/dev/null

configure=(-G Ninja --no-warn-unused-cli -DQRC_PACKAGE_VERSION="$version")
if [[ $mode == --windows ]]; then
    # The toolchain searches the target's root only: the package is named by its folder.
    configure+=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake"
        -Dqorvarenderctrl_DIR="$prefix/lib/cmake/qorvarenderctrl")
    strings -el "$prefix/bin/qorvarenderctrl.dll" | grep -qx "$version" ||
        fail "the DLL's version resource does not name $version"
else
    configure+=(-DCMAKE_PREFIX_PATH="$prefix")
fi

# Without the host's libraries the package is not found.
if cmake -S "$project" -B "$work/nohost" "${configure[@]}" >"$work/nohost.log" 2>&1; then
    fail "the package was found without the host's libraries"
fi
grep -q "zqmediacore" "$work/nohost.log" || { cat "$work/nohost.log"; fail "the missing host libraries were not named"; }

cmake -S "$project" -B "$work/host" "${configure[@]}" -DQORVA_HOST_LIBRARY_DIR="$hostlibs/lib" >"$work/configure.log" ||
    { cat "$work/configure.log"; fail "configuring $project failed"; }
cmake --build "$work/host" >"$work/build.log" || { cat "$work/build.log"; fail "building $project failed"; }

if [[ $mode == --windows ]]; then
    # The host's DLLs and the library's are found on Wine's search path.
    export WINEPATH="Z:${prefix//\//\\}\\bin;Z:${hostlibs//\//\\}\\bin"
    "$root/scripts/wine-run.sh" "$work/host/$program.exe"
else
    LD_LIBRARY_PATH="$hostlibs/lib" "$work/host/$program"
fi

if [[ $mode == --plain-link ]]; then
    "${CXX:-c++}" -std=c++20 -I"$prefix/include" -I"$prefix/include/qorvahost-headers" "$project"/*.cpp \
        -o "$work/plain" -L"$prefix/lib" -L"$hostlibs/lib" -lqorvarenderctrl \
        -lzqmediacore -lzqcutils -ltavcore -ljtspdlog -Wl,-rpath,"$prefix/lib"
    LD_LIBRARY_PATH="$hostlibs/lib" "$work/plain"
fi
