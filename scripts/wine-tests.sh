#!/usr/bin/env bash
# Builds the core and its tests for 64-bit and 32-bit Windows with mingw-w64
# (build-win64/, build-win32/) and runs every core test program under Wine,
# in a Wine prefix of its own. Installs what it needs when it is missing.
#
# The serial-port tests get a real COM port: two pseudo-terminals linked back
# to back by socat, mapped to COM8 and COM9 through Wine's registry
# (HKLM\Software\Wine\Ports). Both builds run in the one 64-bit prefix, the
# 32-bit programs as they would on 64-bit Windows.
#
# velorantica-cli.exe and velorantica.exe (64-bit) are then run against
# qvsim, the simulated camera built for Linux in build/, through COM7, which
# Wine maps to the link qvsim keeps to its terminal
# (tests/cli/cli_wine_test.cpp, tests/gui/win32/window_wine_test.cpp; the
# window on an Xvfb display of its own). For the window's copying series
# qvsim's card is a plain folder that window_driver.exe maps to the
# removable drive CARD_DRIVE while the camera is in USB mode.
#
# Prints, per test program, how many of its tests passed, and per
# architecture a closing "N passed, M failed" line. Exits non-zero when a
# test failed or a build broke.
#
#   scripts/wine-tests.sh --docs FOLDER
#
# runs no tests but pictures the window's five pages under Wine on qvsim
# (window_driver.exe shot) as FOLDER/windows_<page>.png, and prints their
# paths; scripts/update-docs-images.sh calls it for docs/.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD

PORT=COM8
PEER=COM9
CAMERA_PORT=COM7
# The letter Wine's mount manager gives qvsim's card folder in USB mode.
CARD_DRIVE=Q
PREFIX_DIR=$ROOT/build-win64/wine-prefix
SERIAL_DIR=$ROOT/build-win64/wine-serial
LOG_DIR=$ROOT/build-win64/wine-logs

# ---- packages -------------------------------------------------------------

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

as_root() {
  if [[ $(id -u) -eq 0 ]]; then
    "$@"
  elif command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
    sudo "$@"
  else
    return 1
  fi
}

apt_install() {
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@" \
    >/dev/null
}

