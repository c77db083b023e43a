#!/usr/bin/env bash
# Quick start: installs what is missing, builds keelwardctl and runs it with the
# given arguments on the default NVRAM image (~/.local/state/keelward/nvram).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! { cmake --preset release && cmake --build --preset release --target keelwardctl; } >"$log" 2>&1; then
  cat "$log" >&2
  exit 1
fi
exec build/release/tool/keelwardctl "$@"
