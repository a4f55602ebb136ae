#!/usr/bin/env bash
# An install into a temporary prefix holds the programs, the six manuals where the program looks
# for them, a valid desktop entry, the icon in every size, the license and the README, and the
# publishing service, a unit that systemd reads without a complaint.
set -uo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "install failed"; exit 1; }
status=0
unit=lib/systemd/system/tq36-publish@.service
expect=(bin/tq36 bin/tq36-cli bin/tq36-plot bin/tq36-metersim share/applications/tq36.desktop share/doc/tq36/LICENSE
        share/doc/tq36/README.md share/doc/tq36/copyright share/doc/tq36/examples/publish.env "$unit")
for code in BPT DE EN ES FR IT; do expect+=("share/tq36/help/TQ36-SW-HELP-${code}_V2.1.pdf"); done
for size in 16 32 48 64 128 256; do expect+=("share/icons/hicolor/${size}x${size}/apps/tq36.png"); done
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
  complaints=$(systemd-analyze verify "$prefix/${unit/@/@1}" 2>&1 | grep -v 'tq36-cli is not executable')
  [ -z "$complaints" ] || { echo "$complaints"; status=1; }
else
  echo "systemd-analyze is not installed: the unit is not checked"
fi
exit $status
