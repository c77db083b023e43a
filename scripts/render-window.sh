#!/usr/bin/env bash
# Renders the Keelward window, locked and unlocked (through a test authority), to
# docs/keelward-locked.png and docs/keelward-unlocked.png, and the alert of a
# successful save to docs/keelward-saved.png, under Xvfb with the xcb
# platform. Builds the rendering tool with the default preset first.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset default >/dev/null
cmake --build --preset default --target keelward_render_window
mkdir -p docs
export QT_QPA_PLATFORM=xcb LANG=${RENDER_LANG:-en_US.UTF-8} LANGUAGE=
xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24 -dpi 96" \
  build/default/app/keelward_render_window docs/keelward-locked.png docs/keelward-unlocked.png \
  docs/keelward-saved.png
