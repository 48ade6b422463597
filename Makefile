# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 The GrelvinBB authors
# Entry points for users and CI. "make run" and "make test" install what is missing
# (when run as root on Debian), build, and then run the engine or the test suite.
BUILD ?= build
JOBS ?= $(shell nproc)
PREFIX ?= /usr/local
FUZZ_SECONDS ?= 60
FUZZ_TARGETS ?= command_line command_loop uci_loop fen fen960 ini book tb_block syzygy_file

.PHONY: all exe build run test bench bench-pgo pgo portable deps debug check check-asan check-tsan asan tsan \
        fuzz install deb deb-test windows windows-zip test-windows clean

# "make EXE=path" (as OpenBench runs it) builds only the UCI engine and copies it to path.
all: $(if $(EXE),exe,build)

exe: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) --target grelvin-uci
	cp $(BUILD)/grelvin-uci "$(EXE)"

deps:
	@scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@$(BUILD)/grelvin

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Ours against stockfish (and against an older build: make bench BASELINE=old-build-dir;
# CPU=N runs every program on that processor alone).
bench: build
	@scripts/run-bench.sh $(BUILD) $(BASELINE)

# Profile-guided Release build in $(PGO_BUILD): instrument, train on short bench runs,
# rebuild the same tree with the profiles.
PGO_BUILD ?= build-pgo
PGO_TARGETS = grelvin perft_bench search_bench eval_bench random_bench book_bench
pgo: deps
	cmake -S . -B $(PGO_BUILD) -DCMAKE_BUILD_TYPE=Release -DGRELVIN_TESTS=OFF -DGRELVIN_PGO=generate >/dev/null
	cmake --build $(PGO_BUILD) -j $(JOBS) --target $(PGO_TARGETS)
	find $(PGO_BUILD) -name '*.gcda' -delete
	$(PGO_BUILD)/perft_bench 0 5 >/dev/null && $(PGO_BUILD)/perft_bench 1 4 >/dev/null
	$(PGO_BUILD)/perft_bench 2 6 >/dev/null && $(PGO_BUILD)/search_bench 8 >/dev/null
	$(PGO_BUILD)/eval_bench >/dev/null
	cmake -S . -B $(PGO_BUILD) -DGRELVIN_PGO=use >/dev/null
	cmake --build $(PGO_BUILD) -j $(JOBS) --target $(PGO_TARGETS)

# The same figures for the profile-guided build.
bench-pgo: pgo
	@scripts/run-bench.sh $(PGO_BUILD) $(BASELINE)

# Release build without -march=native, for packages.
portable: deps
	cmake -S . -B build-portable -DCMAKE_BUILD_TYPE=Release -DGRELVIN_PORTABLE=ON >/dev/null
	cmake --build build-portable -j $(JOBS)

debug: deps
	cmake -S . -B build-debug -DCMAKE_BUILD_TYPE=Debug && cmake --build build-debug -j $(JOBS)

# The whole suite under address + undefined-behaviour sanitizers, then the tests that
# run threads under the thread sanitizer. TSAN_TESTS names test programs, each with an
# optional gtest filter after a colon; the engine tests drive the engine binaries, built
# with the same sanitizer, as their subprocess (the UCI engine's benchmark is left out:
# it is the single-threaded search, and slow under the sanitizer).
# Optimised with debug information: the perft and search tests are too slow at -O0.
TSAN_TESTS ?= search xboard eval:PawnHash.Concurrent* tablebase:*.Concurrent*:SyzygyProbe.*FromFour \
             uci:UciEngine*:UciSessions.*:UciSyzygy.*:UciStrength.*-UciEngine.Bench*
TSAN_PROGRAMS = $(addsuffix _tests,$(foreach t,$(TSAN_TESTS),$(firstword $(subst :, ,$(t)))))
SANITIZER_ENV = ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1 \
                UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
                TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1

check: check-asan check-tsan

check-asan: deps
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGRELVIN_SANITIZE=address >/dev/null
	cmake --build build-asan -j $(JOBS)
	cd build-asan && $(SANITIZER_ENV) ctest --output-on-failure -j $(JOBS)

check-tsan: deps
	cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGRELVIN_SANITIZE=thread >/dev/null
	cmake --build build-tsan -j $(JOBS) --target grelvin grelvin-uci $(TSAN_PROGRAMS)
	cd build-tsan && for t in $(TSAN_TESTS); do \
	    filter=$${t#*:}; [ "$$filter" = "$$t" ] && filter='*'; \
	    $(SANITIZER_ENV) ./$${t%%:*}_tests --gtest_brief=1 --gtest_filter="$$filter" || exit 1; \
	done

asan: check-asan
tsan: check-tsan

# libFuzzer targets (clang), each run FUZZ_SECONDS on a working copy of its seed corpus.
fuzz:
	@scripts/install-deps.sh fuzz
	CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGRELVIN_FUZZ=ON \
	    -DGRELVIN_TESTS=OFF -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all" >/dev/null
	cmake --build build-fuzz -j $(JOBS) --target $(addprefix fuzz_,$(FUZZ_TARGETS))
	scripts/fuzz.sh build-fuzz $(FUZZ_SECONDS) $(FUZZ_TARGETS)

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# The Debian package runs on any x86-64: its programs carry the engine for the baseline,
# x86-64-v2 and x86-64-v3 and run the best the processor offers (GRELVIN_DISPATCH).
deb:
	@scripts/install-deps.sh deb
	cmake -S . -B build-deb -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGRELVIN_DISPATCH=ON \
	    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O3 -DNDEBUG -D_FORTIFY_SOURCE=2 -fstack-protector-strong" \
	    -DCMAKE_EXE_LINKER_FLAGS="-Wl,-z,relro,-z,now" \
	    -DGRELVIN_TESTS=OFF -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
	cmake --build build-deb -j $(JOBS) --target grelvin grelvin-uci
	cd build-deb && cpack -G DEB

# Installs that package, tries the installed engines from another folder, removes it.
deb-test: deb
	scripts/test-deb.sh

# Static 64-bit Windows programs (grelvin.exe, grelvin-uci.exe), cross-built with
# MinGW-w64 against libraries built from Debian's sources (scripts/windows-deps.sh),
# each carrying the engine per x86-64 level like the Debian package.
WINDOWS_BUILD ?= build-windows
windows:
	@scripts/windows-deps.sh
	cmake -S . -B $(WINDOWS_BUILD) -DCMAKE_TOOLCHAIN_FILE=scripts/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
	    -DGRELVIN_DISPATCH=ON >/dev/null
	cmake --build $(WINDOWS_BUILD) -j $(JOBS) --target grelvin grelvin-uci

# The zip for Windows users: both programs, an example grelvin.ini, the README's
# Windows section, the notices of the libraries linked in and the project's licence,
# all text with Windows line ends.
VERSION := $(shell awk '/^project.GrelvinBB VERSION/ { print $$3 }' CMakeLists.txt)
WINDOWS_ZIP = grelvin-$(VERSION)-windows-x86-64
windows-zip: windows
	rm -rf $(WINDOWS_BUILD)/$(WINDOWS_ZIP) $(WINDOWS_BUILD)/$(WINDOWS_ZIP).zip
	mkdir -p $(WINDOWS_BUILD)/$(WINDOWS_ZIP)
	cp $(WINDOWS_BUILD)/grelvin.exe $(WINDOWS_BUILD)/grelvin-uci.exe $(WINDOWS_BUILD)/$(WINDOWS_ZIP)/
	sed 's/$$/\r/' xboard/grelvin.ini.example > $(WINDOWS_BUILD)/$(WINDOWS_ZIP)/grelvin.ini
	awk '/^## Windows$$/ { on = 1 } /^## / && !/^## Windows$$/ { on = 0 } on' README.md | sed 's/$$/\r/' \
	    > $(WINDOWS_BUILD)/$(WINDOWS_ZIP)/README-Windows.txt
	scripts/windows-notices.sh $(WINDOWS_BUILD)/$(WINDOWS_ZIP)/THIRD-PARTY-NOTICES.txt
	sed 's/$$/\r/' LICENSE > $(WINDOWS_BUILD)/$(WINDOWS_ZIP)/LICENSE.txt
	cd $(WINDOWS_BUILD) && cmake -E tar cf $(WINDOWS_ZIP).zip --format=zip $(WINDOWS_ZIP)
	@echo "wrote $(WINDOWS_BUILD)/$(WINDOWS_ZIP).zip"

# The unit tests that need no subprocess, then the programs themselves, under wine.
test-windows: windows-zip
	cmake --build $(WINDOWS_BUILD) -j $(JOBS)
	scripts/test-windows.sh $(WINDOWS_BUILD)

clean:
	rm -rf $(BUILD) build-debug build-asan build-tsan build-portable build-fuzz build-deb $(PGO_BUILD) \
	    $(WINDOWS_BUILD)
