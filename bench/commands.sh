#!/usr/bin/env bash
# Times whole zelt-lbr commands with hyperfine against the built executable.
# Not run by CI: ./bench/commands.sh [extra hyperfine arguments]
set -euo pipefail
cd "$(dirname "$0")/.."
exe=${ZELT_LBR:-build/zelt-lbr}
hyperfine --warmup 20 --shell=none "$@" \
  "$exe health"
