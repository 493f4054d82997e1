#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what the project needs from Debian's packages (only when something
# is missing) and builds it into build/ (KORVANTA_BUILD_DIR), unless given
# --packages-only. Safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ pkg-config
          qt6-base-dev qt6-serialport-dev qt6-qpa-plugins libsimpleini-dev
          librsvg2-bin                                  # the icon's PNGs from its SVG
          qt6-tools-dev qt6-l10n-tools                  # translations
          xvfb xauth fonts-dejavu-core fonts-ipafont-gothic qt6-translations-l10n
          man-db                                        # tests/manpages
          ser2net                                       # tests/net: the console server
          libssh-dev                                    # console servers over SSH
          openssh-server socat                          # tests/net: the console server over SSH
          openssl                                       # tests/net: the TLS certificates
          desktop-file-utils appstream                  # scripts/installcheck.sh
          dpkg-dev debhelper lintian                    # scripts/package.sh, its check
          ansible-core python3-pytest                   # the Ansible collection's tests
          python3-venv yamllint pycodestyle pylint      # its sanity checks (ansible/sanity.sh)
          python3-voluptuous shellcheck
          clang libclang-rt-14-dev)                     # the sanitizer build with the fuzzers

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

[ "${1:-}" = --packages-only ] && exit 0

build=${KORVANTA_BUILD_DIR:-build}
# The release's date (debian/changelog) for everything the build dates, as
# dpkg-buildpackage gives it to the package's build.
export SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l debian/changelog -STimestamp)
# The normal build with the package's hardening flags; the sanitizer build
# without (fortify needs -O2). KORVANTA_FUZZ=ON: the sanitizer build by clang,
# with the libFuzzer programs.
hardening=()
[ "${KORVANTA_SANITIZE:-OFF}" = ON ] || [ "${KORVANTA_FUZZ:-OFF}" = ON ] || . scripts/hardening.sh
compiler=()
[ "${KORVANTA_FUZZ:-OFF}" = ON ] && compiler=(-DCMAKE_CXX_COMPILER=clang++)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=${KORVANTA_BUILD_TYPE:-Release} "${compiler[@]}" \
      -DKORVANTA_SANITIZE=${KORVANTA_SANITIZE:-OFF} -DKORVANTA_FUZZ=${KORVANTA_FUZZ:-OFF} "${hardening[@]}" >/dev/null
if ! cmake --build "$build" -- -j"$(nproc)" >"$build/build.log" 2>&1; then
  tail -60 "$build/build.log"
  echo "Build failed; the whole log is in $build/build.log" >&2
  exit 1
fi
