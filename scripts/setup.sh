#!/usr/bin/env bash
# Installs the Debian packages the build needs (only those missing), then
# configures and builds in build/. Shared by run.sh and test.sh.
#
#   ./scripts/setup.sh [--target NAME]... [--list-packages] [cmake options]
#
# --target builds only the named targets (run.sh builds what it starts), else
# everything is built. The packages follow the options: the window
# (-DVELORANTICA_BUILD_GUI=OFF: no Qt, no X server), the tests
# (-DVELORANTICA_BUILD_TESTS=OFF: no test libraries, no validators) and the
# benchmarks (-DVELORANTICA_BUILD_BENCH=OFF), each taken from the options
# given, else from the build already configured, else on. --list-packages
# prints the packages these options need, one a line, and does nothing else.
set -euo pipefail
cd "$(dirname "$0")/.."

targets=()
cmake_args=()
list_only=0
while (($#)); do
  case $1 in
    --target)
      targets+=("${2:?--target needs a target name}")
      shift 2
      ;;
    --list-packages)
      list_only=1
      shift
      ;;
    *)
      cmake_args+=("$1")
      shift
      ;;
  esac
done

# Whether the option VELORANTICA_BUILD_$1 is on for this build.
option_on() {
  local value="" arg
  for arg in "${cmake_args[@]}"; do
    [[ $arg =~ ^-DVELORANTICA_BUILD_$1(:BOOL)?=(.*)$ ]] && value=${BASH_REMATCH[2]}
  done
  if [[ -z $value && -f build/CMakeCache.txt ]]; then
    value=$(sed -n "s/^VELORANTICA_BUILD_$1:BOOL=//p" build/CMakeCache.txt)
  fi
  [[ ! ${value^^} =~ ^(OFF|0|NO|FALSE|N)$ ]]
}

PACKAGES=(cmake ninja-build g++ pkg-config libmount-dev libmicrohttpd-dev)
if option_on GUI; then
  PACKAGES+=(qt6-base-dev libgl-dev libxcb1-dev fonts-dejavu-core)
fi
if option_on TESTS; then
  # The card tests make and mount file systems; the install test reads the
  # installed programs and manual pages.
  PACKAGES+=(libgtest-dev libgmock-dev e2fsprogs util-linux binutils groff-base)
  # A FAT16 card through FUSE, made and filled without mounting it.
  PACKAGES+=(fuse fusefat dosfstools mtools)
  # The film's tests run the real ffmpeg.
  PACKAGES+=(ffmpeg)
  # The status page's tests ask it with curl and open it in a real browser.
  PACKAGES+=(curl chromium)
  # The window's tests: an X server of their own, the desktop's validators.
  if option_on GUI; then
    PACKAGES+=(xvfb xauth desktop-file-utils appstream)
  fi
fi
if option_on BENCH; then
  PACKAGES+=(libbenchmark-dev ffmpeg)
fi

if ((list_only)); then
  printf '%s\n' "${PACKAGES[@]}"
  exit 0
fi

missing=()
for package in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if ((${#missing[@]})); then
  echo "Installing missing packages: ${missing[*]}"
  if [[ $(id -u) -eq 0 ]]; then
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
  elif command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
    sudo apt-get update -qq
    sudo DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
  else
    echo "These Debian packages are needed and could not be installed without root:" >&2
    echo "  sudo apt-get install ${missing[*]}" >&2
    exit 1
  fi
fi

cmake -S . -B build -G Ninja "${cmake_args[@]}" >/dev/null
target_args=()
for target in "${targets[@]}"; do target_args+=(--target "$target"); done
cmake --build build -j "$(nproc)" "${target_args[@]}"
