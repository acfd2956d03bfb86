# A thin front over CMake. `make test` sets up a fresh machine, builds and runs every test.

BUILD_DIR ?= build
ASAN_DIR ?= build-asan
BENCH_DIR ?= build-bench
TSAN_DIR ?= build-tsan
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS ?= $(shell nproc)
EDITOR_BINARY = $(BUILD_DIR)/app/sonvara

export DBUS_SESSION_BUS_ADDRESS = disabled:
export ASAN_OPTIONS ?= detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS ?= print_stacktrace=1:halt_on_error=1
# Qt's side of the threaded GUI tests: tests/tsan_suppressions.txt says why each entry is there.
# With Qt's calls unchecked, a QProcess start (the editor tests start a second editor) counts as
# a thread started after a multi-threaded fork, which ThreadSanitizer kills unless told not to.
export TSAN_OPTIONS ?= suppressions=$(CURDIR)/tests/tsan_suppressions.txt:second_deadlock_stack=1:die_after_fork=0

.PHONY: all deps deps-fuzz deps-bench deps-format build test run asan tsan bench fuzz fuzz-build \
	format format-check clean

all: build

# What building and testing need; clang (fuzz build), Google Benchmark and clang-format only where
# they are used.
deps:
	@./scripts/install-deps.sh test

deps-fuzz:
	@./scripts/install-deps.sh test fuzz

deps-bench:
	@./scripts/install-deps.sh test bench

deps-format:
	@./scripts/install-deps.sh format

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

# The tests labelled "threads" (workers, events, waits on processes, concurrent writers), GUI ones
# included, under ThreadSanitizer; only their programs are built. A report fails its test.
tsan: deps
	cmake -S . -B $(TSAN_DIR) -G Ninja -DSONVARA_TSAN=ON
	cmake --build $(TSAN_DIR) -j $(JOBS) --target sonvara_threaded_tests
	QT_QPA_PLATFORM=offscreen ctest --test-dir $(TSAN_DIR) --output-on-failure -j $(JOBS) -L threads

bench: deps-bench
	cmake -S . -B $(BENCH_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DSONVARA_BENCH=ON
	cmake --build $(BENCH_DIR) -j $(JOBS)
	@for b in $(BENCH_DIR)/bench/*_bench; do echo "== $$b"; $$b || exit 1; done

# The libFuzzer programs alone, under clang (CI builds them; `make fuzz` runs them).
fuzz-build: deps-fuzz
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G Ninja -DSONVARA_FUZZ=ON
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target sonvara_fuzzers

# Each fuzz target runs FUZZ_SECONDS, starting from its seeds in tests/data/fuzz/<target>/, with
# the options of its <target>_fuzzer.options. Every target runs; the ones that found something
# are listed at the end, with the inputs that show it (crash-*, timeout-*, leak-*, oom-* in
# $(FUZZ_DIR)/findings/<target>/), and the run fails.
fuzz: fuzz-build
	@failed=""; \
	for f in $(FUZZ_DIR)/tests/fuzz/*_fuzzer; do \
		name=$$(basename $$f _fuzzer); corpus=$(FUZZ_DIR)/corpus/$$name; \
		findings=$(FUZZ_DIR)/findings/$$name; rm -rf $$findings; mkdir -p $$corpus $$findings; \
		echo "== $$name"; \
		$$f $$(cat $$f.options 2>/dev/null) -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=2048 \
			-timeout=10 -artifact_prefix=$$findings/ -print_final_stats=1 \
			$$corpus tests/data/fuzz/$$name || failed="$$failed $$name"; \
	done; \
	if [ -n "$$failed" ]; then \
		echo "== fuzz findings:"; \
		for name in $$failed; do echo "  $$name: $$(ls $(FUZZ_DIR)/findings/$$name)"; done; \
		exit 1; \
	fi; \
	echo "== fuzz: every target ran $(FUZZ_SECONDS) s without a finding"

format: deps-format
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

# Fails, naming the lines, when a tracked source is not as `make format` would leave it.
format-check: deps-format
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(TSAN_DIR) $(BENCH_DIR) $(FUZZ_DIR)
