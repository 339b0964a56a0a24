#!/usr/bin/env bash
# Renders the window under a virtual X server and saves docs/screenshot.png, so the README's
# picture shows the window as it is built now.
#   tools/screenshot.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
xvfb-run -a -s "-screen 0 1024x768x24" "$build/app/kelvaro" --screenshot docs/screenshot.png
echo "wrote docs/screenshot.png"
