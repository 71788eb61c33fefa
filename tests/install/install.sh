#!/usr/bin/env bash
# cmake --install puts the program, the manual page, the three completion files, the
# changelog and the copyright file where a system looks for them, under the prefix or
# under DESTDIR, and nothing else; the installed program runs, and the install manifest
# removes what was installed.
# Arguments: the build folder, the project's version, and whether the package is described
# (ON or OFF; the changelog and the copyright file come with it).
set -uo pipefail
build=$1 version=$2 package=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

expected="bin/gorv
share/bash-completion/completions/gorv
$([[ $package == ON ]] && printf '%s\n' share/doc/gorv/changelog share/doc/gorv/copyright)
share/fish/vendor_completions.d/gorv.fish
share/man/man1/gorv.1
share/zsh/vendor-completions/_gorv"
expected=$(sed '/^$/d' <<<"$expected")

# installed ROOT: the files under ROOT, relative to it, sorted.
installed() {
    (cd "$1" && find . -type f | sed 's|^\./||' | sort)
}

cmake --install "$build" --prefix "$work/prefix" >"$work/log" 2>&1 || { cat "$work/log"; fail "cmake --install"; }
[[ $(installed "$work/prefix") == "$expected" ]] ||
    fail "installed under the prefix:"$'\n'"$(installed "$work/prefix")"
[[ -x $work/prefix/bin/gorv ]] || fail "bin/gorv is not executable"
answer=$("$work/prefix/bin/gorv" --version </dev/null)
[[ $answer == "gorv version $version" ]] || fail "the installed gorv answers '$answer'"
cmp -s "$work/prefix/share/man/man1/gorv.1" "$build/docs/gorv.1" ||
    fail "the installed manual page is not the built one"
# The manifest of the install removes it: no file is left under the prefix.
xargs rm <"$build/install_manifest.txt" || fail "xargs rm < install_manifest.txt"
[[ -z $(installed "$work/prefix") ]] || fail "left after the removal:"$'\n'"$(installed "$work/prefix")"

# A packager's staged install: DESTDIR in front of the prefix.
DESTDIR=$work/stage cmake --install "$build" --prefix /usr >"$work/log" 2>&1 ||
    { cat "$work/log"; fail "cmake --install with DESTDIR"; }
[[ $(installed "$work/stage/usr") == "$expected" ]] ||
    fail "installed under DESTDIR:"$'\n'"$(installed "$work/stage")"

((failures)) && exit 1
echo "install: ok"
