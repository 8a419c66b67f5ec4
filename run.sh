#!/usr/bin/env bash
# Sets up what is missing, builds, and starts Velorantica.
#
#   ./run.sh [program arguments]          the program on your own profile
#   ./run.sh --demo [--card DIR] [...]    the program on a temporary profile,
#       with qvsim, a simulated camera, on its serial port; --card DIR lets
#       the simulated camera store pictures in DIR/card.img (needs sudo).
set -euo pipefail
cd "$(dirname "$0")"

# Only what is started is built; ./test.sh builds the tests and benchmarks.
if [[ ${1:-} != --demo ]]; then
  ./scripts/setup.sh --target velorantica
  exec ./build/src/gui/velorantica "$@"
fi

shift
card_dir=""
if [[ ${1:-} == --card ]]; then
  card_dir=$(realpath -m "${2:?--card needs a folder}")
  shift 2
fi
./scripts/setup.sh --target velorantica --target qvsim

# The camera model of your own profile, else the QV-4000.
model=7
own_profile="${XDG_CONFIG_HOME:-$HOME/.config}/velorantica.ini"
if [[ -f $own_profile ]]; then
  value=$(sed -n 's/^[[:space:]]*[Mm][Oo][Dd][Ee][Ll][[:space:]]*=[[:space:]]*\(-\?[0-9]\+\).*/\1/p' \
    "$own_profile" | head -n 1)
  [[ -n $value ]] && model=$value
fi

demo_dir=$(mktemp -d "${TMPDIR:-/tmp}/velorantica-demo.XXXXXX")
pictures="$demo_dir/Pictures"
qvsim_args=(--model "$model" --link "$demo_dir/camera")
as_root=()
if [[ -n $card_dir ]]; then
  pictures="$card_dir/Copied"
  qvsim_args+=(--card "$card_dir")
  if [[ $(id -u) -ne 0 ]]; then
    as_root=(sudo)
    sudo -v
  fi
fi
mkdir -p "$pictures"

"${as_root[@]}" ./build/tools/qvsim "${qvsim_args[@]}" &
qvsim_pid=$!
stop_qvsim() {
  "${as_root[@]}" kill -TERM "$qvsim_pid" 2>/dev/null || true
  wait "$qvsim_pid" 2>/dev/null || true
  rm -rf "$demo_dir"
}
trap stop_qvsim EXIT

until [[ -L $demo_dir/camera ]]; do
  if ! "${as_root[@]}" kill -0 "$qvsim_pid" 2>/dev/null; then
    echo "qvsim did not start" >&2
    exit 1
  fi
  sleep 0.1
done

cat >"$demo_dir/velorantica.ini" <<PROFILE
[Options]
ComPort=$(readlink "$demo_dir/camera")
Model=$model
DestFileDir=$pictures
DelayRecUsb=2
DelayUsbRec=1
PROFILE

status=0
XDG_CONFIG_HOME="$demo_dir" ./build/src/gui/velorantica "$@" || status=$?
exit "$status"
