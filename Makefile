# Entry points for users and CI. "make run" and "make test" install what is missing
# (when run as root on Debian), build, and then run the engine or the test suite.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: all build run test bench deps debug asan tsan clean

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

bench: build
	@scripts/run-bench.sh $(BUILD)

debug: deps
	cmake -S . -B build-debug -DCMAKE_BUILD_TYPE=Debug && cmake --build build-debug -j $(JOBS)

asan: deps
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DGRELVIN_SANITIZE=address && cmake --build build-asan -j $(JOBS)
	cd build-asan && ctest --output-on-failure -j $(JOBS)

tsan: deps
	cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DGRELVIN_SANITIZE=thread && cmake --build build-tsan -j $(JOBS)
	cd build-tsan && ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD) build-debug build-asan build-tsan
