#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets up, builds and starts the utility on the built-in simulated adapter.
# Without a display it walks through every window offscreen instead, saves a
# picture of each (KORVANTA_SCREENSHOTS, default build/screenshots) and prints
# their paths.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
bin="${KORVANTA_BUILD_DIR:-build}/bin"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  shots="${KORVANTA_SCREENSHOTS:-${KORVANTA_BUILD_DIR:-build}/screenshots}"
  echo "No display: taking a picture of every window into $shots"
  QT_QPA_PLATFORM=offscreen timeout 120 "$bin/korvanta" --screenshots "$shots"
  exit
fi
exec "$bin/korvanta" --simulate "$@"
