#!/usr/bin/env bash
# Shared by run.sh and test.sh: installs the Debian packages the build needs (only those
# missing, quietly), then configures and builds one tree.
#   setup.sh BUILD_DIR [extra cmake arguments...]
set -euo pipefail

packages=(
  cmake g++ ninja-build pkgconf   # the build
  libgtest-dev libgmock-dev       # the test suite
  p7zip-full                      # the archiver the backup runs
  perl                            # the regex engine's differential tests
  acl                             # setfacl: the run's tests of kept ACLs
  nettle-dev                      # SHA-256 of the files an undo record keeps track of
  patch git                       # the tests that apply qmend --diff's output
  qt6-base-dev                    # the desktop program
  xvfb xauth imagemagick          # screenshots of the desktop program on a virtual display
  dpkg-dev file                   # cpack's Debian package: dpkg-shlibdeps finds the libraries
  desktop-file-utils              # the test of the desktop entry
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

top=$(cd "$(dirname "$0")/.." && pwd)
build="$1"; shift
cmake -S "$top" -B "$top/$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
cmake --build "$top/$build" -j "$(nproc)"
