-- process.vbs written in Lua 5.4, run over the same 10,000 procedures of 20 lines that
-- vbscript_bench.cpp generates, for script_vs_lua.sh. Prints the seconds one pass takes
-- and what the pass produced (bytes and an FNV-1a checksum), which must match the
-- VBScript run for the comparison to be honest.
local PROCEDURES = 10000
local PASSES = tonumber(arg and arg[1]) or 5

-- The same text as Procedures() in vbscript_bench.cpp.
local function procedures()
  local procs = {}
  for p = 0, PROCEDURES - 1 do
    local n = tostring(p)
    local parts = {"Public Function Compute", n, "(ByVal Value As Long) As Long\r\n",
                   "    Dim Total As Long\r\n    Dim Index As Long\r\n"}
    if p % 10 == 0 then parts[#parts + 1] = "    On Error GoTo Failed\r\n" end
    for l = 0, 13 do
      if l % 5 == 0 then
        parts[#parts + 1] = '    Debug.Print "step ' .. l .. '"\r\n'
      else
        parts[#parts + 1] = "    Total = Total + Value * " .. l .. "\r\n"
      end
    end
    parts[#parts + 1] = "    Compute" .. n .. " = Total\r\nFailed:\r\nEnd Function"
    procs[#procs + 1] = table.concat(parts)
  end
  return procs
end

-- Split(text, vbCrLf): plain finds, which are much faster in Lua than a lazy gmatch.
local function split_lines(text)
  local lines, start = {}, 1
  while true do
    local at = text:find("\r\n", start, true)
    if not at then break end
    lines[#lines + 1] = text:sub(start, at - 1)
    start = at + 2
  end
  lines[#lines + 1] = text:sub(start)
  return lines
end

local function process(code)
  if code:lower():find("on error", 1, true) then return "" end
  local lines = split_lines(code)
  local changed = false
  for i, raw in ipairs(lines) do
    local line = raw:match("^ *(.*[^ ])") or ""  -- Trim: spaces only, as VBScript's
    if line:sub(1, 4) == "Dim " then
      lines[i] = raw .. " ' local"
      changed = true
    elseif line:find("Debug.Print", 1, true) then
      lines[i] = "'" .. raw
      changed = true
    end
  end
  if not changed then return "X" end
  lines[1] = lines[1] .. '\r\n    Trace "enter"'
  return table.concat(lines, "\r\n")
end

-- FNV-1a over every output followed by a line feed, 32 bits.
local function checksum(outputs)
  local h = 2166136261
  for _, text in ipairs(outputs) do
    for k = 1, #text do h = ((h ~ text:byte(k)) * 16777619) & 0xFFFFFFFF end
    h = ((h ~ 10) * 16777619) & 0xFFFFFFFF
  end
  return h
end

local procs = procedures()
local outputs = {}
local started = os.clock()
for _ = 1, PASSES do
  for i, code in ipairs(procs) do outputs[i] = process(code) end
end
local seconds = (os.clock() - started) / PASSES

local bytes = 0
for _, text in ipairs(outputs) do bytes = bytes + #text end
print(string.format("lua_seconds=%.6f", seconds))
print(string.format("out_bytes=%d", bytes))
print(string.format("checksum=%d", checksum(outputs)))
