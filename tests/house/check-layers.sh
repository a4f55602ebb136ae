#!/usr/bin/env bash
# The folders say what a file may use: the core never includes Qt, a window or the ui layer; the
# ui layer never includes a window; a window never includes the main window's header; the plot
# and the list windows do not include each other. Prints every include that breaks a rule.
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
while IFS= read -r hit; do fail "a window reaches up to the main window: $hit"; done < <(
    grep -rHnE '#include "windows/panel/' "$src/windows" --include=*.h --include=*.cpp | grep -v "^$src/windows/panel/")
while IFS= read -r hit; do fail "plot and list include each other: $hit"; done < <(
    grep -HnE '#include "windows/records/' "$src"/windows/graphs/PlotWindow.*
    grep -HnE '#include "windows/graphs/' "$src"/windows/records/ListWindow.*)
exit $status
