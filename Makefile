# Thin wrappers over CMake. `make demo` and `make check` work on a fresh Debian 12
# machine: both first install the Debian packages that are missing.

BUILD_DIR  ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS       ?= $(shell nproc)
TEST_JOBS  ?= 2

DEMO_INPUT  := examples/ship.3ds
DEMO_OUTPUT := $(BUILD_DIR)/ship.dtq

.PHONY: all deps configure build demo check check-unit bench clean

all: build

deps:
	bash scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

demo: build
	$(BUILD_DIR)/cli/tessaline-convert $(DEMO_INPUT) -o $(DEMO_OUTPUT)
	@echo "--- first 20 lines of $(DEMO_OUTPUT) ---"
	@head -n 20 $(DEMO_OUTPUT)

# Every test suite. Further stages (sanitizer build, bounded fuzzing run) are
# added as more prerequisites of `check`.
check: check-unit

# No display in CI: Qt draws off screen.
check-unit: build
	QT_QPA_PLATFORM=offscreen ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(TEST_JOBS)

# Performance comparison with assimp and the I/O floor, the doubling series and
# its plot: a Release build of its own, a few minutes. Not part of `check`.
bench: deps
	JOBS=$(JOBS) bash scripts/bench.sh

clean:
	rm -rf $(BUILD_DIR)
