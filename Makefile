# Two entry points: `make run` and `make test`. Both install what is missing first. The
# configurations are CMakePresets.json's (default, sanitize, fuzz, bench, windows).
# `make sanitize` builds and runs every test under AddressSanitizer and UBSan; `make fuzz`
# runs each fuzz target for FUZZ_SECONDS (`make fuzz-ci`: FUZZ_CI_SECONDS).
# `make windows` cross-builds the programs for Windows (the window in Win32) into build-windows/;
# `make windows-test` runs their tests under Wine; `make windows-package` builds the installer
# and checks it under Wine. Each installs its own tools first.
BUILD ?= build
SAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
WIN_BUILD ?= build-windows
FUZZ_SECONDS ?= 300
FUZZ_CI_SECONDS ?= 60
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

# Any sanitizer report fails the test that triggered it; leaks are reported too.
SAN_ENV = ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1 \
          UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

.PHONY: all deps configure build test kill-test run bench bench-configure growth-check clean sanitize fuzz-build fuzz fuzz-ci fuzz-seeds package \
        windows-deps windows windows-test windows-package

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake --preset default -B $(BUILD) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# Saves, back-fills and metrics writes killed at KILLS random moments each: every file is
# left old or new, and the next run removes what the killed ones left behind.
KILLS ?= 100
kill-test: build
	@bash tests/command/kill_save_test.sh $(BUILD)/bin/gapscope-report $(BUILD)/bin/gapscope-simulate $(KILLS)

# Shows the report, not the build: the build's output goes to $(BUILD)/build.log, whose last
# lines are shown when the build fails.
run: deps
	@mkdir -p $(BUILD); log=$$(cd $(BUILD) && pwd)/build.log; \
	echo "Building in $${log%/build.log} (output in $$log) ..."; \
	$(MAKE) --no-print-directory build >"$$log" 2>&1 || { \
	  echo "run-example: the build failed; its output is in $$log. The last lines:" >&2; \
	  tail -n 20 "$$log" >&2; exit 1; }
	@bash scripts/run-example.sh $(BUILD)

sanitize: deps
	@cmake --preset sanitize -B $(SAN_BUILD) >/dev/null
	@cmake --build $(SAN_BUILD) -j $(JOBS)
	@$(SAN_ENV) ctest --test-dir $(SAN_BUILD) --output-on-failure -j $(JOBS)

fuzz-build: deps
	@cmake --preset fuzz -B $(FUZZ_BUILD) >/dev/null
	@cmake --build $(FUZZ_BUILD) --target fuzz_targets -j $(JOBS)

fuzz: fuzz-build
	@bash fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

fuzz-ci: fuzz-build
	@bash fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_CI_SECONDS)

# Refreshes the simulator seeds in fuzz/seeds (they are kept in the repository).
fuzz-seeds: fuzz-build
	@cmake --build $(FUZZ_BUILD) --target gapscope-simulate fuzz_station_seed -j $(JOBS)
	@bash fuzz/make-seeds.sh $(FUZZ_BUILD)

# Benchmarks in an optimised build of their own, on simulated histories (made once); `bench`
# installs hyperfine, which only it uses, first.
bench-configure: deps
	@cmake --preset bench >/dev/null

bench: bench-configure
	@bash scripts/install-deps.sh hyperfine
	@cmake --build build-bench -j $(JOBS)
	@bash scripts/bench.sh build-bench

# Fails only when the cost of loading or reporting grows grossly faster than the logs. It
# builds every benchmark, so that a change that breaks one is found where it runs (CI).
growth-check: bench-configure
	@cmake --build build-bench -j $(JOBS)
	@build-bench/bench/gapscope_growth_check

# The Debian package, built in a Release tree of its own and checked (lintian, the units, an
# install into a throwaway root); installs the tools it needs first.
PKG_BUILD ?= build-package
package: deps
	@bash packaging/install-tools.sh
	@bash packaging/make-package.sh $(PKG_BUILD) $(JOBS)

# The MinGW-w64 cross compiler, Wine and GoogleTest's sources: only these targets need them.
windows-deps:
	@bash scripts/install-windows-deps.sh

windows: windows-deps
	@cmake --preset windows -B $(WIN_BUILD) -DGAPSCOPE_LINUX_BUILD=$(abspath $(BUILD)) >/dev/null
	@cmake --build $(WIN_BUILD) -j $(JOBS)

# The Linux programs are built too: one test compares the two systems' reports.
windows-test: windows configure
	@cmake --build $(BUILD) --target gapscope-report gapscope-simulate -j $(JOBS)
	@ctest --test-dir $(WIN_BUILD) --output-on-failure -j $(JOBS)

# The installer gapscope-VERSION-x64.msi in $(WIN_BUILD), made with wixl, then checked: its
# tables, the daily task's schema, and install, upgrade, downgrade and uninstall under Wine.
windows-package: windows
	@bash scripts/install-windows-deps.sh package
	@msi=$$(bash packaging/windows/make-msi.sh $(WIN_BUILD) $(WIN_BUILD)) && \
	  bash tests/packaging/check_windows_package.sh $(WIN_BUILD) "$$msi"

clean:
	@rm -rf $(BUILD) $(SAN_BUILD) $(FUZZ_BUILD) $(PKG_BUILD) $(WIN_BUILD)
