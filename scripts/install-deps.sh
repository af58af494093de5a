#!/usr/bin/env bash
# Installs the Debian packages the build needs, only those that are missing.
# Usage: scripts/install-deps.sh [--windows] [--fuzz] [--abi] [--docs]
set -euo pipefail

packages=(cmake g++ ninja-build ccache make libfmt-dev libspdlog-dev libmsgpack-cxx-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev libstb-dev libboost-dev
  nlohmann-json3-dev gnuplot-nox libzmq3-dev cppzmq-dev)
for arg in "$@"; do
  case "$arg" in
    --windows) packages+=(g++-mingw-w64-x86-64-posix wine64) ;;
    --fuzz) packages+=(clang libclang-rt-14-dev) ;;
    --abi) packages+=(abigail-tools python3) ;;
    --docs) packages+=(doxygen) ;;
    *) echo "install-deps: unknown option $arg" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
echo "install-deps: installing ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
