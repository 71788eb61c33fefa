#!/usr/bin/env bash
# Builds the fuzzers with clang-19 in build-fuzz, replays each one's kept failing inputs,
# then fuzzes each for a bounded time (60 s, or the first argument): the command line, and
# the terminal layer's reader of descriptions with its renderer. Quiet unless something
# fails; new failing inputs are copied to the fuzzer's regressions folder to be kept.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
build=build-fuzz
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
log="$work/log"

if ! { CXX=clang++-19 cmake -S . -B "$build" -DGORV_FUZZERS=ON -DGORV_TESTS=OFF \
        -DGORV_BENCHMARKS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo &&
       cmake --build "$build" -j2 --target gorv_arguments_fuzzer gorv_description_fuzzer; } \
        >"$log" 2>&1; then
    cat "$log"
    echo "fuzz/run.sh: building the fuzzers failed" >&2
    exit 1
fi

# fuzz NAME CORPUS REGRESSIONS [OPTIONS...]
fuzz() {
    local name=$1 corpus=$2 regressions=$3
    shift 3
    local fuzzer="$build/fuzz/gorv_${name}_fuzzer"
    local artifacts="$work/$name-artifacts" scratch="$work/$name-corpus"
    mkdir -p "$artifacts" "$scratch"
    local kept
    mapfile -t kept < <(find "$regressions" -type f ! -name .gitkeep | sort)
    if ((${#kept[@]})); then
        # Each kept input once; a failure here is a regression.
        if ! "$fuzzer" -close_fd_mask=3 "$@" "${kept[@]}" >"$log" 2>&1; then
            cat "$log"
            echo "fuzz/run.sh: a kept failing input of $fuzzer fails again" >&2
            exit 1
        fi
    fi
    # New corpus entries go to the scratch directory; the committed seeds stay as they are.
    if ! "$fuzzer" -max_total_time="$seconds" -close_fd_mask=3 -print_final_stats=1 \
            -artifact_prefix="$artifacts/" "$@" "$scratch" "$corpus" >"$log" 2>&1; then
        cat "$log"
        local found=0
        for artifact in "$artifacts"/*; do
            [ -e "$artifact" ] || continue
            cp "$artifact" "$regressions/"
            echo "fuzz/run.sh: kept $regressions/$(basename "$artifact")" >&2
            found=1
        done
        [ "$found" = 1 ] || echo "fuzz/run.sh: $fuzzer failed without leaving an input" >&2
        exit 1
    fi
}

fuzz arguments fuzz/corpus fuzz/regressions
# Each input's entry is read in a child process (see fuzz/description_input.h): a small
# quarantine keeps the fork cheap.
ASAN_OPTIONS="quarantine_size_mb=4:malloc_context_size=8" \
    fuzz description fuzz/description_corpus fuzz/description_regressions -max_len=8192
