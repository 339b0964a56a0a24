#!/usr/bin/env bash
# Renders the window under a virtual X server and saves docs/screenshot.png, so the README's
# picture shows the window as it is built now: in Chinese, as its users see it, and with the
# settings of a first run (a configuration folder of its own, so the user's choices do not show).
#   tools/screenshot.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
LANG=zh_CN.UTF-8 LANGUAGE=zh_CN XDG_CONFIG_HOME=$config \
  xvfb-run -a -s "-screen 0 1024x768x24" "$build/app/kelvaro" --screenshot docs/screenshot.png
echo "wrote docs/screenshot.png"
