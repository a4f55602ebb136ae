#!/usr/bin/env bash
# An install into a temporary prefix holds the programs, the six manuals where the program looks
# for them, a valid desktop entry, the icon in every size, the license and the README, and the
# publishing service, a unit that systemd reads without a complaint. Each program has a manual
# page that man reads without a warning and that names every command, option and exit status its
# --help names; the AppStream metadata passes appstreamcli's pedantic check and its release is the
# changelog's. The Debian package made from the build recommends a PDF viewer and suggests a
# broker, and carries the manual pages. A tool missing for any of these checks fails the test:
# tools/scripts/deps.sh installs them all.
set -uo pipefail
build=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
# Under usr/, so that appstreamcli reads the tree as a system's.
prefix=$root/usr
cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "install failed"; exit 1; }
status=0
unit=lib/systemd/system/tq36-publish@.service
expect=(bin/tq36 bin/tq36-cli libexec/tq36/tq36-plot bin/tq36-metersim share/applications/tq36.desktop share/doc/tq36/LICENSE
        share/doc/tq36/README.md share/doc/tq36/copyright share/doc/tq36/examples/publish.env "$unit")
for code in BPT DE EN ES FR IT; do expect+=("share/tq36/help/TQ36-SW-HELP-${code}_V2.1.pdf"); done
for size in 16 32 48 64 128 256; do expect+=("share/icons/hicolor/${size}x${size}/apps/tq36.png"); done
for program in tq36 tq36-cli tq36-metersim; do expect+=("share/man/man1/$program.1.gz"); done
for file in "${expect[@]}"; do
  [ -s "$prefix/$file" ] || { echo "missing: $file"; status=1; }
done
[ -x "$prefix/bin/tq36" ] || { echo "bin/tq36 is not executable"; status=1; }
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/tq36.desktop" || status=1
else
  echo "desktop-file-validate is not installed"; status=1
fi
if command -v systemd-analyze >/dev/null; then
  # The unit names the program where it is installed for good, not in this temporary prefix.
  # The manual page it names is looked up in this prefix.
  complaints=$(MANPATH=$prefix/share/man systemd-analyze verify "$prefix/${unit/@/@1}" 2>&1 | grep -v 'tq36-cli is not executable')
  [ -z "$complaints" ] || { echo "$complaints"; status=1; }
else
  echo "systemd-analyze is not installed (tools/scripts/deps.sh installs it): the unit is not checked"; status=1
fi

# man_warnings PROGRAM: man reads the page without a warning.
man_warnings() {
  local warnings
  warnings=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$prefix/share/man/man1/$1.1.gz" 2>&1 >/dev/null)
  [ -z "$warnings" ] || { echo "$1(1): $warnings"; status=1; }
}
# man_page PROGRAM: the page as man shows it, each paragraph on one line.
man_page() { MANWIDTH=10000 man -E UTF-8 -l "$prefix/share/man/man1/$1.1.gz" 2>/dev/null; }
if command -v man >/dev/null; then
  for program in tq36-cli tq36-metersim; do
    [ -s "$prefix/share/man/man1/$program.1.gz" ] || continue
    man_warnings "$program"
    page=$(man_page "$program")
    help=$("$prefix/bin/$program" --help)
    for option in $(grep -oE -- '--[a-z][a-z-]*' <<<"$help" | sort -u); do
      grep -qE -- "(^|[^a-z-])$option([^a-z-]|$)" <<<"$page" || { echo "$program(1) does not name $option"; status=1; }
    done
    for command in $(sed -nE "s/^  $program ([a-z]+).*/\1/p" <<<"$help"); do
      grep -qE -- "^ +$program $command( |$)" <<<"$page" || { echo "$program(1) has no synopsis of $command"; status=1; }
    done
    exits=$(sed -n '/^EXIT STATUS/,/^[A-Z]/p' <<<"$page")
    for code in $(sed -n '/^Exit status:/,$p' <<<"$help" | sed -nE 's/^ +([0-9]+)  .*/\1/p'); do
      grep -qE -- "(^|[^0-9])$code([^0-9]|$)" <<<"$exits" || { echo "$program(1) has no exit status $code"; status=1; }
    done
  done
  [ -s "$prefix/share/man/man1/tq36.1.gz" ] && man_warnings tq36
else
  echo "man is not installed (tools/scripts/deps.sh installs it): the manual pages are not read"; status=1
fi

metainfo=("$prefix"/share/metainfo/*.metainfo.xml)
if [ ${#metainfo[@]} -ne 1 ] || [ ! -s "${metainfo[0]}" ]; then
  echo "share/metainfo holds no single metainfo file"; status=1
else
  if command -v appstreamcli >/dev/null; then
    appstreamcli validate-tree --pedantic --no-net "$root" >/dev/null || {
      appstreamcli validate-tree --pedantic --no-net "$root"; status=1; }
  else
    echo "appstreamcli is not installed: the metainfo is not validated"; status=1
  fi
  release=$(grep -oE '<release version="[^"]*" date="[^"]*"' "${metainfo[0]}" | head -1)
  entry=$(gzip -dc "$prefix/share/doc/tq36/changelog.gz" | sed -nE '1s/^tq36 \(([^)]*)\).*/\1/p')
  day=$(gzip -dc "$prefix/share/doc/tq36/changelog.gz" | sed -nE 's/^ -- .*  (.*)$/\1/p' | head -1)
  expected="<release version=\"$entry\" date=\"$(date -u -d "$day" +%F)\""
  [ "$release" = "$expected" ] || { echo "metainfo's release $release, the changelog's $expected"; status=1; }
fi

if command -v cpack >/dev/null && command -v dpkg-deb >/dev/null && command -v dpkg-shlibdeps >/dev/null &&
   command -v file >/dev/null; then
  cpack -G DEB -B "$root/package" --config "$build/CPackConfig.cmake" >/dev/null 2>"$root/cpack.log" || {
    cat "$root/cpack.log"; echo "cpack failed"; exit 1; }
  deb=$(ls "$root"/package/tq36_*.deb)
  for field in "Recommends: pdf-viewer" "Suggests: mosquitto"; do
    dpkg-deb -f "$deb" "${field%%:*}" | grep -qx "${field#*: }" || { echo "the package lacks $field"; status=1; }
  done
  contents=$(dpkg-deb -c "$deb")
  for program in tq36 tq36-cli tq36-metersim; do
    grep -q " ./usr/share/man/man1/$program.1.gz$" <<<"$contents" || { echo "the package lacks $program(1)"; status=1; }
  done
else
  echo "cpack, dpkg-deb, dpkg-shlibdeps or file is not installed: the package is not checked"; status=1
fi
exit $status
