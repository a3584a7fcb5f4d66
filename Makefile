# Two commands for a newcomer: `make run` and `make test` (see README).
# Both install what is missing, configure and build; both are quick when
# nothing changed.

BUILD ?= build
SAMPLE := $(BUILD)/sample
SAMPLE_INI := $(BUILD)/PUCKDEX.INI
GENERATOR := $(shell command -v ninja >/dev/null 2>&1 && echo Ninja || echo "Unix Makefiles")
# One compile per core (JOBS=N to change it); the scripts of the other builds
# (test-asan, windows, bench) take the same number from the environment.
JOBS ?= $(or $(CMAKE_BUILD_PARALLEL_LEVEL),$(shell nproc 2>/dev/null),2)
export CMAKE_BUILD_PARALLEL_LEVEL := $(JOBS)
# What `make run` starts, built alone: the window program and puckdex-cli,
# which writes the sample roster (and the libraries they link).
RUN_TARGETS := puckdex puckdex-cli

.PHONY: all deps configure build build-run run test clean screenshots

all: build

deps:
	@sh tools/install-deps.sh

# Configures once; after that the build itself re-runs CMake when a
# CMakeLists.txt changes.
configure: deps
	@test -f $(BUILD)/build.ninja -o -f $(BUILD)/Makefile \
		|| cmake -S . -B $(BUILD) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	@cmake --build $(BUILD) --parallel $(JOBS)

# Only what `make run` needs, not the suites, tools and benchmarks.
build-run: configure
	@cmake --build $(BUILD) --parallel $(JOBS) --target $(RUN_TARGETS)

# The display is asked first, so that a machine without one learns it in one
# line (make's own error, no second line) instead of after the whole build.
ifneq ($(filter run,$(MAKECMDGOALS)),)
display_problem := $(shell sh tools/check-display.sh)
ifneq ($(display_problem),)
$(error $(display_problem))
endif
endif

run:
	@$(MAKE) --no-print-directory build-run
	@test -d $(SAMPLE) || $(BUILD)/bin/puckdex-cli sample $(SAMPLE)
	@test -f $(SAMPLE_INI) || printf '[Puckdex]\r\nNHL96Path=%s\r\n' "$(abspath $(SAMPLE))" > $(SAMPLE_INI)
	PUCKDEX_INI="$(abspath $(SAMPLE_INI))" $(BUILD)/bin/puckdex

test: build
	cd $(BUILD) && ctest --output-on-failure --parallel 2

# Pictures of the windows for the README, drawn off screen over the sample
# roster; commit docs/images/ when they change.
screenshots: build
	$(BUILD)/bin/puckdex-render docs/images

clean:
	rm -rf $(BUILD)

# The Debian package, $(BUILD)/puckdex_<version>_amd64.deb (see README).
.PHONY: package test-package
package: build
	@sh dist/package.sh $(BUILD)

# Installs that package on this machine as a user would, tries both programs
# and removes it again. Needs root; not part of `make test`.
test-package: package
	@bash dist/test-package.sh $(BUILD)

# Reliability checks (see docs/reliability.md): the test suite built with
# AddressSanitizer and UndefinedBehaviorSanitizer in build-asan, and the
# libFuzzer targets in build-fuzz (FUZZ_SECONDS per target, default 60;
# fuzz-smoke runs each for 10 seconds). Each fails on any finding.
.PHONY: test-asan fuzz fuzz-smoke
test-asan:
	@sh tools/sanitize/test-asan.sh

fuzz:
	@sh fuzz/run.sh

fuzz-smoke:
	@FUZZ_SECONDS=10 sh fuzz/run.sh

# Benchmarks (see docs/performance.md): every measure beside its floor, built
# in build-bench; rewrites docs/performance.md. Not part of `make test`.
.PHONY: bench
bench:
	@bash bench/run.sh

# Windows, cross-built here with mingw-w64 against a Qt for Windows (see
# README, Windows): the programs and every test suite in build-windows, the
# zip a Windows user unpacks, and the suites run under Wine. The Qt is found
# or built once by tools/windows/find-qt.sh.
.PHONY: windows windows-zip windows-installer test-windows
windows:
	@sh tools/windows/build.sh

windows-zip:
	@sh tools/windows/zip.sh

# The installer beside the zip (NSIS, per user, Start menu, uninstaller),
# checked by a silent install, a run and an uninstall under Wine.
windows-installer:
	@sh tools/windows/installer.sh

test-windows: windows
	@sh tools/windows/test.sh
