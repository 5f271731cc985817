#!/usr/bin/env bash
# Runs one fuzz target (picture, terminal_input or savefile) built by `make fuzz` for a number of seconds,
# on its corpus under build/fuzz/corpus/ started from fuzz/seeds/. Findings are written to
# build/fuzz/artifacts/; keep each one in fuzz/regressions/<target>/ once it is mended.
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:?usage: tools/fuzz.sh picture|terminal_input|savefile SECONDS}
seconds=${2:-60}
options=()
# Pictures are small: an allocation this large means a size was taken on trust.
[ "$target" = picture ] && options=(-close_fd_mask=1 -malloc_limit_mb=64)
[ -f "fuzz/$target.dict" ] && options+=(-dict="fuzz/$target.dict")
mkdir -p "build/fuzz/corpus/$target" build/fuzz/artifacts
"build/fuzz/vostrel_fuzz_$target" "${options[@]}" \
  -max_total_time="$seconds" -print_final_stats=1 \
  -artifact_prefix="build/fuzz/artifacts/$target-" "build/fuzz/corpus/$target" "fuzz/seeds/$target"
