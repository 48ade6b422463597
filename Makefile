# Entry points for users and CI. "make run" and "make test" install what is missing
# (when run as root on Debian), build, and then run the engine or the test suite.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: all build run test bench bench-pgo pgo portable deps debug asan tsan clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@$(BUILD)/grelvin

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Ours against stockfish (and against an older build: make bench BASELINE=old-build-dir).
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

asan: deps
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DGRELVIN_SANITIZE=address && cmake --build build-asan -j $(JOBS)
	cd build-asan && ctest --output-on-failure -j $(JOBS)

tsan: deps
	cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DGRELVIN_SANITIZE=thread && cmake --build build-tsan -j $(JOBS)
	cd build-tsan && ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD) build-debug build-asan build-tsan build-portable $(PGO_BUILD)
