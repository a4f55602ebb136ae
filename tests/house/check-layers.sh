#!/usr/bin/env bash
# The folders say what a file may use: the core never includes Qt, a window or the ui layer; the
# ui layer never includes a window; a window never includes another window area's header (windows
# meet only through app/, which makes them and wires them together). Prints every include that
# breaks a rule.
set -uo pipefail
src="$1/src"
core="serial meter acquisition records logger stats graphs"
status=0
fail() { echo "$1"; status=1; }

for dir in $core; do
    while IFS= read -r hit; do fail "core includes Qt or a window: $hit"; done < <(
        grep -HnE '#include [<"](Q[A-Za-z]+|windows/|ui/|app/)' "$src/$dir"/*.h "$src/$dir"/*.cpp)
done
while IFS= read -r hit; do fail "ui includes a window: $hit"; done < <(
    grep -HnE '#include "(windows|app)/' "$src"/ui/*.h "$src"/ui/*.cpp)
for area in "$src"/windows/*/; do
    name=$(basename "$area")
    while IFS= read -r hit; do fail "a window includes another window area: $hit"; done < <(
        grep -HnE '#include "(app/|windows/[^"/]+/|\.\./)' "$area"*.h "$area"*.cpp | grep -vE "#include \"windows/$name/")
done
exit $status
