# Quick start: `make run` plays, `make test` runs the whole suite. Both install
# what a fresh Debian 12 machine is missing, configure and build first.
SHELL := /bin/bash
JOBS ?= $(shell nproc)

# Each build is configured, built and tested through its preset in
# CMakePresets.json (cmake --preset NAME), which keeps it in build/NAME.
BUILD := build
RUN_DIR := run
RELEASE := $(BUILD)/release
CHECK := $(BUILD)/check
BENCH_DIR := $(BUILD)/bench
FUZZ_DIR := $(BUILD)/fuzz

.PHONY: all setup run test bench bench-solver bench-solver-reference fuzz soak screenshot format format-check clean

all: $(RELEASE)/Zemmickp1

setup:
	@tools/setup.sh

$(RELEASE)/Makefile: | setup
	cmake --preset release

$(RELEASE)/Zemmickp1: setup $(RELEASE)/Makefile FORCE
	cmake --build --preset release -j$(JOBS) --target Zemmickp1

# The game reads "Manual.txt" and writes "PointRec.dat" in its current
# directory; run/ keeps them out of the source tree.
run: $(RELEASE)/Zemmickp1 $(RUN_DIR)/Manual.txt
	cd $(RUN_DIR) && ../$(RELEASE)/Zemmickp1

$(RUN_DIR)/Manual.txt: assets/Manual.txt
	@mkdir -p $(RUN_DIR)
	cp $< $@

# The suite runs once, in a build with AddressSanitizer and
# UndefinedBehaviorSanitizer; any report fails it. Each test case is a CTest
# test of its own. The long soak runs are not among them: `make soak` runs
# them apart.
test: setup format-check
	cmake --preset check
	cmake --build --preset check -j$(JOBS)
	ctest --preset check -j$(JOBS)

bench: setup
	cmake --preset bench
	cmake --build --preset bench -j$(JOBS)
	tools/run-benchmarks.sh $(BENCH_DIR)

# The solver's quality: the table of ratios at 200 ms and 1 s against the
# stored best lines, and the classic-rule totals at 10 s and 60 s per
# position. About 30 minutes of two cores; the reference target remakes the
# stored lines with 30 s per deal (about 25 minutes of two cores).
SOLVER_JOBS ?= 2
bench-solver: setup
	cmake --preset bench
	cmake --build --preset bench -j$(JOBS) --target solver_quality
	$(BENCH_DIR)/bench/solver_quality table --jobs $(SOLVER_JOBS)
	$(BENCH_DIR)/bench/solver_quality classic --jobs $(SOLVER_JOBS)

bench-solver-reference: setup
	cmake --preset bench
	cmake --build --preset bench -j$(JOBS) --target solver_quality
	$(BENCH_DIR)/bench/solver_quality reference --jobs $(SOLVER_JOBS)

FUZZ_SECONDS ?= 300
fuzz: setup
	cmake --preset fuzz
	cmake --build --preset fuzz -j$(JOBS)
	tools/run-fuzz.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

# Long randomised play, apart from the suite.
soak: setup
	cmake --preset check
	cmake --build --preset check -j$(JOBS) --target engine_tests ui_tests
	ZEMMICK_SOAK_GAMES=200000 $(CHECK)/tests/engine_tests --gtest_filter='RandomGames.*'
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 ZEMMICK_SOAK_WINDOW_SEEDS=300 \
		$(CHECK)/tests/ui_tests --gtest_filter='RandomWindow.*'

screenshot: $(RELEASE)/Zemmickp1
	tools/screenshot.sh $(RELEASE)/Zemmickp1 docs/screenshot.png

FORMAT_FILES = $(shell git ls-files '*.cpp' '*.h' 2>/dev/null)
format:
	@files="$(FORMAT_FILES)"; [ -z "$$files" ] || clang-format -i $$files

format-check:
	@files="$(FORMAT_FILES)"; [ -z "$$files" ] || clang-format --dry-run --Werror $$files

clean:
	rm -rf $(BUILD)

# The game as a desktop program: the launcher `zemmick` in bin/, the
# executable beside its files, the desktop entry, icons and metainfo.
# `make install PREFIX=~/.local`; DESTDIR=… stages as packagers do.
.PHONY: install package
# The prefix and DESTDIR reach the recipe through the environment, so blanks
# and quotes in them stay as they are; a leading ~/ that the shell left
# alone (zsh does) still means the home folder.
PREFIX ?= /usr/local
install: export ZEMMICK_PREFIX = $(PREFIX)
install: export ZEMMICK_DESTDIR = $(DESTDIR)
install: setup $(RELEASE)/Makefile
	cmake --build --preset release -j$(JOBS)
	@prefix=$$ZEMMICK_PREFIX; case $$prefix in "~/"*) prefix=$$HOME/$${prefix#"~/"} ;; esac; \
	echo "cmake --install $(RELEASE) --prefix '$$prefix'"; \
	DESTDIR=$$ZEMMICK_DESTDIR cmake --install $(RELEASE) --prefix "$$prefix"

# A Debian package installing under /usr, left in build/release/.
package: setup $(RELEASE)/Makefile
	cmake --build --preset release -j$(JOBS)
	cd $(RELEASE) && cpack -G DEB

FORCE:
