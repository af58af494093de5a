#!/usr/bin/env bash
# The binary interface gate: the library's ABI and the DLL's export table against the
# baselines kept in abi/.
#
#   scripts/abi.sh check  LINUX_BUILD [WINDOWS_BUILD]   compare with the baselines
#   scripts/abi.sh update LINUX_BUILD [WINDOWS_BUILD]   write the baselines anew
#
# LINUX_BUILD holds bin/libqorvarenderctrl.so and bin/libqrc_abi_types.so (the type
# anchors of abi/sharedtypes.cpp); WINDOWS_BUILD holds bin/qorvarenderctrl.dll.
# check fails on anything but additions: a removed or changed function, variable,
# type or export. Set ABI_ROOT to check a copy of the sources with its own abi/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
sources=${ABI_ROOT:-$root}
abi=$sources/abi
out=${ABI_OUT:-$root/build/abi}

die() {
    echo "abi: $*" >&2
    exit 2
}

# The ABI description of one shared object, with only the types our headers define.
dump() {
    abidw --headers-dir "$sources/include/qorvarenderctrl" --headers-dir "$sources/host/include" \
        --drop-private-types --no-show-locs --no-comp-dir-path --no-corpus-path --type-id-style hash \
        --suppressions "$abi/suppressions.ini" "$1" >"$2"
}

# abidiff's exit status is a bit set: 1 error, 2 usage, 4 change, 8 incompatible change.
# Its summary lines tell additions from removals and changes.
compare() {
    local baseline=$1 current=$2 report=$3 status=0
    abidiff --no-unreferenced-symbols --suppressions "$abi/suppressions.ini" "$baseline" "$current" \
        >"$report" || status=$?
    (((status & 3) == 0)) || die "abidiff failed on $current: $(cat "$report")"
    if ((status & 8)) || grep -qE '[1-9][0-9]* (Removed|Changed)' "$report"; then
        cat "$report"
        echo "abi: $(basename "$baseline"): incompatible change (report above, also in $report)" >&2
        return 1
    fi
    if ((status & 4)); then
        cat "$report"
        echo "abi: $(basename "$baseline"): additions only; run make abi-update to record them"
    fi
    echo "abi: $(basename "$baseline"): compatible"
}

# The names the DLL exports, one per line, sorted.
exports() {
    x86_64-w64-mingw32-objdump -p "$1" |
        awk '/^\[Ordinal\/Name Pointer\] Table/ {on = 1; next} on && /^[ \t]*\[/ {print $NF} on && /^$/ {on = 0}' |
        LC_ALL=C sort
}

compare_exports() {
    local current=$out/qorvarenderctrl.dll.exports
    exports "$1" >"$current"
    local gone added
    gone=$(LC_ALL=C comm -23 "$abi/qorvarenderctrl.dll.exports" "$current")
    added=$(LC_ALL=C comm -13 "$abi/qorvarenderctrl.dll.exports" "$current")
    [[ -z $added ]] || printf 'abi: exported by the DLL, not in the kept list (run make abi-update):\n%s\n' "$added"
    if [[ -n $gone ]]; then
        printf 'abi: gone from the DLL export table:\n%s\n' "$gone" >&2
        return 1
    fi
    echo "abi: qorvarenderctrl.dll.exports: compatible"
}

[[ $# -ge 2 ]] || die "usage: $0 check|update LINUX_BUILD [WINDOWS_BUILD]"
command=$1
linux=$2
windows=${3:-}
mkdir -p "$out"
objects=(qorvarenderctrl qrc_abi_types)
for object in "${objects[@]}"; do
    [[ -f $linux/bin/lib$object.so ]] || die "$linux/bin/lib$object.so not built"
    dump "$linux/bin/lib$object.so" "$out/$object.abi"
done
[[ -z $windows || -f $windows/bin/qorvarenderctrl.dll ]] || die "$windows/bin/qorvarenderctrl.dll not built"

case $command in
update)
    for object in "${objects[@]}"; do cp "$out/$object.abi" "$abi/$object.abi"; done
    [[ -z $windows ]] || exports "$windows/bin/qorvarenderctrl.dll" >"$abi/qorvarenderctrl.dll.exports"
    echo "abi: baselines written to abi/"
    ;;
check)
    failed=0
    for object in "${objects[@]}"; do
        compare "$abi/$object.abi" "$out/$object.abi" "$out/$object.report" || failed=1
    done
    [[ -z $windows ]] || compare_exports "$windows/bin/qorvarenderctrl.dll" || failed=1
    exit $failed
    ;;
*) die "unknown command $command" ;;
esac
