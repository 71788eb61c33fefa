#!/usr/bin/env bash
# The generator says in words what keeps it from writing its output, and leaves no file
# behind.
# Arguments: the generator, the folder of the hand-written shell code.
set -uo pipefail
generator=$1 shell=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# expect_failure LINE ARGUMENTS...: the generator ends with status 1 and exactly LINE on
# standard error.
expect_failure() {
    local line=$1 error status
    shift
    error=$("$generator" "$@" 2>&1 >/dev/null)
    status=$?
    if ((status != 1)) || [[ $error != "$line" ]]; then
        echo "FAIL: gorv_docs $* ended with $status and said '$error', expected '$line'"
        failures=$((failures + 1))
    fi
}

expect_failure "gorv_docs: cannot read $work/none.bash: No such file or directory" \
    bash "$work/gorv" "$work/none.bash"
expect_failure "gorv_docs: cannot write $work/no/gorv.1.new: No such file or directory" \
    man "$work/no/gorv.1"
expect_failure "usage: gorv_docs man OUTPUT"$'\n'"       gorv_docs bash|zsh|fish OUTPUT SHELL_CODE" \
    zsh "$work/_gorv"
[[ -z $(ls -A "$work") ]] || { echo "FAIL: left behind: $(ls -A "$work")"; failures=$((failures + 1)); }

"$generator" fish "$work/gorv.fish" "$shell/gorv.fish" || { echo "FAIL: no fish completion"; failures=$((failures + 1)); }

((failures)) && exit 1
echo "generator: ok"
