#!/usr/bin/env bash
# Builds the Windows programs with mingw-w64, for 32-bit (i686) and 64-bit
# (x86_64) Windows, statically linked (no DLL beside them but those Windows
# ships) and on nothing newer than the Windows 7 API. Installs what it needs
# when it is missing (Debian's mingw-w64 cross compilers).
#
#   ./scripts/build-windows.sh [cmake options]
#
# Builds in build-win32/ and build-win64/ (which scripts/wine-tests.sh also
# uses for the tests), checks that each program imports system DLLs only,
# and installs the stripped programs into build-windows/i686/ and
# build-windows/x86_64/, whose paths it prints, one a line.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD

# The programs built for Windows: the window (velorantica.exe, on the Win32
# framework) and velorantica-cli.
PROGRAMS=(velorantica velorantica-cli)

ARCHES=(i686 x86_64)
declare -A BUILD_DIR=([i686]=build-win32 [x86_64]=build-win64)

# What a program may import: the DLLs of Windows 7 itself. The C runtime is
# the system's msvcrt.dll; the C++ runtime and the thread library are linked
# in (no libstdc++-6.dll, libgcc_s_*.dll or libwinpthread-1.dll).
SYSTEM_DLLS="kernel32 user32 gdi32 advapi32 shell32 shlwapi ole32 oleaut32 comctl32 comdlg32
  msvcrt ws2_32 gdiplus windowscodecs winmm version setupapi cfgmgr32 uxtheme imm32 rpcrt4
  uuid winspool.drv"

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

install_packages() {
  local wanted=(cmake ninja-build binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix)
  local missing=() package
  for package in "${wanted[@]}"; do
    installed "$package" || missing+=("$package")
  done
  ((${#missing[@]})) || return 0
  echo "Installing missing packages: ${missing[*]}"
  local as_root=()
  if [[ $(id -u) -ne 0 ]]; then
    if ! command -v sudo >/dev/null || ! sudo -n true 2>/dev/null; then
      echo "Needed, and not installable without root: sudo apt-get install ${missing[*]}" >&2
      exit 1
    fi
    as_root=(sudo)
  fi
  "${as_root[@]}" apt-get update -qq || true
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
    --no-install-recommends "${missing[@]}" >/dev/null
}

# Configures and builds the programs for one architecture; the compiler's
# output goes to a log that is shown when the build fails or warns.
build() {
  local arch=$1 dir=$ROOT/${BUILD_DIR[$1]} log target_args=() program
  shift
  mkdir -p "$dir"
  log=$dir/programs-build.log
  for program in "${PROGRAMS[@]}"; do target_args+=(--target "$program"); done
  echo "Building ${BUILD_DIR[$arch]} ($arch)" >&2
  if ! { cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-$arch.cmake" \
    -DVELORANTICA_BUILD_GUI=OFF -DVELORANTICA_BUILD_BENCH=OFF "$@" &&
    cmake --build "$dir" -j "$(nproc)" "${target_args[@]}"; } >"$log" 2>&1; then
    tail -n 60 "$log" >&2
    echo "${BUILD_DIR[$arch]}: the build failed (log: $log)" >&2
    exit 1
  fi
  if grep -q 'warning:' "$log"; then
    grep -A3 'warning:' "$log" | head -40 >&2
  fi
}

# Fails when the program imports a DLL that Windows does not ship.
declare -A IS_SYSTEM_DLL=()
for dll in $SYSTEM_DLLS; do
  [[ $dll == *.* ]] || dll+=.dll
  IS_SYSTEM_DLL[$dll]=1
done

check_imports() {
  local arch=$1 exe=$2 dll foreign=()
  while read -r dll; do
    [[ -n ${IS_SYSTEM_DLL[$dll]:-} ]] || foreign+=("$dll")
  done < <("$arch-w64-mingw32-objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
  if ((${#foreign[@]})); then
    echo "$exe imports DLLs that Windows does not ship: ${foreign[*]}" >&2
    return 1
  fi
}

install_packages
failed=0
for arch in "${ARCHES[@]}"; do
  build "$arch" "$@"
  prefix=$ROOT/build-windows/$arch
  rm -rf "$prefix"
  cmake --install "$ROOT/${BUILD_DIR[$arch]}" --prefix "$prefix" --strip >/dev/null
  for program in "${PROGRAMS[@]}"; do
    exe=$prefix/bin/$program.exe
    if [[ ! -f $exe ]]; then
      echo "$exe was not installed" >&2
      failed=1
      continue
    fi
    check_imports "$arch" "$exe" || failed=1
    echo "$exe"
  done
done
exit "$failed"
