#!/usr/bin/env bash
# Puts faults into a copy of the tree one at a time and tells which test
# catches each: for every patch of tests/faults/*.patch (or the patches
# given) it applies the patch to a clean copy, rebuilds (with ccache), runs
# the tests with a time-out of 30 s each (ctest, stopping at the first
# failure; the Wine tests too when the patch touches a *_win32 file), takes
# the patch out again and prints one line: the fault, the first test that
# failed (or NOT CAUGHT, or why the fault could not be tried) and how many
# seconds that test took to fail.
#
# The copy lies in FAULTS_DIR (default: a folder of your own under /tmp),
# never in a working tree: it holds the tracked and new files of this tree
# as they are now. The copy's own tests must pass before any fault goes in.
# Exits non-zero when a fault was not caught or could not be tried.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
scratch=${FAULTS_DIR:-${TMPDIR:-/tmp}/velorantica-faults-$(id -un)}
tree=$scratch/tree
log=$scratch/logs
patches=("$@")
((${#patches[@]})) || patches=("$top"/tests/faults/*.patch)
for patch in "${patches[@]}"; do
  [[ -f $patch ]] || { echo "no such patch: $patch" >&2; exit 2; }
done

# The objects of the copy are those of any worktree: its paths are hashed
# relative to the folder it lies in.
export CCACHE_BASEDIR=$scratch CCACHE_NOHASHDIR=1 QT_QPA_PLATFORM=offscreen
# The patches go into the copy alone, even were it to lie inside a repository.
export GIT_CEILING_DIRECTORIES=$scratch

# The copy brought up to this tree, its build folders kept. Only the files
# that differ are replaced, and they take the time of now: what was built
# from them (also from a fault of an earlier run) is rebuilt, nothing else.
copy_tree() {
  local incoming=$scratch/incoming file
  rm -rf "$incoming" && mkdir -p "$incoming" "$tree" "$log"
  (cd "$top" && git ls-files -z --cached --others --exclude-standard |
    tar --null -T - --ignore-failed-read -cf -) | tar -xf - -C "$incoming"
  # 30 s for every test: a fault must be caught by a test failing on its own.
  find "$incoming/tests" -name CMakeLists.txt -exec sed -i -E 's/TIMEOUT [0-9]+/TIMEOUT 30/' {} +
  while IFS= read -r -d '' file; do
    cmp -s "$incoming/$file" "$tree/$file" && continue
    mkdir -p "$(dirname "$tree/$file")"
    cp --preserve=mode "$incoming/$file" "$tree/$file"
  done < <(cd "$incoming" && find . -type f -print0)
  while IFS= read -r -d '' file; do
    [[ -e $incoming/$file ]] || rm -f "$tree/$file"
  done < <(cd "$tree" && find . \( -path ./build -o -path './build-win*' \) -prune -o -type f -print0)
  rm -rf "$incoming"
}

build() {
  cmake -S "$tree" -B "$tree/build" -G Ninja -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
    -DVELORANTICA_BUILD_BENCH=OFF >"$1" 2>&1 &&
    cmake --build "$tree/build" -j2 >>"$1" 2>&1
}

# Runs the Linux tests; prints "test seconds" of the first that failed, or
# nothing when all passed.
run_ctest() {
  (cd "$tree/build" && ctest -j2 --stop-on-failure --output-on-failure) >"$1" 2>&1
  sed -n -E 's/^ *[0-9]+\/[0-9]+ Test +#[0-9]+: ([^ ]+) \.*\*\*\*[^0-9]* +([0-9.]+) sec.*/\1 \2/p' \
    "$1" | head -n 1
}

# Whether the test that failed fails again when run alone: a test that
# failed for another reason (a loaded machine) does not count as the catch.
fails_again() {
  local pattern
  pattern=$(printf '%s' "$1" | sed 's/[][\\.*^$()+?{}|]/\\&/g')
  ! (cd "$tree/build" && ctest --no-tests=error -R "^$pattern\$" --output-on-failure) >"$2" 2>&1
}

# Runs the core tests under Wine; prints "test seconds" of the first that
# failed, or nothing.
run_wine() {
  "$tree/scripts/wine-tests.sh" >"$1" 2>&1 && return
  local failed
  failed=$(sed -n -E 's/^ *\[  FAILED  \] ([^ ]+) \(([0-9]+) ms\).*/\1 \2/p' "$1" | head -n 1)
  if [[ -n $failed ]]; then
    echo "wine:${failed% *} $(awk -v ms="${failed##* }" 'BEGIN { printf "%.2f", ms / 1000 }')"
  else
    echo "wine:$(sed -n -E 's/^ *(core_[a-z_]+_tests) .*[1-9][0-9]* failed.*/\1/p' "$1" | head -n 1) -"
  fi
}

row() { printf '%-34s %-72s %s\n' "$@"; }

copy_tree
echo "Copy of the tree: $tree"
if ! build "$log/clean-build.log"; then
  echo "The clean copy does not build (log: $log/clean-build.log)" >&2
  exit 2
fi
clean=$(run_ctest "$log/clean-ctest.log")
if [[ -n $clean ]]; then
  echo "The clean copy fails ${clean% *} already (log: $log/clean-ctest.log)" >&2
  exit 2
fi

row FAULT "CAUGHT BY" SECONDS
missed=0
for patch in "${patches[@]}"; do
  name=$(basename "$patch" .patch)
  if ! (cd "$tree" && git apply --check "$patch") 2>"$log/$name.apply.log"; then
    row "$name" "DOES NOT APPLY (refresh the patch)" -
    missed=1
    continue
  fi
  (cd "$tree" && git apply "$patch")
  if ! build "$log/$name.build.log"; then
    row "$name" "DOES NOT BUILD (log: $log/$name.build.log)" -
    missed=1
  else
    caught=$(run_ctest "$log/$name.ctest.log")
    if [[ -z $caught ]] && (cd "$tree" && git apply --numstat "$patch") | grep -q '_win32\.'; then
      caught=$(run_wine "$log/$name.wine.log")
    fi
    if [[ -n $caught && $caught != wine:* ]] && ! fails_again "${caught% *}" "$log/$name.again.log"; then
      row "$name" "${caught% *} (FLAKY: passed when run again)" "${caught##* }"
      missed=1
    elif [[ -n $caught ]]; then
      row "$name" "${caught% *}" "${caught##* }"
    else
      row "$name" "NOT CAUGHT" -
      missed=1
    fi
  fi
  (cd "$tree" && git apply -R "$patch")
done
exit $missed
