#!/usr/bin/env bash
# Each language's manual beside the program: a valid PDF of several pages that holds the title
# and the table-of-contents heading of its own source, and at least one picture of a window.
set -uo pipefail
help_sources=$1 built=$2
status=0
for pair in BPT:bpt DE:de EN:en ES:es FR:fr IT:it; do
  code=${pair%%:*} source=$help_sources/${pair##*:}.md
  pdf=$built/help/TQ36-SW-HELP-${code}_V2.1.pdf
  [ -f "$source" ] || { echo "$code: no source $source"; status=1; continue; }
  [ -f "$pdf" ] || { echo "$code: no $pdf"; status=1; continue; }
  pages=$(pdfinfo "$pdf" 2>/dev/null | awk '/^Pages:/ { print $2 }')
  [ "${pages:-0}" -ge 2 ] || { echo "$code: not a PDF of several pages"; status=1; continue; }
  text=$(pdftotext -enc UTF-8 "$pdf" - 2>/dev/null | tr -s ' \n' '  ')
  # The title and the first section heading after it (the table of contents), as the source has them.
  for heading in "$(sed -n 's/^# //p' "$source" | head -1)" "$(sed -n 's/^## //p' "$source" | head -1)"; do
    grep -qF -- "$heading" <<<"$text" || { echo "$code: the text lacks \"$heading\""; status=1; }
  done
  images=$(pdfimages -list "$pdf" 2>/dev/null | awk 'NR > 2 && $3 == "image"' | wc -l)
  [ "$images" -ge 1 ] || { echo "$code: no picture"; status=1; }
  echo "$code: $pages pages, $images pictures"
done
exit $status