install_packages() {
  local wanted=(cmake ninja-build g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
    googletest wine wine64 socat)
  local missing=() package
  for package in "${wanted[@]}"; do
    installed "$package" || missing+=("$package")
  done
  if ((${#missing[@]})); then
    echo "Installing missing packages: ${missing[*]}"
    as_root apt-get update -qq || true
    apt_install "${missing[@]}" || {
      echo "Could not install: ${missing[*]} (run as root or with sudo)" >&2
      exit 1
    }
  fi
  # The 32-bit Wine loader comes from the i386 architecture.
  if ! installed wine32:i386; then
    echo "Installing wine32:i386 for the 32-bit programs"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
      as_root dpkg --add-architecture i386 && as_root apt-get update -qq || true
    fi
    apt_install wine32:i386 || echo "wine32:i386 cannot be installed here" >&2
  fi
}

# ---- builds ---------------------------------------------------------------

# Configures and builds one target; the compiler's output goes to a log that
# is shown when the build fails.
build() {
  local dir=$1 toolchain=$2 log
  mkdir -p "$ROOT/$dir"
  log=$ROOT/$dir/build.log
  echo "Building $dir ($toolchain)"
  if ! { cmake -S "$ROOT" -B "$ROOT/$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/$toolchain" \
    -DVELORANTICA_BUILD_GUI=OFF -DVELORANTICA_BUILD_BENCH=OFF &&
    cmake --build "$ROOT/$dir" -j "$(nproc)"; } >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "$dir: the build failed (log: $log)" >&2
    exit 1
  fi
  if grep -q 'warning:' "$log"; then
    grep -A3 'warning:' "$log" | head -40
  fi
}

# ---- Wine -----------------------------------------------------------------

export WINEPREFIX=$PREFIX_DIR WINEARCH=win64 WINEDEBUG=-all DISPLAY=
# No Mono or Gecko: nothing here needs them, and asking for them would stall.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

SOCAT_PID=
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  if [[ -n $SOCAT_PID ]]; then
    kill "$SOCAT_PID" 2>/dev/null || true
    wait "$SOCAT_PID" 2>/dev/null || true
  fi
}
trap cleanup EXIT

# Whether this machine runs 32-bit programs at all: some kernels are built
# without 32-bit support, and there the 32-bit Wine loader cannot start.
runs_32bit() {
  [[ -x /usr/lib/wine/wine ]] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

# Debian's wine scripts take the 32-bit loader whenever it is installed; where
# it cannot run, wine and the tools that call it go through the 64-bit one.
# The tests that signal a 64-bit program always start it through the 64-bit
# loader: the 32-bit one hands it to start.exe, and the process started is
# then start.exe, whom a Ctrl+C meant for the program reaches instead.
LOADER_64=$ROOT/build-win64/wine-bin/wine
make_64bit_loader() {
  local bin=$ROOT/build-win64/wine-bin name
  mkdir -p "$bin"
  for name in wine wine-stable; do
    printf '#!/bin/sh
export WINELOADER=/usr/lib/wine/wine64
exec /usr/lib/wine/wine64 "$@"
' \
      >"$bin/$name"
    chmod +x "$bin/$name"
  done
}

use_64bit_loader() {
  export PATH=$ROOT/build-win64/wine-bin:$PATH
}

make_prefix() {
  # A prefix made before the 32-bit loader was installed lacks the 32-bit
  # DLLs that loader needs for Wine's own tools: it is made anew.
  if runs_32bit && [[ ! -f $PREFIX_DIR/drive_c/windows/syswow64/kernel32.dll ]]; then
    rm -rf "$PREFIX_DIR"
  fi
  if [[ ! -f $PREFIX_DIR/system.reg ]]; then
    echo "Creating the Wine prefix $PREFIX_DIR"
    wineboot --init </dev/null >/dev/null 2>&1
  fi
}

# Two pseudo-terminals joined back to back; their stable link names go into
# the registry once, the terminals behind them are new each run.
start_serial_pair() {
  mkdir -p "$SERIAL_DIR"
  rm -f "$SERIAL_DIR/port" "$SERIAL_DIR/peer"
  socat pty,raw,echo=0,link="$SERIAL_DIR/port" pty,raw,echo=0,link="$SERIAL_DIR/peer" \
    </dev/null >/dev/null 2>"$SERIAL_DIR/socat.log" &
  SOCAT_PID=$!
  local tries
  for tries in $(seq 50); do
    [[ -e $SERIAL_DIR/port && -e $SERIAL_DIR/peer ]] && return 0
    sleep 0.1
  done
  return 1
}

map_com_ports() {
  if grep -qF "\"$PORT\"=\"$SERIAL_DIR/port\"" "$PREFIX_DIR/system.reg" 2>/dev/null &&
    grep -qF "\"$PEER\"=\"$SERIAL_DIR/peer\"" "$PREFIX_DIR/system.reg" &&
    grep -qF "\"$CAMERA_PORT\"=\"$SERIAL_DIR/camera\"" "$PREFIX_DIR/system.reg"; then
    return 0
  fi
  local reg=$SERIAL_DIR/ports.reg
  printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\n"%s"="%s"\n"%s"="%s"\n"%s"="%s"\n' \
    "$PORT" "$SERIAL_DIR/port" "$PEER" "$SERIAL_DIR/peer" "$CAMERA_PORT" "$SERIAL_DIR/camera" \
    >"$reg"
  # Into the 64-bit registry view, which Wine's mount manager reads.
  wine reg import "$(winepath -w "$reg" 2>/dev/null)" /reg:64 </dev/null >/dev/null 2>&1
}

# What a failed test program said about its failures: each failed check
# with the lines that explain it, and the tests that failed, so that a run on
# another machine can be read without its log.
print_failures() {
  local text
  text=$(tr -d '\r' <"$1")  # Windows programs end their lines with CR LF
  { grep -E -A6 'Failure$|thrown in the test body' <<<"$text" || true; } |
    grep -vE '^\[ +(RUN|OK|FAILED) ' | sed 's/^/      /' | head -60 || true
  # The summary's list, or what a program that crashed or hung left.
  { sed -n '/tests\?, listed below/,$p' <<<"$text" | grep -E '^\[  FAILED  \] [A-Za-z]' || true; } |
    sed 's/^/      /' | head -20 || true
  echo "      (log: $1)"
}

# Runs one test program; prints its line and adds to the counters.
run_program() {
  local exe=$1 arch=$2 name log passed failed skipped status
  name=$(basename "$exe" .exe)
  log=$LOG_DIR/$arch-$name.log
  status=0
  timeout 300 wine "$exe" </dev/null >"$log" 2>&1 || status=$?
  passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' "$log" | tail -1)
  failed=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\?, listed below.*/\1/p' "$log" | tail -1)
  skipped=$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) tests\?, listed below.*/\1/p' "$log" | tail -1)
  passed=${passed:-0} failed=${failed:-0} skipped=${skipped:-0}
  if ((status != 0 && failed == 0)); then
    failed=1  # crashed or hung before its summary
  fi
  local line
  line=$(printf '  %-22s %4d passed, %d failed' "$name" "$passed" "$failed")
  ((skipped)) && line+=", $skipped skipped"
  echo "$line"
  ((failed)) && print_failures "$log"
  ARCH_PASSED=$((ARCH_PASSED + passed))
  ARCH_FAILED=$((ARCH_FAILED + failed))
  ARCH_SKIPPED=$((ARCH_SKIPPED + skipped))
}

run_arch() {
  local arch=$1 dir=$2 exe
  ARCH_PASSED=0 ARCH_FAILED=0 ARCH_SKIPPED=0
  echo "Core tests under Wine, $arch:"
  for exe in "$ROOT/$dir"/tests/core/core_*_tests.exe; do
    run_program "$exe" "$arch"
  done
  local line="$arch: $ARCH_PASSED passed, $ARCH_FAILED failed"
  ((ARCH_SKIPPED)) && line+=", $ARCH_SKIPPED skipped"
  echo "$line"
  TOTAL_PASSED=$((TOTAL_PASSED + ARCH_PASSED))
  TOTAL_FAILED=$((TOTAL_FAILED + ARCH_FAILED))
  TOTAL_SKIPPED=$((TOTAL_SKIPPED + ARCH_SKIPPED))
}

# A Linux test program that runs a Windows program of build-win64/ against
# qvsim, the simulated camera: both are programs of build/, built here when
# they are not yet. The rest of the arguments are the test's settings.
run_linux_driven() {
  local target=$1 label=$2 log status=0 passed failed
  shift 2
  log=$LOG_DIR/win64-$target.log
  echo "$label under Wine, win64:"
  if [[ -f $ROOT/build/build.ninja ]]; then
    cmake --build "$ROOT/build" -j "$(nproc)" --target qvsim --target "$target" \
      >"$log" 2>&1 || status=$?
  else
    "$ROOT/scripts/setup.sh" --target qvsim --target "$target" >"$log" 2>&1 || status=$?
  fi
  local program
  program=$(find "$ROOT/build/tests" -name "$target" -type f -perm -u+x | head -n 1)
  if ((status == 0)); then
    env VELORANTICA_WINE="$LOADER_64" VELORANTICA_WINE_COM=$CAMERA_PORT \
      VELORANTICA_WINE_COM_LINK=$SERIAL_DIR/camera "$@" \
      timeout 300 "$program" </dev/null >"$log" 2>&1 || status=$?
  fi
  passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' "$log" | tail -1)
  failed=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\?, listed below.*/\1/p' "$log" | tail -1)
  passed=${passed:-0} failed=${failed:-0}
  ((status != 0 && failed == 0)) && failed=1
  printf '  %-22s %4d passed, %d failed\n' "$target" "$passed" "$failed"
  ((failed)) && print_failures "$log"
  TOTAL_PASSED=$((TOTAL_PASSED + passed))
  TOTAL_FAILED=$((TOTAL_FAILED + failed))
}

# An X display of its own (DISPLAY_NUMBER) and a Wine session whose desktop
# is on it, without the card's drive or the series a broken-off run may have
# left.
XVFB_PID=
start_display() {
  DISPLAY_NUMBER=90
  while [[ -e /tmp/.X11-unix/X$DISPLAY_NUMBER || -e /tmp/.X$DISPLAY_NUMBER-lock ]]; do
    DISPLAY_NUMBER=$((DISPLAY_NUMBER + 1))
  done
  Xvfb ":$DISPLAY_NUMBER" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
  XVFB_PID=$!
  sleep 1
  wineserver -k >/dev/null 2>&1 || true
  rm -f "$PREFIX_DIR/dosdevices/${CARD_DRIVE,,}:"
  # A series the CLI's tests left running would make the window ask first
  # whether to go on with it.
  rm -f "$PREFIX_DIR"/drive_c/users/*/AppData/Local/velorantica/*.state
  wineserver -p >/dev/null 2>&1 || true
}

stop_display() {
  wineserver -k >/dev/null 2>&1 || true
  kill "$XVFB_PID" 2>/dev/null || true
  wait "$XVFB_PID" 2>/dev/null || true
}

# The window on an X display of its own, where Xvfb is installed.
run_gui_tests() {
  if ! command -v Xvfb >/dev/null; then
    echo "velorantica.exe under Wine: not run (no Xvfb)"
    return 0
  fi
  start_display
  DISPLAY=:$DISPLAY_NUMBER run_linux_driven gui_wine_tests "velorantica.exe" \
    VELORANTICA_WINE_GUI="$ROOT/build-win64/src/gui/velorantica.exe" \
    VELORANTICA_WINE_DRIVER="$ROOT/build-win64/tests/gui/win32/window_driver.exe" \
    VELORANTICA_WINE_PROFILE="$PREFIX_DIR/drive_c/windows/velorantica.ini" \
    VELORANTICA_WINE_CARD_DRIVE=$CARD_DRIVE
  stop_display
}

# The five pages, in their order, on a profile that fills them as the Linux
# pictures of docs/ are filled; qvsim is the camera on CAMERA_PORT.
PAGES=(direct_control time_lapse options config about)
take_pictures() {
  local folder=$1 title="Velorantica for Casio QV-4000" camera window index picture status=0
  local driver=$ROOT/build-win64/tests/gui/win32/window_driver.exe
  command -v Xvfb >/dev/null || { echo "The pictures need Xvfb" >&2 && return 1; }
  if [[ -f $ROOT/build/build.ninja ]]; then
    cmake --build "$ROOT/build" --target qvsim >/dev/null
  else
    "$ROOT/scripts/setup.sh" --target qvsim >/dev/null
  fi
  start_display
  export DISPLAY=:$DISPLAY_NUMBER
  "$ROOT/build/tools/qvsim" --link "$SERIAL_DIR/camera" </dev/null >"$LOG_DIR/docs-qvsim.log" 2>&1 &
  camera=$!
  printf '%s\r\n' "[Interval]" "Count=10" "Second=30" "Focus=1" "[Options]" \
    "ComPort=$CAMERA_PORT" "Model=7" "CopyFile=1" 'DestFileDir=C:\Users\camera\Pictures\timelapse' \
    "DeleteAfterCopy=1" "CopyAndDelete=1" "UseExternalCommand=1" \
    'Command=C:\Users\camera\after-shot.bat' "DelayRecUsb=12" "DelayUsbRec=4" "DelayBulb=60" \
    >"$PREFIX_DIR/drive_c/windows/velorantica.ini"
  sleep 1
  "$LOADER_64" "$ROOT/build-win64/src/gui/velorantica.exe" </dev/null >"$LOG_DIR/docs-window.log" 2>&1 &
  window=$!
  "$LOADER_64" "$driver" wait "$title" || status=1
  for index in "${!PAGES[@]}"; do
    picture=$folder/windows_${PAGES[$index]}.png
    if "$LOADER_64" "$driver" tab "$title" "$index" &&
      "$LOADER_64" "$driver" shot "$title" "$(winepath -w "$picture")"; then
      echo "$picture"
    else
      echo "Could not picture the page ${PAGES[$index]}" >&2
      status=1
    fi
  done
  "$LOADER_64" "$driver" click "$title" Exit || true
  wait "$window" || true
  kill "$camera" 2>/dev/null || true
  wait "$camera" 2>/dev/null || true
  rm -f "$PREFIX_DIR/drive_c/windows/velorantica.ini"
  stop_display
  return $status
}

# ---- main -----------------------------------------------------------------

DOCS_DIR=
if [[ ${1:-} == --docs ]]; then
  [[ -n ${2:-} ]] || { echo "Usage: $0 [--docs FOLDER]" >&2 && exit 2; }
  mkdir -p "$2"
  DOCS_DIR=$(cd "$2" && pwd)
fi

install_packages
build build-win64 mingw-w64-x86_64.cmake
[[ -n $DOCS_DIR ]] || build build-win32 mingw-w64-i686.cmake

mkdir -p "$LOG_DIR"
make_64bit_loader
runs_32bit || use_64bit_loader
# A session left over from an interrupted run would keep the old port map.
wineserver -k >/dev/null 2>&1 || true
make_prefix
if [[ -n $DOCS_DIR ]]; then
  mkdir -p "$SERIAL_DIR"
  map_com_ports
  wineserver -w
  take_pictures "$DOCS_DIR"
  exit
fi
if start_serial_pair; then
  map_com_ports
  export VELORANTICA_TEST_COM_PORT=$PORT VELORANTICA_TEST_COM_PEER=$PEER
else
  echo "socat gave no pseudo-terminal pair: the COM port tests are skipped" >&2
fi
# Wine's mount manager reads the port map when a session starts: end the one
# that set things up.
wineserver -w
# One Wine session for all programs; its services are started here so that
# they hold no test program's output open.
wineserver -p >/dev/null 2>&1 || true
wine cmd /c exit </dev/null >/dev/null 2>&1 || true

TOTAL_PASSED=0 TOTAL_FAILED=0 TOTAL_SKIPPED=0
run_arch win64 build-win64
run_linux_driven cli_wine_tests "velorantica-cli.exe" \
  VELORANTICA_WINE_CLI="$ROOT/build-win64/src/cli/velorantica-cli.exe"
run_gui_tests
if runs_32bit; then
  run_arch win32 build-win32
else
  echo "win32: built, not run (the 32-bit Wine loader is missing or this kernel runs no 32-bit programs)"
fi
line="wine: $TOTAL_PASSED passed, $TOTAL_FAILED failed"
((TOTAL_SKIPPED)) && line+=", $TOTAL_SKIPPED skipped"
echo "$line"
((TOTAL_FAILED == 0))
