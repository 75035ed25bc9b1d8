# Thin wrappers over CMake. `make demo` and `make check` work on a fresh Debian 12
# machine: both first install the Debian packages that are missing.

BUILD_DIR  ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS       ?= $(shell nproc)
TEST_JOBS  ?= 2

DEMO_INPUT  := examples/ship.3ds
DEMO_OUTPUT := $(BUILD_DIR)/ship.dtq

# The sanitizer build of the test suite, and the libFuzzer build (clang). Both
# keep assertions on, so a broken invariant ends the run there.
ASAN_DIR := build-asan
TSAN_DIR := build-tsan
FUZZ_DIR := build-fuzz
SANITIZE_FLAGS := -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
TSAN_FLAGS     := -fsanitize=thread -fno-omit-frame-pointer
FUZZ_FLAGS     := -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
# The build type's flags without -DNDEBUG.
WITH_ASSERTS   := -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g"
# Every sanitizer report ends the process with a failure; the suppressions
# name leaks of system libraries only.
SANITIZER_ENV  := ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
                  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizer/leak_suppressions.txt:print_suppressions=0
# ThreadSanitizer would otherwise wait a second at the end of every process,
# of which the suites start hundreds.
TSAN_ENV := TSAN_OPTIONS=halt_on_error=1:atexit_sleep_ms=50
# The suites whose work runs on several threads: the converter's tables (the
# same bytes on any number of threads, batches), the preview, the executor,
# a batch on a failing disk, and interrupted batches.
TSAN_CLI_TESTS        := Converter.*:Preview.*
TSAN_CONVERT_TESTS    := ConversionEndings.BatchOnAFailingDisk
TSAN_ROBUSTNESS_TESTS := Executor.*:Interrupt.*

# The Windows programs, cross-built with MinGW-w64, and the native tools
# from $(BUILD_DIR) that their build runs (the icon renderer) and their tests
# compare with (the Linux converter, the model maker). The tests run under
# Wine, in a prefix inside $(WINDOWS_DIR).
WINDOWS_DIR  := build-windows
WINDOWS_TOOLCHAIN := cmake/mingw-w64-x86_64.cmake
HOST_TOOLS   := tessaline_icons tessaline-convert tessaline-make-bench-model
# The dialog's icon and picture, drawn natively for its resources.
ifneq ($(wildcard app/win32/CMakeLists.txt),)
HOST_TOOLS   += tessaline_windows_artwork
WINDOWS_OPTIONS := -DTESSALINE_WINDOWS_ARTWORK_DIR=$(CURDIR)/$(BUILD_DIR)/app/windows-artwork
endif

FUZZER      := $(FUZZ_DIR)/fuzz/tessaline-load-fuzzer
FUZZ_SEEDS  := $(FUZZ_DIR)/fuzz/seeds
FUZZ_ARGS   := -dict=fuzz/chunk_ids.dict -max_len=4096 -timeout=10 -artifact_prefix=$(FUZZ_DIR)/
# The glTF source's target: JSON documents are longer than chunk files.
GLTF_FUZZER     := $(FUZZ_DIR)/fuzz/tessaline-gltf-fuzzer
GLTF_FUZZ_SEEDS := $(FUZZ_DIR)/fuzz/seeds-gltf
GLTF_FUZZ_ARGS  := -dict=fuzz/gltf.dict -max_len=16384 -timeout=10 -artifact_prefix=$(FUZZ_DIR)/gltf-
OBJ_FUZZER     := $(FUZZ_DIR)/fuzz/tessaline-obj-fuzzer
OBJ_FUZZ_SEEDS := $(FUZZ_DIR)/fuzz/obj-seeds
OBJ_FUZZ_ARGS  := -dict=fuzz/obj_tokens.dict -max_len=4096 -timeout=10 -artifact_prefix=$(FUZZ_DIR)/obj-
# The bounded run of `check`: a fixed number of inputs from a fixed seed, so
# that a failure in CI can be repeated.
FUZZ_CHECK_RUNS ?= 600000
GLTF_FUZZ_CHECK_RUNS ?= 150000
OBJ_FUZZ_CHECK_RUNS ?= 70000
FUZZ_CHECK_SEED ?= 1
# `make fuzz`: as long as asked, growing a corpus kept between runs.
FUZZ_SECONDS ?= 3600
FUZZ_CORPUS  ?= $(FUZZ_DIR)/corpus

.PHONY: all deps configure build package windows windows-build demo check check-unit check-asan check-tsan check-fuzz \
        check-windows fuzz-build fuzz fuzz-obj bench clean

all: build

deps:
	bash scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

# The Debian package, $(BUILD_DIR)/tessaline_<version>_<architecture>.deb:
# both programs, the desktop entry, icons and manual pages, under /usr.
package: build
	cd $(BUILD_DIR) && cpack -G DEB

# The Windows package, $(WINDOWS_DIR)/tessaline-<version>-windows-x64.zip:
# tessaline.exe, tessaline-convert.exe and a read-me.
windows: windows-build
	cd $(WINDOWS_DIR) && cpack -G ZIP

windows-build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target $(HOST_TOOLS)
	cmake -S . -B $(WINDOWS_DIR) -DCMAKE_TOOLCHAIN_FILE=$(WINDOWS_TOOLCHAIN) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) \
	  -DTESSALINE_HOST_BUILD_DIR=$(CURDIR)/$(BUILD_DIR) $(WINDOWS_OPTIONS)
	cmake --build $(WINDOWS_DIR) -j $(JOBS)

demo: build
	$(BUILD_DIR)/cli/tessaline-convert $(DEMO_INPUT) -o $(DEMO_OUTPUT)
	@echo "--- first 20 lines of $(DEMO_OUTPUT) ---"
	@head -n 20 $(DEMO_OUTPUT)

