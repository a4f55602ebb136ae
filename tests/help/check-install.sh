#!/usr/bin/env bash
# An install into a temporary prefix holds the programs, the six manuals where the program looks
# for them, a valid desktop entry, the icon in every size, the license and the README.
set -uo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "install failed"; exit 1; }
status=0
expect=(bin/tq36 bin/tq36-cli bin/tq36-metersim share/applications/tq36.desktop share/doc/TQ36/LICENSE share/doc/TQ36/README.md)
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
exit $status
