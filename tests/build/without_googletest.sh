#!/usr/bin/env bash
# Without GoogleTest the build folder is configured with the tests off and one line that
# says so, and the test command fails with a line that says why.
# Arguments: the source folder, the generator, the C++ compiler.
set -uo pipefail
source=$1 generator=$2 compiler=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# CI stops instead of configuring without the tests.
if ! env -u CI cmake -S "$source" -B "$work/build" -G "$generator" \
    -DCMAKE_CXX_COMPILER="$compiler" -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON >"$work/log" 2>&1; then
    cat "$work/log"
    echo "FAIL: configuring without GoogleTest failed"
    exit 1
fi
lines=$(grep -ci 'gtest\|googletest' "$work/log")
said=$(grep -c '^-- GoogleTest not found: the tests are off' "$work/log")
if ((lines != 1 || said != 1)); then
    cat "$work/log"
    echo "FAIL: not one line about GoogleTest"
    exit 1
fi
[[ ! -e $work/build/tests ]] || { echo "FAIL: the tests are configured"; exit 1; }
if ctest --test-dir "$work/build" --output-on-failure >"$work/ctest" 2>&1; then
    cat "$work/ctest"
    echo "FAIL: the test command passes without GoogleTest"
    exit 1
fi
grep -q 'The tests need GoogleTest' "$work/ctest" || { cat "$work/ctest"; echo "FAIL: no reason given"; exit 1; }
echo "without GoogleTest: ok"