# Every test suite, the Windows programs' under Wine, then the same suites
# under the sanitizers, the threaded ones under ThreadSanitizer, then a
# bounded fuzzing run.
check: check-unit check-windows check-asan check-tsan check-fuzz

# No display in CI: Qt draws off screen.
check-unit: build
	QT_QPA_PLATFORM=offscreen ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(TEST_JOBS)

# The Windows programs under Wine: the core's suites, the converter's output
# against the Linux build's, its endings on Windows, the DLLs it imports.
check-windows: windows
	ctest --test-dir $(WINDOWS_DIR) --output-on-failure -j $(TEST_JOBS)

# The whole test suite built with AddressSanitizer and UndefinedBehaviorSanitizer.
check-asan: deps
	cmake -S . -B $(ASAN_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DTESSALINE_BUILD_BENCH=OFF $(WITH_ASSERTS) \
	  -DCMAKE_CXX_FLAGS="$(SANITIZE_FLAGS)"
	cmake --build $(ASAN_DIR) -j $(JOBS)
	QT_QPA_PLATFORM=offscreen $(SANITIZER_ENV) ctest --test-dir $(ASAN_DIR) --output-on-failure -j $(TEST_JOBS)

# The threaded suites built with ThreadSanitizer; only their programs are built.
check-tsan: deps
	cmake -S . -B $(TSAN_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DTESSALINE_BUILD_GUI=OFF -DTESSALINE_BUILD_BENCH=OFF \
	  $(WITH_ASSERTS) -DCMAKE_CXX_FLAGS="$(TSAN_FLAGS)"
	cmake --build $(TSAN_DIR) -j $(JOBS) --target cli_tests convert_tests robustness_tests
	$(TSAN_ENV) $(TSAN_DIR)/tests/cli_tests --gtest_filter='$(TSAN_CLI_TESTS)'
	$(TSAN_ENV) $(TSAN_DIR)/tests/convert_tests --gtest_filter='$(TSAN_CONVERT_TESTS)'
	$(TSAN_ENV) $(TSAN_DIR)/tests/robustness_tests --gtest_filter='$(TSAN_ROBUSTNESS_TESTS)'

# A configuration of its own: every library carries the fuzzer's coverage
# instrumentation and the sanitizers.
fuzz-build: deps
	cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DCMAKE_CXX_COMPILER=clang++ $(WITH_ASSERTS) \
	  -DTESSALINE_BUILD_FUZZ=ON -DTESSALINE_BUILD_GUI=OFF -DTESSALINE_BUILD_TESTS=OFF -DTESSALINE_BUILD_BENCH=OFF \
	  -DCMAKE_CXX_FLAGS="$(FUZZ_FLAGS)"
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target tessaline-load-fuzzer tessaline-gltf-fuzzer tessaline-obj-fuzzer tessaline-seed-corpus

# The kept regression inputs, then the bounded runs from the seeds alone.
check-fuzz: fuzz-build
	$(FUZZER) $(FUZZ_ARGS) fuzz/regressions/*
	rm -rf $(FUZZ_DIR)/check-corpus && mkdir -p $(FUZZ_DIR)/check-corpus
	$(FUZZER) $(FUZZ_ARGS) -runs=$(FUZZ_CHECK_RUNS) -seed=$(FUZZ_CHECK_SEED) -print_final_stats=1 \
	  $(FUZZ_DIR)/check-corpus $(FUZZ_SEEDS)
	rm -rf $(FUZZ_DIR)/check-gltf-corpus && mkdir -p $(FUZZ_DIR)/check-gltf-corpus
	$(GLTF_FUZZER) $(GLTF_FUZZ_ARGS) -runs=$(GLTF_FUZZ_CHECK_RUNS) -seed=$(FUZZ_CHECK_SEED) -print_final_stats=1 \
	  $(FUZZ_DIR)/check-gltf-corpus $(GLTF_FUZZ_SEEDS)
	rm -rf $(FUZZ_DIR)/check-obj-corpus && mkdir -p $(FUZZ_DIR)/check-obj-corpus
	$(OBJ_FUZZER) $(OBJ_FUZZ_ARGS) -runs=$(OBJ_FUZZ_CHECK_RUNS) -seed=$(FUZZ_CHECK_SEED) -print_final_stats=1 \
	  $(FUZZ_DIR)/check-obj-corpus $(OBJ_FUZZ_SEEDS)

# Long runs: make fuzz FUZZ_SECONDS=36000 (make fuzz FUZZER=$(GLTF_FUZZER)
# FUZZ_ARGS="$(GLTF_FUZZ_ARGS)" FUZZ_SEEDS=$(GLTF_FUZZ_SEEDS) for the glTF
# source; make fuzz-obj for the OBJ one). Findings land in $(FUZZ_DIR)/.
fuzz-obj: fuzz-build
	mkdir -p $(FUZZ_DIR)/obj-corpus
	$(OBJ_FUZZER) $(OBJ_FUZZ_ARGS) -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 $(FUZZ_DIR)/obj-corpus $(OBJ_FUZZ_SEEDS)

fuzz: fuzz-build
	mkdir -p $(FUZZ_CORPUS)
	$(FUZZER) $(FUZZ_ARGS) -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 $(FUZZ_CORPUS) $(FUZZ_SEEDS)

# Performance comparison with assimp and the I/O floor, the doubling series and
# its plot: a Release build of its own, a few minutes. Not part of `check`.
bench: deps
	JOBS=$(JOBS) bash scripts/bench.sh

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(TSAN_DIR) $(FUZZ_DIR) $(WINDOWS_DIR)
