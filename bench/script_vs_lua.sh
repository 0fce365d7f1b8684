#!/usr/bin/env bash
# How our VBScript interpreter compares with Lua 5.4: the typical Process script
# (process.vbs / process.lua over the same 10,000 procedures of 20 lines), then four small
# programs (recursive Fib(22), a For loop of 1,000,000 turns doing arithmetic, string
# building, 100,000 objects of a small class in a Dictionary; the loop and the objects once
# more at script level, over global variables), written alike in both
# languages (vbscript_bench.cpp and the Lua text below). Builds nothing: give the build
# folder holding bench/vbscript_bench (default build/, configured with -DGILDEX_BENCH=ON,
# best in Release). Prints CPU times (the best of several runs) and their ratios.
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

# The small programs in Lua, as vbscript_bench.cpp has them in VBScript. Each is run
# repeatedly for half a second; the best run counts, as for the benchmark below.
micro_lua='
local function fib(n) if n < 2 then return n else return fib(n - 1) + fib(n - 2) end end
local function arith() local s = 0 for i = 1, 1000000 do s = s + (i % 7) * 3 end return s end
local function strings()
  local parts = {}
  for i = 0, 99999 do parts[i + 1] = "item" .. i .. ";" end
  local s = table.concat(parts)
  local t = ""
  for i = 1, 20000 do t = t .. s:sub(i, i + 2) end
  return #s + #t
end
local Item = {}
Item.__index = Item
local function objects()
  local d, count = {}, 0
  for i = 1, 100000 do
    local o = setmetatable({}, Item)
    o.key = "k" .. i
    o.value = i
    if d[o.key] ~= nil then error("duplicate key") end
    d[o.key] = o
    count = count + 1
  end
  return count + d["k500"].value
end
-- Arith and Objects at script level: their variables are globals (the counter of a for
-- loop is always local in Lua).
local function arith_globals() s = 0 for i = 1, 1000000 do s = s + (i % 7) * 3 end return s end
local function objects_globals()
  d, count = {}, 0
  for i = 1, 100000 do
    o = setmetatable({}, Item)
    o.key = "k" .. i
    o.value = i
    if d[o.key] ~= nil then error("duplicate key") end
    d[o.key] = o
    count = count + 1
  end
  return count + d["k500"].value
end
local programs = {{"Fib", function() return fib(22) end}, {"Arith", arith}, {"Strings", strings}, {"Objects", objects},
                  {"ArithGlobals", arith_globals}, {"ObjectsGlobals", objects_globals}}
for _, p in ipairs(programs) do
  local best, result, total = math.huge, nil, 0
  repeat
    local start = os.clock()
    result = p[2]()
    local took = os.clock() - start
    total = total + took
    if took < best then best = took end
  until total > 0.5
  print(string.format("%s_ms=%.3f", p[1], best * 1000))
  print(string.format("%s_result=%d", p[1], result))
end
'
lua_micro="$(lua5.4 -e "$micro_lua")"
json="$("$bench" --benchmark_filter='^BM_(Fib|Arith|Strings|Objects|ArithGlobals|ObjectsGlobals)$' --benchmark_repetitions=5 \
        --benchmark_format=json 2>/dev/null)"
echo
printf '%-14s %12s %12s %8s\n' program "VBScript ms" "Lua ms" ratio
for name in Fib Arith Strings Objects ArithGlobals ObjectsGlobals; do
  # The best repetition of BM_<name> and the result it reported.
  read -r vbs_best vbs_result < <(python3 -c '
import json, sys
runs = [b for b in json.load(sys.stdin)["benchmarks"] if b["name"].startswith(sys.argv[1] + "/repeats") or b["name"] == sys.argv[1]]
runs = [b for b in runs if b.get("run_type") == "iteration"]
print(min(b["cpu_time"] for b in runs), int(runs[0]["result"]))' "BM_$name" <<<"$json")
  lua_best="$(value "${name}_ms" "$lua_micro")"
  lua_result="$(value "${name}_result" "$lua_micro")"
  if [[ "$vbs_result" != "$lua_result" ]]; then
    echo "$name: VBScript gave $vbs_result, Lua $lua_result: the programs differ" >&2
    exit 1
  fi
  awk -v n="$name" -v v="$vbs_best" -v l="$lua_best" 'BEGIN { printf "%-14s %12.2f %12.2f %8.2f\n", n, v, l, v / l }'
done
