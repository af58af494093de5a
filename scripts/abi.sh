#!/usr/bin/env bash
# The binary interface gate: the library's ABI and the DLL's export table against the
# baselines kept in abi/, and the project version they belong to (abi/VERSION).
#
#   scripts/abi.sh check  LINUX_BUILD [WINDOWS_BUILD]   compare with the baselines
#   scripts/abi.sh update LINUX_BUILD [WINDOWS_BUILD]   write the baselines anew
#   scripts/abi.sh update --force LINUX_BUILD [WINDOWS_BUILD]
#
# LINUX_BUILD holds bin/libqorvarenderctrl.so and bin/libqrc_abi_types.so (the type
# anchors of abi/sharedtypes.cpp); WINDOWS_BUILD holds bin/qorvarenderctrl.dll.
# check fails on anything but additions: a removed or changed function, variable,
# type or export; and when abi/VERSION is not the major.minor of project(VERSION).
# update writes the baselines and abi/VERSION only if the version moved with the
# change: additions need a higher minor (or major) version, an incompatible change a
# higher major version, and the version never goes back. --force skips the first two
# rules (a new compiler describing the same code differently). Set ABI_ROOT to check a
# copy of the sources with its own abi/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
sources=${ABI_ROOT:-$root}
abi=$sources/abi
out=${ABI_OUT:-$root/build/abi}

die() {
    echo "abi: $*" >&2
    exit 2
}

# The strongest difference to the baselines seen so far: none, additions, incompatible.
kind=none
saw() {
    [[ $kind == incompatible || ($kind == additions && $1 == none) ]] || kind=$1
}

# major.minor of project(VERSION) in the sources, and the version the baselines belong to.
project_version() {
    sed -n 's/^project(qorvarenderctrl VERSION \([0-9]*\.[0-9]*\).*/\1/p' "$sources/CMakeLists.txt"
}
baseline_version() {
    cat "$abi/VERSION" 2>/dev/null || echo none
}

# Whether version $1 is above $2 in its major (major) or in its major.minor (minor).
above() {
    local major1=${1%%.*} minor1=${1#*.} major2=${2%%.*} minor2=${2#*.}
    case $3 in
    major) ((major1 > major2)) ;;
    minor) ((major1 > major2 || (major1 == major2 && minor1 > minor2))) ;;
    esac
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
        saw incompatible
        return 1
    fi
    if ((status & 4)); then
        cat "$report"
        echo "abi: $(basename "$baseline"): additions only; record them with a higher minor version (make abi-update)"
        saw additions
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
    if [[ -n $added ]]; then
        printf 'abi: exported by the DLL, not in the kept list (run make abi-update):\n%s\n' "$added"
        saw additions
    fi
    if [[ -n $gone ]]; then
        printf 'abi: gone from the DLL export table:\n%s\n' "$gone" >&2
        saw incompatible
        return 1
    fi
    echo "abi: qorvarenderctrl.dll.exports: compatible"
}

command=${1:-}
shift || true
force=0
if [[ ${1:-} == --force ]]; then
    force=1
    shift
fi
[[ $# -ge 1 ]] || die "usage: $0 check|update [--force] LINUX_BUILD [WINDOWS_BUILD]"
linux=$1
windows=${2:-}
version=$(project_version)
[[ -n $version ]] || die "no project(qorvarenderctrl VERSION ...) in $sources/CMakeLists.txt"
mkdir -p "$out"
objects=(qorvarenderctrl qrc_abi_types)
for object in "${objects[@]}"; do
    [[ -f $linux/bin/lib$object.so ]] || die "$linux/bin/lib$object.so not built"
    dump "$linux/bin/lib$object.so" "$out/$object.abi"
done
[[ -z $windows || -f $windows/bin/qorvarenderctrl.dll ]] || die "$windows/bin/qorvarenderctrl.dll not built"

# Compares everything with the baselines; fails on an incompatible change.
compare_all() {
    local failed=0
    for object in "${objects[@]}"; do
        compare "$abi/$object.abi" "$out/$object.abi" "$out/$object.report" || failed=1
    done
    [[ -z $windows ]] || compare_exports "$windows/bin/qorvarenderctrl.dll" || failed=1
    return $failed
}

# Refuses an update that the version does not allow.
version_allows_update() {
    local baseline
    baseline=$(baseline_version)
    [[ $baseline != none ]] || return 0
    if above "$baseline" "$version" minor; then
        echo "abi: the baselines belong to $baseline, above the project's $version" >&2
        return 1
    fi
    ((force == 0)) || return 0
    if [[ $kind == incompatible ]] && ! above "$version" "$baseline" major; then
        echo "abi: refused: an incompatible change needs a major version above the baselines' $baseline (project(VERSION) is $version)" >&2
        return 1
    fi
    if [[ $kind == additions ]] && ! above "$version" "$baseline" minor; then
        echo "abi: refused: additions need a minor version above the baselines' $baseline (project(VERSION) is $version)" >&2
        return 1
    fi
}

case $command in
update)
    : >"$out/update.log"
    if [[ -f $abi/qorvarenderctrl.abi ]]; then
        compare_all >"$out/update.log" 2>&1 || true
    fi
    version_allows_update || { cat "$out/update.log" >&2; exit 1; }
    for object in "${objects[@]}"; do cp "$out/$object.abi" "$abi/$object.abi"; done
    [[ -z $windows ]] || exports "$windows/bin/qorvarenderctrl.dll" >"$abi/qorvarenderctrl.dll.exports"
    echo "$version" >"$abi/VERSION"
    echo "abi: baselines of $version written to abi/ (difference to the last ones: $kind)"
    ;;
check)
    failed=0
    compare_all || failed=1
    if [[ $(baseline_version) != "$version" ]]; then
        echo "abi: the baselines belong to $(baseline_version), the project is $version: run make abi-update" >&2
        failed=1
    fi
    exit $failed
    ;;
*) die "unknown command $command" ;;
esac
