# A thin front over CMake. `make test` sets up a fresh machine, builds and runs every test.

BUILD_DIR ?= build
ASAN_DIR ?= build-asan
BENCH_DIR ?= build-bench
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS ?= $(shell nproc)
EDITOR_BINARY = $(BUILD_DIR)/app/sonvara

export DBUS_SESSION_BUS_ADDRESS = disabled:
export ASAN_OPTIONS ?= detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS ?= print_stacktrace=1:halt_on_error=1

.PHONY: all deps build test run asan bench fuzz format clean

all: build

deps:
	@./scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

run: build
	exec $(EDITOR_BINARY)

# Every test but the GUI ones, under AddressSanitizer and UndefinedBehaviorSanitizer.
asan: deps
	cmake -S . -B $(ASAN_DIR) -G Ninja -DSONVARA_SANITIZE=ON
	cmake --build $(ASAN_DIR) -j $(JOBS)
	ctest --test-dir $(ASAN_DIR) --output-on-failure -j $(JOBS) -LE gui

bench: deps
	cmake -S . -B $(BENCH_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DSONVARA_BENCH=ON
	cmake --build $(BENCH_DIR) -j $(JOBS)
	@for b in $(BENCH_DIR)/bench/*_bench; do echo "== $$b"; $$b || exit 1; done

# Each fuzz target runs FUZZ_SECONDS, starting from its seeds in tests/data/fuzz/<target>/.
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G Ninja -DSONVARA_FUZZ=ON
	cmake --build $(FUZZ_DIR) -j $(JOBS)
	@for f in $(FUZZ_DIR)/tests/fuzz/*_fuzzer; do \
		name=$$(basename $$f _fuzzer); corpus=$(FUZZ_DIR)/corpus/$$name; mkdir -p $$corpus; \
		echo "== $$name"; \
		$$f -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=2048 $$corpus tests/data/fuzz/$$name || exit 1; \
	done

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(BENCH_DIR) $(FUZZ_DIR)
