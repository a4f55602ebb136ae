#!/usr/bin/env bash
# Builds the Debian package in a Release build folder of its own, installed under /usr, and
# checks it with lintian: an error or a warning there fails the build; the info tags are shown.
set -euo pipefail
build=${1:-build-package}
jobs=${2:-$(nproc)}
if [ ! -f "$build/build.ninja" ]; then
  # Debian's own compiler and linker flags, with every hardening feature.
  export DEB_BUILD_MAINT_OPTIONS=hardening=+all
  CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  LDFLAGS="$(dpkg-buildflags --get LDFLAGS)" \
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
          -DBUILD_TESTING=OFF
fi
cmake --build "$build" -j "$jobs"
rm -f "$build"/tq36_*.deb
(cd "$build" && cpack -G DEB)
deb=$(ls "$build"/tq36_*.deb)
echo "lintian:"
lintian --fail-on error,warning --display-info "$deb"
echo "Package: $deb"
