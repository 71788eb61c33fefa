#!/usr/bin/env bash
# Builds the command-line fuzzer with clang-19 in build-fuzz, replays the kept failing
# inputs, then fuzzes for a bounded time (60 s, or the first argument). Quiet unless
# something fails; new failing inputs are copied to fuzz/regressions/ to be kept.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
build=build-fuzz
fuzzer="$build/fuzz/gorv_arguments_fuzzer"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
log="$work/log"

if ! { CXX=clang++-19 cmake -S . -B "$build" -DGORV_FUZZERS=ON -DGORV_TESTS=OFF \
        -DGORV_BENCHMARKS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
       cmake --build "$build" -j2 --target gorv_arguments_fuzzer; } >"$log" 2>&1; then
    cat "$log"
    echo "fuzz/run.sh: building the fuzzer failed" >&2
    exit 1
fi

keep_failures() {
    cat "$log"
    local found=0
    for artifact in "$work"/artifacts/*; do
        [ -e "$artifact" ] || continue
        cp "$artifact" fuzz/regressions/
        echo "fuzz/run.sh: kept fuzz/regressions/$(basename "$artifact")" >&2
        found=1
    done
    [ "$found" = 1 ] || echo "fuzz/run.sh: the fuzzer failed without leaving an input" >&2
    exit 1
}

mkdir -p "$work/artifacts" "$work/corpus"
mapfile -t regressions < <(find fuzz/regressions -type f ! -name .gitkeep | sort)
if ((${#regressions[@]})); then
    # Each kept input once; a failure here is a regression.
    if ! "$fuzzer" -close_fd_mask=3 "${regressions[@]}" >"$log" 2>&1; then
        cat "$log"
        echo "fuzz/run.sh: a kept failing input fails again" >&2
        exit 1
    fi
fi

# New corpus entries go to the scratch directory; the committed seeds stay as they are.
if ! "$fuzzer" -max_total_time="$seconds" -close_fd_mask=3 -print_final_stats=1 \
        -artifact_prefix="$work/artifacts/" "$work/corpus" fuzz/corpus >"$log" 2>&1; then
    keep_failures
fi
