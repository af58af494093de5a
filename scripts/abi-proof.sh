#!/usr/bin/env bash
# Shows that the ABI gate can fail. In a scratch copy of the sources it first adds an
# exported operation to RenderCtrlMgr (the gate must pass, abi-update must refuse it at
# the same minor version and record it at the next), then adds a field to MediaInfo
# (the gate must fail), then also moves one virtual operation of IRenderCtrl (the gate
# must fail and abidiff name both changes; abi-update must refuse them without a new
# major version). The copy is build/abi-proof.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
scratch=$root/build/abi-proof
src=$scratch/src

fail() {
    echo "abi-proof: $*" >&2
    exit 1
}

# Replaces the one occurrence of a text in a file of the copy.
edit() {
    python3 - "$src/$1" "$2" "$3" <<'EOF'
import sys
path, old, new = sys.argv[1:]
text = open(path).read()
if text.count(old) != 1:
    sys.exit(f"abi-proof: expected one '{old}' in {path}")
open(path, "w").write(text.replace(old, new))
EOF
}

# The library and the probe of the shared types, or only the probe: a record or an
# interface of the shared headers reaches the gate through the probe, and the library
# built before then only shows its addition.
build() {
    cmake --build "$scratch/build" --target "${@:-qorvarenderctrl}" qrc_abi_types >"$scratch/build.log" ||
        fail "the scratch build failed (see $scratch/build.log)"
}

gate() {
    ABI_ROOT=$src ABI_OUT=$scratch/abi "$root/scripts/abi.sh" check "$scratch/build" >"$scratch/gate.log" 2>&1
}

update() {
    ABI_ROOT=$src ABI_OUT=$scratch/abi "$root/scripts/abi.sh" update "$scratch/build" >"$scratch/update.log" 2>&1
}

rm -rf "$src"
mkdir -p "$src"
(cd "$root" && git ls-files --cached --others --exclude-standard -z | xargs -0 cp --parents -t "$src")
# Unoptimised: the gate reads declarations from the debug information, which the
# optimiser does not change, and the copy builds in half the time.
cmake -S "$src" -B "$scratch/build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DQRC_BUILD_TESTS=OFF -DQRC_BUILD_SANDBOX=OFF >/dev/null

# A compatible addition: a new non-virtual exported operation.
edit include/qorvarenderctrl/renderctrlmgr.h '    void release() override;' \
    '    void release() override;
    int addedOperation() const;'
echo 'int qorva::mediadispatch::RenderCtrlMgr::addedOperation() const { return 1; }' \
    >>"$src/src/libs/qorvarenderctrl/renderctrlmgr/renderctrlmgr.cpp"
build
gate || { cat "$scratch/gate.log"; fail "the gate refused a compatible addition"; }
grep -q 'addedOperation' "$scratch/gate.log" || fail "the addition was not reported"
echo "abi-proof: an added exported operation passes"

# Recording it needs a higher minor version.
if update; then
    cat "$scratch/update.log"
    fail "abi-update recorded an addition without a higher minor version"
fi
grep -q "refused: additions need a minor version above" "$scratch/update.log" || { cat "$scratch/update.log"; fail "abi-update refused for another reason"; }
echo "abi-proof: abi-update refuses the addition at the same minor version:"
grep "refused" "$scratch/update.log"
version=$(sed -n 's/^project(qorvarenderctrl VERSION \([0-9]*\)\.\([0-9]*\)\..*/\1 \2/p' "$src/CMakeLists.txt")
read -r major minor <<<"$version"
edit CMakeLists.txt "project(qorvarenderctrl VERSION $major.$minor." "project(qorvarenderctrl VERSION $major.$((minor + 1))."
update || { cat "$scratch/update.log"; fail "abi-update refused the addition at $major.$((minor + 1))"; }
echo "abi-proof: at $major.$((minor + 1)) abi-update records it"

# An added field in MediaInfo must fail the gate by itself.
edit host/include/qorvahost/qorvatypes.h '    uint32_t kind = 0;' '    uint32_t kind = 0;
    uint32_t addedField = 0;'
build qrc_abi_types
if gate; then
    cat "$scratch/gate.log"
    fail "the gate passed a field added to MediaInfo"
fi
grep -q "'uint32_t addedField'" "$scratch/gate.log" || { cat "$scratch/gate.log"; fail "abidiff did not report the field"; }

# And with IRenderCtrl::release moved to the end of the interface as well, abidiff
# names both changes.
edit include/qorvarenderctrl/irenderctrl.h '    virtual void release() = 0;
' ''
edit include/qorvarenderctrl/irenderctrl.h '    virtual void setSenderMgr(qorva::mediaoutput::IVirtualSenderMgr* mgr) = 0;' \
    '    virtual void setSenderMgr(qorva::mediaoutput::IVirtualSenderMgr* mgr) = 0;
    virtual void release() = 0;'
build qrc_abi_types
if gate; then
    cat "$scratch/gate.log"
    fail "the gate passed a moved virtual operation"
fi
grep -q "IRenderCtrl::release() changed from" "$scratch/gate.log" ||
    { cat "$scratch/gate.log"; fail "abidiff did not report the moved virtual operation"; }
grep -q "'uint32_t addedField'" "$scratch/gate.log" || { cat "$scratch/gate.log"; fail "abidiff lost the field"; }
echo "abi-proof: a field added to MediaInfo fails the gate; with IRenderCtrl::release moved too, abidiff names both:"
grep -E "IRenderCtrl::release\(\) changed|addedField|abi: " "$scratch/gate.log"
if update; then
    cat "$scratch/update.log"
    fail "abi-update recorded an incompatible change without a higher major version"
fi
grep -q "refused: an incompatible change needs a major version above" "$scratch/update.log" ||
    { cat "$scratch/update.log"; fail "abi-update refused the incompatible change for another reason"; }
echo "abi-proof: abi-update refuses them without a higher major version"
