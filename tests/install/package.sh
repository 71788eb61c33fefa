#!/usr/bin/env bash
# The Debian package that cpack makes from the build folder: its control fields, the
# dependency on the terminfo library that dpkg-shlibdeps finds in the binary, exactly the
# expected files, a valid compressed manual page and changelog, an unpacked program that
# runs, and no error, warning, information or hardening tag from lintian.
# Arguments: the build folder, the project's version.
set -uo pipefail
build=$1 version=$2
for tool in cpack dpkg-deb dpkg-shlibdeps dpkg-parsechangelog file gzip lintian; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/log" 2>&1; then
    cat "$work/log"
    echo "FAIL: cpack"
    exit 1
fi
packages=("$work"/out/*.deb)
((${#packages[@]} == 1)) || { echo "FAIL: cpack made ${packages[*]}"; exit 1; }
deb=${packages[0]}
architecture=$(dpkg --print-architecture)
[[ $(basename "$deb") == "gorv_${version}_${architecture}.deb" ]] || fail "named $(basename "$deb")"

# field NAME: the control field NAME of the package.
field() {
    dpkg-deb -f "$deb" "$1"
}
[[ $(field Package) == gorv ]] || fail "Package: $(field Package)"
[[ $(field Version) == "$version" ]] || fail "Version: $(field Version)"
[[ $(field Architecture) == "$architecture" ]] || fail "Architecture: $(field Architecture)"
[[ $(field Maintainer) =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] || fail "Maintainer: $(field Maintainer)"
description=$(field Description)
[[ $description == "2D matrix screensaver for the terminal"$'\n'" gorv fills"* ]] ||
    fail "Description: $description"
# The binary links the terminfo library (through ncursesw or on its own).
depends=$(field Depends)
[[ ", $depends," =~ ,\ libtinfo6[\ ,] ]] || fail "no dependency on libtinfo6: $depends"
[[ ", $depends," =~ ,\ libc6[\ ,] ]] || fail "no dependency on libc6: $depends"
dpkg-deb -I "$deb" md5sums >/dev/null || fail "no md5sums"

dpkg-deb -x "$deb" "$work/root" || fail "dpkg-deb -x"
files=$(cd "$work/root" && find . -type f | sed 's|^\./||' | sort)
[[ $files == "usr/bin/gorv
usr/share/bash-completion/completions/gorv
usr/share/doc/gorv/changelog.gz
usr/share/doc/gorv/copyright
usr/share/fish/vendor_completions.d/gorv.fish
usr/share/lintian/overrides/gorv
usr/share/man/man1/gorv.1.gz
usr/share/zsh/vendor-completions/_gorv" ]] || fail "files:"$'\n'"$files"
gzip -t "$work/root/usr/share/man/man1/gorv.1.gz" || fail "the manual page is no gzip file"
zcat "$work/root/usr/share/man/man1/gorv.1.gz" | cmp -s - "$build/docs/gorv.1" ||
    fail "the packaged manual page is not the built one"
grep -qx "License: [A-Za-z0-9.+-]*" "$work/root/usr/share/doc/gorv/copyright" ||
    fail "the copyright file has no License field"
changelog=$work/root/usr/share/doc/gorv/changelog.gz
gzip -t "$changelog" || fail "the changelog is no gzip file"
logged=$(zcat "$changelog" | dpkg-parsechangelog -l - -S Version 2>&1)
[[ $logged == "$version" ]] || fail "the changelog's latest entry is '$logged', not $version"

# lintian as Debian runs it on a package: hints overridden by the package's own file, with
# the reason written there, are not reported.
lintian -I "$deb" >"$work/lintian" 2>&1
tags=$(grep -E '^[EWI]: |hardening' "$work/lintian")
[[ -z $tags ]] || fail "lintian reports:"$'\n'"$tags"

answer=$("$work/root/usr/bin/gorv" --version </dev/null)
[[ $answer == "gorv version $version" ]] || fail "the unpacked gorv answers '$answer'"

((failures)) && exit 1
echo "package: ok, $(stat -c %s "$deb") bytes"
