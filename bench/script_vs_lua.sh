#!/usr/bin/env bash
# How our VBScript interpreter compares with Lua 5.4 on the typical Process script
# (process.vbs / process.lua over the same 10,000 procedures of 20 lines). Builds nothing:
# give the build folder holding bench/vbscript_bench (default build/, configured with
# -DGILDEX_BENCH=ON, best in Release). Prints both CPU times per pass and their ratio.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-build}"
bench="$build/bench/vbscript_bench"

if ! command -v lua5.4 >/dev/null 2>&1; then
  echo "lua5.4 is not installed: apt-get install lua5.4" >&2
  exit 2
fi
if [[ ! -x "$bench" ]]; then
  echo "no $bench: build it first (cmake -DGILDEX_BENCH=ON, target vbscript_bench)" >&2
  exit 2
fi

# A JSON field of the benchmark's report as a plain number.
field() {
  sed -n "s/^ *\"$1\": *\\([-0-9.eE+]*\\),\\{0,1\\}\$/\\1/p" <<<"$2" | head -n 1
}
# key=value from process.lua's output.
value() {
  sed -n "s/^$1=//p" <<<"$2"
}

json="$("$bench" --benchmark_filter='^BM_ProcessScriptOverProject$' --benchmark_format=json 2>/dev/null)"
vbs_ms="$(field cpu_time "$json")"
unit="$(sed -n 's/^ *"time_unit": *"\([a-z]*\)".*/\1/p' <<<"$json" | head -n 1)"
vbs_bytes="$(awk -v x="$(field out_bytes "$json")" 'BEGIN { printf "%d", x }')"
vbs_sum="$(awk -v x="$(field checksum "$json")" 'BEGIN { printf "%d", x }')"
if [[ -z "$vbs_ms" || "$unit" != "ms" ]]; then
  echo "could not read the benchmark's report" >&2
  exit 1
fi

lua_out="$(cd "$root" && lua5.4 bench/process.lua)"
lua_ms="$(awk -v s="$(value lua_seconds "$lua_out")" 'BEGIN { printf "%.3f", s * 1000 }')"
lua_bytes="$(value out_bytes "$lua_out")"
lua_sum="$(value checksum "$lua_out")"

echo "input:    10,000 procedures of 20 lines, Process from bench/process.vbs / bench/process.lua"
echo "output:   VBScript $vbs_bytes bytes, checksum $vbs_sum; Lua $lua_bytes bytes, checksum $lua_sum"
if [[ "$vbs_bytes" != "$lua_bytes" || "$vbs_sum" != "$lua_sum" ]]; then
  echo "the two scripts produced different text: the comparison would not be fair" >&2
  exit 1
fi
printf 'VBScript: %.1f ms CPU per pass\n' "$vbs_ms"
printf 'Lua 5.4:  %.1f ms CPU per pass\n' "$lua_ms"
awk -v v="$vbs_ms" -v l="$lua_ms" 'BEGIN { printf "ratio VBScript/Lua: %.2f\n", v / l }'
