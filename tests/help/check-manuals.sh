#!/usr/bin/env bash
# Each language's manual beside the program: a valid PDF of several pages that holds the title
# and the table-of-contents heading of its own source, and every picture of a window: each one the
# build took is named in the source, the PDF holds one image per name, and none is shrunk so far
# that the text in it can no longer be read.
set -uo pipefail
help_sources=$1 built=$2
pictures=$built/manual-pictures
# The pictures are taken at twice a screen's 96 dpi; shown at 80 % of the window's size or more.
max_ppi=240
status=0
taken=$(ls "$pictures"/*.png 2>/dev/null | xargs -rn1 basename | sed 's/\.png$//')
[ -n "$taken" ] || { echo "no pictures in $pictures"; status=1; }
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
  named=$(grep -o '](shot:[a-z]*)' "$source" | sed 's/](shot:\(.*\))/\1/')
  for name in $taken; do
    grep -qx "$name" <<<"$named" || { echo "$code: the source does not show the picture $name"; status=1; }
  done
  images=$(pdfimages -list "$pdf" 2>/dev/null | awk 'NR > 2 && $3 == "image"')
  count=$(grep -c . <<<"$images")
  [ "$count" -eq "$(grep -c . <<<"$named")" ] ||
    { echo "$code: $count pictures in the PDF for $(grep -c . <<<"$named") in the source"; status=1; }
  small=$(awk -v max=$max_ppi '$13 > max || $14 > max' <<<"$images" | grep -c .)
  [ "$small" -eq 0 ] || { echo "$code: $small pictures shrunk below a readable size"; status=1; }
  echo "$code: $pages pages, $count pictures"
done
exit $status
