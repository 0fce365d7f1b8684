#!/usr/bin/env bash
# Times gildex verify, insert, remove, number and unnumber on whole generated projects of growing
# size, against two floors of reading and rewriting every file of the project (a python3
# process, and a C++ program, bench/project_floor.cpp, that also splits each file into lines),
# and each writing command's --dry-run against the command (its diff must apply to give the
# command's bytes).
#
#   bench/project_bench.sh [BUILD_DIR] [FULL_LINES]
#
# BUILD_DIR defaults to build-release/ in the repository (configured as a Release build and
# built when it has no gildex yet); FULL_LINES to 1000000. Sizes: FULL/16, FULL/4, FULL.
set -u

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$repo/build-release}
full=${2:-1000000}
case $full in '' | *[!0-9]*) echo "usage: $0 [BUILD_DIR] [FULL_LINES]" >&2; exit 2 ;; esac
if ((full < 1600)); then echo "$0: FULL_LINES must be at least 1600" >&2; exit 2; fi

scratch=$(mktemp -d "${TMPDIR:-/tmp}/gildex-project-bench.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

if [[ ! -f $build/CMakeCache.txt ]]; then
  cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DGILDEX_TESTS=OFF -DGILDEX_BENCH=OFF \
    >"$scratch/build.log" 2>&1 || { cat "$scratch/build.log" >&2; exit 1; }
fi
cmake --build "$build" -j2 --target gildex >"$scratch/build.log" 2>&1 ||
  { cat "$scratch/build.log" >&2; echo "$0: building gildex in $build failed" >&2; exit 1; }
gildex=$(cd "$build" && pwd)/app/gildex
# The C++ floor: the build's own when it has one (GILDEX_BENCH on), else compiled here.
floor_cxx=$build/bench/project_floor
if [[ ! -x $floor_cxx ]]; then
  floor_cxx=$scratch/project_floor
  "${CXX:-c++}" -std=c++20 -O2 -o "$floor_cxx" "$repo/bench/project_floor.cpp" >"$scratch/build.log" 2>&1 ||
    { cat "$scratch/build.log" >&2; echo "$0: compiling bench/project_floor.cpp failed" >&2; exit 1; }
fi
# Settings of our own, so the user's registry file is neither read nor changed.
export GILDEX_REGISTRY=$scratch/registry.reg
export GILDEX_HOME=$repo/data
"$gildex" templates default Standard >/dev/null || exit 1
# True means insert does not also number lines: each command is timed on its own.
"$gildex" options set Numbering True >/dev/null || exit 1
# Marker lines, as a typical installation has them: remove then finds exactly what insert added.
"$gildex" options set BodyCode True >/dev/null || exit 1

# The floor: one process reads every file of the project and writes it back the way gildex
# saves a file (temporary file, flushed, renamed over the old one, folder flushed).
floor_script='
import os, sys
for folder, _, files in os.walk(sys.argv[1]):
    for name in files:
        path = os.path.join(folder, name)
        with open(path, "rb") as f:
            data = f.read()
        temp = path + ".tmp"
        with open(temp, "wb") as f:
            f.write(data)
            f.flush()
            os.fsync(f.fileno())
        os.rename(temp, path)
    fd = os.open(folder, os.O_RDONLY)
    os.fsync(fd)
    os.close(fd)
'

# timed LOG CMD...: runs CMD, sets `elapsed` (s), `peak` (KB, or "" when unknown), `status`.
timed() {
  local log=$1
  shift
  if [[ -x /usr/bin/time ]]; then
    /usr/bin/time -f '%e %M' -o "$log.time" "$@" </dev/null >"$log.out" 2>"$log.err"
    status=$?
    read -r elapsed peak < <(tail -n 1 "$log.time")
  else
    local TIMEFORMAT=%R
    { time "$@" </dev/null >"$log.out" 2>"$log.err"; } 2>"$log.time"
    status=$?
    elapsed=$(tail -n 1 "$log.time")
    peak=""
  fi
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.1f", a / b; else print "-" }'; }
# Both ratios of a time: to the python floor, then to the C++ floor.
ratios() { echo "$(ratio "$1" "$2")/$(ratio "$1" "$3")"; }

commands=(verify insert remove number unnumber)
sizes=($((full / 16)) $((full / 4)) "$full")
declare -A seconds failure

printf '%-9s %8s %8s' "lines" "py s" "c++ s"
for c in "${commands[@]}"; do printf ' %24s %22s' "$c s (x py/c++)" "dry-run s (x $c)"; done
printf ' %8s %s %s\n' "peak MB" " back to start" " dry runs apply"

for lines in "${sizes[@]}"; do
  source=$scratch/source-$lines
  python3 "$repo/bench/generate_project.py" "$source" --lines "$lines" >/dev/null || exit 1

  cp -r "$source" "$scratch/floor"
  timed "$scratch/floor-$lines" python3 -c "$floor_script" "$scratch/floor"
  rm -rf "$scratch/floor"
  floor=$elapsed
  seconds[floor,$lines]=$floor
  cp -r "$source" "$scratch/floor"
  timed "$scratch/floor-cxx-$lines" "$floor_cxx" "$scratch/floor"
  rm -rf "$scratch/floor"
  floor_c=$elapsed
  seconds[floor_cxx,$lines]=$floor_c
  printf '%-9s %8s %8s' "$lines" "$floor" "$floor_c"

  # The commands in turn on one copy (verify writes nothing); after all it should be the source again.
  work=$scratch/work-$lines
  cp -r "$source" "$work"
  peak_kb=0
  all_ran=yes
  dry_applies=yes
  for c in "${commands[@]}"; do
    dry_status=0
    dry_elapsed=
    if [[ $c != verify ]]; then
      # First the dry run on the same bytes; its diff, applied to a copy, must give what the
      # command itself then writes. Run in the project folder, so that the paths start there.
      rm -rf "$scratch/before"
      cp -r "$work" "$scratch/before"
      pushd "$work" >/dev/null
      timed "$scratch/$c-dry-$lines" "$gildex" "$c" "$work/Big.vbp" --yes --quiet --dry-run
      popd >/dev/null
      dry_status=$status
      dry_elapsed=$elapsed
      [[ -n $peak ]] && ((peak > peak_kb)) && peak_kb=$peak
    fi
    pushd "$work" >/dev/null
    if [[ $c == verify ]]; then
      timed "$scratch/$c-$lines" "$gildex" verify "$work/Big.vbp"
    else
      timed "$scratch/$c-$lines" "$gildex" "$c" "$work/Big.vbp" --yes --quiet
    fi
    popd >/dev/null
    # Exit 1 means done, with some procedures or components reported (already trapped,
    # too small): a finished run all the same.
    if ((status != 0 && status != 1)); then
      printf ' %24s' "failed: exit $status"
      failure[$c]=$(head -n 1 "$scratch/$c-$lines.err")
      all_ran=no
      continue
    fi
    seconds[$c,$lines]=$elapsed
    printf ' %24s' "$elapsed ($(ratios "$elapsed" "$floor" "$floor_c")x)"
    [[ -n $peak ]] && ((peak > peak_kb)) && peak_kb=$peak
    if [[ $c == verify ]]; then
      printf ' %22s' "-"
    elif ((dry_status != 0 && dry_status != 1)); then
      printf ' %22s' "failed: exit $dry_status"
      failure[$c-dry-run]=$(head -n 1 "$scratch/$c-dry-$lines.err")
      dry_applies=no
    else
      printf ' %22s' "$dry_elapsed ($(ratio "$dry_elapsed" "$elapsed")x)"
      { [[ ! -s $scratch/$c-dry-$lines.out ]] ||
        patch -s -p1 -d "$scratch/before" <"$scratch/$c-dry-$lines.out" >/dev/null 2>&1; } &&
        diff -rq "$scratch/before" "$work" >/dev/null || dry_applies=no
    fi
    rm -f "$scratch/$c-dry-$lines.out"
  done
  rm -rf "$scratch/before"
  if ((peak_kb > 0)); then printf ' %8s' "$(awk -v k="$peak_kb" 'BEGIN { printf "%.1f", k / 1024 }')"; else printf ' %8s' "-"; fi
  if [[ $all_ran == no ]]; then
    printf '  %-14s' "-"
  elif diff -rq "$source" "$work" >/dev/null; then
    printf '  %-14s' "yes"
  else
    printf '  %-14s' "no"
  fi
  printf ' %s\n' "$dry_applies"
  rm -rf "$source" "$work"
done

small=${sizes[0]}
printf '%-9s %8s %8s' "growth" "$(ratio "${seconds[floor,$full]}" "${seconds[floor,$small]}")x" \
  "$(ratio "${seconds[floor_cxx,$full]}" "${seconds[floor_cxx,$small]}")x"
for c in "${commands[@]}"; do
  if [[ -n ${seconds[$c,$full]:-} && -n ${seconds[$c,$small]:-} ]]; then
    printf ' %24s %22s' "$(ratio "${seconds[$c,$full]}" "${seconds[$c,$small]}")x" ""
  else
    printf ' %24s %22s' "-" ""
  fi
done
printf '   (16x the lines; linear cost grows 16x)\n'

for c in "${commands[@]}"; do
  [[ -n ${failure[$c]+set} ]] && echo "$c failed, first error: ${failure[$c]}"
  [[ -n ${failure[$c-dry-run]+set} ]] && echo "$c --dry-run failed, first error: ${failure[$c-dry-run]}"
done
echo "py floor: one python3 process reads each file and rewrites it through a flushed temporary file and a rename"
echo "c++ floor: bench/project_floor.cpp reads each file, splits it into lines, joins them and rewrites it as gildex saves"
