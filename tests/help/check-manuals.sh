#!/usr/bin/env bash
# Each language's manual beside the program: a valid PDF of several pages that holds the title
# and the table-of-contents heading of its own source, and every picture of a window: each one the
# build took is named in the source, the PDF holds one image per name, and none is shrunk so far
# that the text in it can no longer be read. Every heading has a bookmark that leads to its page,
# every entry of the contents gives that page, and no command, path or option is cut at a line's
# end, so that what a reader copies from the page is what the source says, and no line is there
# twice at a page break. The captions that count what a picture shows say what it shows.
set -uo pipefail
# The sources and the text read from the PDFs are UTF-8, whatever locale the caller has (none, on
# a fresh machine): a character class with a no-break space in it needs a UTF-8 locale.
export LC_ALL=C.UTF-8
help_sources=$1 built=$2
pictures=$built/manual-pictures
# The pictures are taken at twice a screen's 96 dpi; shown at 80 % of the window's size or more.
max_ppi=240
nbsp=$(printf '\xc2\xa0')
status=0
taken=$(ls "$pictures"/*.png 2>/dev/null | xargs -rn1 basename | sed 's/\.png$//')
[ -n "$taken" ] || { echo "no pictures in $pictures"; status=1; }
# What the main window and the real-time list show (the tool notes it as it takes them): the
# record count, and list rows that lie the sampling interval apart.
shown=$pictures/shown.txt
records=$(sed -n 's/^records //p' "$shown" 2>/dev/null)
row_seconds=$(sed -n 's/^row //p' "$shown" 2>/dev/null | awk -F: '{ print $1 * 3600 + $2 * 60 + $3 }')
steps=$(awk 'NR > 1 { print $1 - last } { last = $1 }' <<<"$row_seconds" | sort -u)
[ -n "$records" ] && [ "$records" -gt 1 ] 2>/dev/null || { echo "the main window's picture shows no recording under way"; status=1; }
[ "$(grep -c . <<<"$steps")" -eq 1 ] ||
  { echo "the list's rows are not evenly spaced: $(tr '\n' ' ' <<<"$steps")s apart"; status=1; }
# The paragraph that leads to a picture: its caption.
caption() {
  awk -v shot="](shot:$2)" '/^$/ { if (p != "") last = p; p = ""; next }
                            index($0, shot) { print (p != "" ? p : last); exit } { p = p " " $0 }' "$1"
}
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
  grep -qw -- "$records" <<<"$(caption "$source" panel)" ||
    { echo "$code: the main window's picture shows $records records, not what its caption says"; status=1; }
  grep -qw -- "$steps" <<<"$(caption "$source" list)" ||
    { echo "$code: the list's picture shows a row every $steps s, not what its caption says"; status=1; }
  # French sets a narrow no-break space before : ; ! and ? (the text layer reads it as a plain
  # space), so that none of them starts a line.
  if [ "$code" = FR ]; then
    loose=$(sed 's/`[^`]*`//g' "$source" | grep -cE "[ ${nbsp}][;:!?]")
    [ "$loose" -eq 0 ] || { echo "$code: $loose lines of the source set : ; ! or ? after a breaking space"; status=1; }
    leading=$(pdftotext -enc UTF-8 "$pdf" - | grep -cE '^[;:!?]')
    [ "$leading" -eq 0 ] || { echo "$code: $leading lines of the PDF start with : ; ! or ?"; status=1; }
  fi
  # No line at a page's foot comes again at the head of the next: searching and screen readers
  # would meet it twice.
  twice=$(pdftotext -enc UTF-8 -layout "$pdf" - | awk 'BEGIN { RS = "\f" }
    { n = split($0, L, "\n"); k = 0
      for (i = 1; i <= n && k < 3; i++) { t = L[i]; gsub(/^ +| +$/, "", t); if (length(t) > 10) head[++k] = t }
      for (j = 1; j <= k; j++) for (m = 1; m <= f; m++) if (head[j] == foot[m]) { c++; print head[j] > "/dev/stderr" }
      f = 0
      for (i = n; i >= 1 && f < 3; i--) { t = L[i]; gsub(/^ +| +$/, "", t); if (length(t) > 10) foot[++f] = t } }
    END { print c + 0 }')
  [ "$twice" -eq 0 ] || { echo "$code: $twice lines of the text come twice at page breaks"; status=1; }
  errors=$( { pdfinfo "$pdf" && pdftotext "$pdf" - && pdftohtml -xml -i -stdout "$pdf"; } 2>&1 >/dev/null)
  [ -z "$errors" ] || { echo "$code: poppler reads the file with errors: $errors"; status=1; }

  # The headings of the source, as a reader sees them, and the bookmarks with their pages.
  headings=$(sed -n 's/^#\{1,6\} \+//p' "$source" | sed 's/[`*]//g')
  outline=$(pdftohtml -xml -i -stdout -q "$pdf" 2>/dev/null |
            sed -n 's/.*<item page="\([0-9]*\)">\(.*\)<\/item>.*/\1 \2/p' |
            sed "s/&amp;/\&/g; s/&lt;/</g; s/&gt;/>/g; s/&quot;/\"/g; s/&#39;/'/g; s/&apos;/'/g")
  [ "$(cut -d' ' -f2- <<<"$outline")" = "$headings" ] ||
    { echo "$code: the bookmarks are not the headings:"; diff <(echo "$headings") <(cut -d' ' -f2- <<<"$outline"); status=1; }
  while read -r page title; do
    [ -n "$title" ] || continue
    pdftotext -enc UTF-8 -f "$page" -l "$page" "$pdf" - | tr -s ' \n' '  ' | grep -qF -- "$title" ||
      { echo "$code: the bookmark \"$title\" leads to page $page, which lacks it"; status=1; }
  done <<<"$outline"

  # The contents: the numbered list under the first section heading; each entry on one line with
  # the page its heading is on.
  entries=$(awk '/^## / { n++; next } n == 1 && /^[0-9]+\. / { sub(/^[0-9]+\. +/, ""); gsub(/[`*]/, ""); print }' "$source")
  [ -n "$entries" ] || { echo "$code: no contents in the source"; status=1; }
  layout=$(pdftotext -enc UTF-8 -layout "$pdf" -)
  while read -r entry; do
    [ -n "$entry" ] || continue
    page=$(awk -v e="$entry" '{ p = $1; $1 = ""; t = substr($0, 2); sub(/^[0-9]+\. +/, "", t) } t == e { print p; exit }' <<<"$outline")
    [ -n "$page" ] || { echo "$code: no bookmark for the contents entry \"$entry\""; status=1; continue; }
    awk -v e="$entry" -v p="$page" 'index($0, e) && $NF == p { found = 1 } END { exit !found }' <<<"$layout" ||
      { echo "$code: the contents lack \"$entry\" with its page $page"; status=1; }
  done <<<"$entries"

  # Commands, paths and options: each code span of the source on one line of the text, or, when
  # it is longer than a line holds, each word of it; and so each path or option of the running
  # text.
  text_lines=$(pdftotext -enc UTF-8 "$pdf" -)
  while IFS= read -r span; do
    [ -n "$span" ] || continue
    if [ ${#span} -le 60 ]; then pieces=$span; else pieces=$(tr -s ' ' '\n' <<<"$span"); fi
    while IFS= read -r piece; do
      grep -qF -- "$piece" <<<"$text_lines" || { echo "$code: \"$piece\" is cut across lines"; status=1; }
    done <<<"$pieces"
  done < <(grep -o '`[^`]*`' "$source" | tr -d '`')
  while IFS= read -r word; do
    grep -qF -- "$word" <<<"$text_lines" || { echo "$code: \"$word\" is cut across lines"; status=1; }
  done < <(grep -v '^!\[' "$source" | sed 's/`[^`]*`//g; s/[*]//g' | tr -s ' \t' '\n\n' |
           grep -E '^(--|[^-].*/)' | sed 's/^[("]*//; s/[).,;:"]*$//' | grep -E '^--.|/' | sort -u)

  echo "$code: $pages pages, $count pictures, $(grep -c . <<<"$outline") bookmarks"
done
exit $status
