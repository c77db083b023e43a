#!/usr/bin/env bash
# Installs what is missing, builds everything with the given preset (default:
# "default"; "asan" for AddressSanitizer and UndefinedBehaviorSanitizer) and runs
# every test.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-default}
scripts/install-deps.sh
cmake --preset "$preset"
cmake --build --preset "$preset"
ctest --preset "$preset"
