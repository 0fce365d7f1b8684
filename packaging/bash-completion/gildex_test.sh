#!/usr/bin/env bash
# The bash completion against the gildex just built: each line is the words typed (the last
# one being completed) and a word the completion must offer. It reads the program's --help,
# so a change of that layout shows here.
set -u
gildex=$1
source "$(dirname "$0")/gildex"
cd "$(dirname "$0")/../../data/Sample" || exit 1
passed=0 failed=0
while IFS='|' read -r line expected; do
  read -ra typed <<<"$line"
  [[ $line == *' ' ]] && typed+=("")
  COMP_WORDS=("$gildex" "${typed[@]}") COMP_CWORD=${#typed[@]}
  COMPREPLY=()
  _gildex
  if printf '%s\n' "${COMPREPLY[@]}" | grep -qxF -- "$expected"; then
    ((passed++))
  else
    ((failed++))
    echo "gildex ${line}<TAB>: no \"$expected\" among: ${COMPREPLY[*]}"
  fi
done <<'CASES'
 |verify
 |lsp
ins|insert
insert --t|--template
insert -|--dry-run
insert Orders.vbp --template |Standard
insert --template Logging --ch|--check
insert --set MinL|MinLines=
insert Ord|Orders.vbp
report Orders.vbp --|--json
options s|set
options set Num|Numbering
templates default |Raise
todo Orders.vbp |done
html --layout |positioned
--v|--version
CASES
echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
