#!/usr/bin/env bash
# Installs the Debian packages a task needs, when any is missing.
#   deps.sh           the build, the tests and the screenshots (every tool a test uses: a test whose
#                     tool is missing fails)
#   deps.sh fuzz      the coverage-guided fuzzers (make fuzz)
#   deps.sh package   the Debian package and its checks (make package)
set -euo pipefail
case "${1:-build}" in
  build)
    packages=(build-essential cmake ninja-build pkg-config qt6-base-dev qt6-base-dev-tools qt6-svg-dev zlib1g-dev libgl-dev
              libgtest-dev libgmock-dev googletest xvfb xauth x11-utils fonts-liberation poppler-utils
              imagemagick desktop-file-utils libmosquitto-dev mosquitto mosquitto-clients openssl scdoc
              appstream python3 file man-db systemd dpkg-dev mawk) ;;
  fuzz)
    # clang-14 with libFuzzer and its sanitizer runtimes; llvm-14 for llvm-profdata and llvm-cov.
    packages=(cmake ninja-build clang-14 llvm-14 libfuzzer-14-dev libclang-rt-14-dev) ;;
  package)
    packages=(dpkg-dev file lintian) ;;
  *) echo "deps.sh: unknown task: $1" >&2; exit 64 ;;
esac
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing missing packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then sudo=""; elif command -v sudo >/dev/null; then sudo="sudo"; else
  echo "Please install as root: apt-get install ${missing[*]}" >&2; exit 1
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
