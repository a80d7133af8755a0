# Compares what the Linux and the Windows korvalt-extract write for the same
# generated input: the same files with the same bytes, the same listing.
# shellcheck shell=bash

compare_windows_linux_outputs() {
    local work status=0 system
    work="$(mktemp -d "${TMPDIR:-/tmp}/korvalt-compare.XXXXXX")"
    mkdir "$work/linux" "$work/windows"
    "$KORVALT_ROOT/build/native/tests/korvalt_make_sample_pe" "$work/linux/sample.exe" ||
        die "could not generate the sample image"
    cp "$work/linux/sample.exe" "$work/windows/sample.exe"

    "$KORVALT_ROOT/build/native/cli/korvalt-extract" --verbose "$work/linux/sample.exe" \
        >"$work/linux.out" || status=1
    # Wine reaches the build machine's files through drive Z:.
    "$KORVALT_ROOT/scripts/lib/wine-exec" "$KORVALT_ROOT/build/mingw/cli/korvalt-extract.exe" \
        --verbose "Z:${work//\//\\}\\windows\\sample.exe" >"$work/windows.out" || status=1

    for system in linux windows; do
        (cd "$work/$system/Tamsork" && sha256sum -- *) >"$work/$system.sums" || status=1
        # offset, kind and size of each picture, then the outcome
        awk '{ if ($1 ~ /^[0-9A-F]+$/) print $1, $2, $3; else print $NF }' \
            "$work/$system.out" >"$work/$system.listing"
    done
    local pictures
    pictures="$(wc -l <"$work/linux.sums")"
    if [ "$status" -ne 0 ] || [ "$pictures" -eq 0 ] ||
        ! cmp -s "$work/linux.sums" "$work/windows.sums" ||
        ! cmp -s "$work/linux.listing" "$work/windows.listing"; then
        diff "$work/linux.sums" "$work/windows.sums" >&2 || true
        diff "$work/linux.listing" "$work/windows.listing" >&2 || true
        rm -rf "$work"
        die "the Linux and the Windows extraction differ"
    fi
    say "Linux and Windows wrote the same $pictures pictures, byte for byte"
    rm -rf "$work"
}
