# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by scripts/setup.sh: Debian's hardening flags (fortify, stack
# protector, relro, bindnow, PIE) from dpkg-buildflags, as CMake options in
# the array "hardening", the flags the package's build takes (debian/rules).
# Without -g: a developer's build has no debug symbol package to fill, and
# debug information would only cost build time.
hardening=()
if command -v dpkg-buildflags >/dev/null; then
  buildflag() {
    DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_CXXFLAGS_MAINT_STRIP=-g dpkg-buildflags --get "$1"
  }
  hardening=(-DCMAKE_CXX_FLAGS="$(buildflag CPPFLAGS) $(buildflag CXXFLAGS)"
             -DCMAKE_EXE_LINKER_FLAGS="$(buildflag LDFLAGS)")
fi
