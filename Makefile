# The project's entry points. `make test` and `make sandbox` are the two commands of
# the README; each installs what is missing, configures, builds and runs.
SHELL := /bin/bash
.DEFAULT_GOAL := test
SANDBOX_ARGS ?=
BENCH_ARGS ?=
FUZZ_SECONDS ?= 60
# Compiler cache hits across clones and worktrees: paths relative to the checkout.
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := 1

.PHONY: deps deps-windows test sandbox docs tsan asan bench fuzz fuzz-api windows windows-test abi-build abi-check abi-update ci format

deps:
	@scripts/install-deps.sh

deps-windows:
	@scripts/install-deps.sh --windows

test: deps
	cmake --preset default
	cmake --build --preset default
	ctest --preset default

sandbox: deps
	cmake --preset default
	cmake --build --preset default --target renderctrl-sandbox
	cd build/default/bin && ./renderctrl-sandbox --out "$(CURDIR)/out/sandbox" $(SANDBOX_ARGS)

# The API reference of the public headers (Doxygen) into build/docs/html; any warning,
# an undocumented public member among them, fails it.
docs:
	@scripts/install-deps.sh --docs
	mkdir -p build/docs
	doxygen docs/Doxyfile

tsan: deps
	cmake --preset tsan
	cmake --build --preset tsan
	ctest --preset tsan

asan: deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

bench: deps
	cmake --preset bench
	cmake --build --preset bench
	scripts/run-bench.sh build/bench/bin $(BENCH_ARGS)

# libFuzzer on the port table decoder (clang), FUZZ_SECONDS long; findings land in
# build/fuzz/findings.
fuzz:
	@scripts/install-deps.sh --fuzz
	cmake --preset fuzz
	cmake --build --preset fuzz --target qrc_porttable_fuzz
	mkdir -p build/fuzz/corpus build/fuzz/findings
	build/fuzz/bin/qrc_porttable_fuzz -max_total_time=$(FUZZ_SECONDS) -artifact_prefix=build/fuzz/findings/ build/fuzz/corpus

# The host API sequence fuzzer (tests/edges/sequencefuzz_test.cpp), FUZZ_SECONDS long from a
# fresh seed; SEED=<n> replays that one sequence, PRESET=tsan or asan runs under a sanitizer.
# A failure prints its seed and the command that replays it.
PRESET ?= default
FUZZ_ENV_tsan := TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$(CURDIR)/tests/tsan.supp"
FUZZ_ENV_asan := ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fuzz-api: deps
	cmake --preset $(PRESET)
	cmake --build --preset $(PRESET) --target qrc_sequencefuzz_tests
	cd build/$(PRESET)/bin && $(FUZZ_ENV_$(PRESET)) $(if $(SEED),QRC_FUZZ_SEED=$(SEED) QRC_FUZZ_SEQUENCES=1,QRC_FUZZ_SEED=$$(( $$(date +%s) % 1000000000 )) QRC_FUZZ_SECONDS=$(FUZZ_SECONDS)) ./qrc_sequencefuzz_tests

# The Windows cross build (MinGW-w64) and its test suite under Wine.
windows: deps-windows
	cmake --preset windows
	cmake --build --preset windows

windows-test: windows
	ctest --preset windows

# The binary interface against the baselines in abi/: libabigail's abidiff on the
# library and on the shared types, and the DLL's export table; abi/VERSION must be the
# project's major.minor. abi-check also runs scripts/abi-proof.sh, which shows in a
# scratch copy that the gate fails on a moved virtual operation and an added record
# field, and that abi-update refuses additions without a higher minor version.
# abi-update writes the baselines anew when the version allows it (FORCE=1: a new
# compiler's description of unchanged code).
abi-build:
	@scripts/install-deps.sh --abi --windows
	cmake --preset default
	cmake --build --preset default --target qorvarenderctrl qrc_abi_types
	cmake --preset windows
	cmake --build --preset windows --target qorvarenderctrl

abi-check: abi-build
	scripts/abi.sh check build/default build/windows
	scripts/abi-proof.sh

abi-update: abi-build
	scripts/abi.sh update $(if $(FORCE),--force) build/default build/windows

ci: test docs abi-check tsan asan windows-test

format:
	git ls-files '*.cpp' '*.h' '*.hpp' | xargs clang-format -i
