#!/usr/bin/env bash
# Two builds of the package from the same source in two fresh build folders, with
# SOURCE_DATE_EPOCH set from the source's last commit, are alike byte for byte; when they
# are not, the files that differ are named.
# Arguments: the source folder, the generator, the C++ compiler.
set -uo pipefail
source=$1 generator=$2 compiler=$3
for tool in cpack dpkg-deb dpkg-shlibdeps git; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed"; exit 77; }
done
if ! SOURCE_DATE_EPOCH=$(git -C "$source" log -1 --format=%ct 2>/dev/null) || [[ -z $SOURCE_DATE_EPOCH ]]; then
    echo "the source is no git checkout"
    exit 77
fi
export SOURCE_DATE_EPOCH
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# package NAME: configures, builds and packs in the fresh folder $work/NAME.
package() {
    local build=$work/$1
    {
        cmake -S "$source" -B "$build" -G "$generator" -DCMAKE_CXX_COMPILER="$compiler" \
            -DGORV_TESTS=OFF &&
            cmake --build "$build" -j2 --target gorv gorv_docs_files &&
            cpack --config "$build/CPackConfig.cmake" -G DEB -B "$build/out"
    } >"$work/$1.log" 2>&1 || { cat "$work/$1.log"; echo "FAIL: the build in $1"; exit 1; }
}
package first
package second
first=("$work"/first/out/*.deb) second=("$work"/second/out/*.deb)
if cmp -s "${first[0]}" "${second[0]}"; then
    echo "reproducible: ok, $(sha256sum <"${first[0]}" | cut -c1-16)"
    exit 0
fi
echo "FAIL: the two packages differ"
for name in first second; do
    mkdir "$work/$name/root"
    deb=("$work"/$name/out/*.deb)
    dpkg-deb -R "${deb[0]}" "$work/$name/root"
done
diff -r "$work/first/root" "$work/second/root"
exit 1
