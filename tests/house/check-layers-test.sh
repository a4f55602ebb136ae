#!/usr/bin/env bash
# The layering check catches what it is for: a copy of the sources with one window including
# another window area's header, by its path or by a relative one, fails it and is named.
set -uo pipefail
check="$(dirname "$0")/check-layers.sh"
for plant in '#include "windows/records/ListWindow.h"' '#include "../panel/Panel.h"'; do
    copy=$(mktemp -d)
    cp -r "$1/src" "$copy/src"
    echo "$plant" >> "$copy/src/windows/stats/AvgWindow.cpp"
    report=$("$check" "$copy")
    status=$?
    rm -rf "$copy"
    if [ $status -eq 0 ] || ! grep -q "another window area: .*stats/AvgWindow.cpp" <<<"$report"; then
        echo "not caught: $plant (status $status) $report"
        exit 1
    fi
done
