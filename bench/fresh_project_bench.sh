#!/usr/bin/env bash
# Times `gildex insert` and `gildex number` as a fresh installation runs them (no settings
# stored, the shipped Standard template, so insert also numbers lines) on generated projects,
# each beside bench/project_floor in the same rounds, best of ROUNDS; prints wall and CPU
# seconds, their ratios to the floor and peak memory against the project's bytes.
#
#   bench/fresh_project_bench.sh BUILD_DIR [ROUNDS] [LINES...]
#
# BUILD_DIR must hold app/gildex and bench/project_floor (a Release build with GILDEX_BENCH on);
# ROUNDS defaults to 5, LINES to 400000 1000000. GILDEX=other/gildex times another binary
# (an older build, say) against the same floor.
set -u

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:?usage: $0 BUILD_DIR [ROUNDS] [LINES...]}
rounds=${2:-5}
shift $(($# < 2 ? $# : 2))
sizes=("$@")
((${#sizes[@]})) || sizes=(400000 1000000)
gildex=${GILDEX:-$build/app/gildex}
floor=$build/bench/project_floor
for program in "$gildex" "$floor"; do
  [[ -x $program ]] || { echo "$0: $program is missing" >&2; exit 2; }
done
[[ -x /usr/bin/time ]] || { echo "$0: needs /usr/bin/time" >&2; exit 2; }

scratch=$(mktemp -d "${TMPDIR:-/tmp}/gildex-fresh-bench.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
# A registry file that does not exist: every setting at its default.
export GILDEX_REGISTRY=$scratch/registry.reg
export GILDEX_HOME=$repo/data

# run NAME LINES CMD...: one timed run on a fresh copy; keeps the best wall and CPU time and
# the largest peak of NAME.
declare -A wall cpu peak
run() {
  local name=$1 lines=$2
  shift 2
  rm -rf "$scratch/work"
  cp -r "$scratch/source-$lines" "$scratch/work"
  sync
  /usr/bin/time -f '%e %U %S %M' -o "$scratch/time" "$@" </dev/null >/dev/null 2>"$scratch/err"
  local status=$?
  if ((status > 1)); then
    echo "$0: $name failed (exit $status): $(head -n 1 "$scratch/err")" >&2
    exit 1
  fi
  local e u s m
  read -r e u s m < <(tail -n 1 "$scratch/time")
  local c
  c=$(awk -v u="$u" -v s="$s" 'BEGIN { printf "%.2f", u + s }')
  local key=$name,$lines
  if [[ -z ${wall[$key]:-} ]] || awk -v a="$e" -v b="${wall[$key]}" 'BEGIN { exit !(a < b) }'; then wall[$key]=$e; fi
  if [[ -z ${cpu[$key]:-} ]] || awk -v a="$c" -v b="${cpu[$key]}" 'BEGIN { exit !(a < b) }'; then cpu[$key]=$c; fi
  if ((m > ${peak[$key]:-0})); then peak[$key]=$m; fi
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }

for lines in "${sizes[@]}"; do
  python3 "$repo/bench/generate_project.py" "$scratch/source-$lines" --lines "$lines" >/dev/null || exit 1
  bytes=$(du -sb "$scratch/source-$lines" | cut -f1)
  for ((r = 0; r < rounds; ++r)); do
    run floor "$lines" "$floor" "$scratch/work"
    run insert "$lines" "$gildex" insert "$scratch/work/Big.vbp" --template Standard --yes --quiet
    run number "$lines" "$gildex" number "$scratch/work/Big.vbp" --yes --quiet
  done
  f=${wall[floor,$lines]} fc=${cpu[floor,$lines]}
  echo "$lines lines, $(ratio "$bytes" 1048576) MB: floor $f s, cpu $fc s"
  for c in insert number; do
    printf '  %-7s %6s s (%sx)  cpu %5s s (%sx)  peak %4s MB (%sx the project)\n' "$c" "${wall[$c,$lines]}" \
      "$(ratio "${wall[$c,$lines]}" "$f")" "${cpu[$c,$lines]}" "$(ratio "${cpu[$c,$lines]}" "$fc")" \
      "$((peak[$c,$lines] / 1024))" "$(ratio "$((peak[$c,$lines] * 1024))" "$bytes")"
  done
  rm -rf "$scratch/source-$lines"
done
echo "best of $rounds rounds, each a floor, an insert and a number on fresh copies; s: wall clock; cpu: user +"
echo "system; (Nx): to the floor; peak: the largest resident size of any round"
