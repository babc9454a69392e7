# Thin wrappers; CMake + Ninja do the work.
BUILD_DIR ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all bootstrap configure build run test bench clean

all: build

bootstrap:
	@scripts/bootstrap

configure: bootstrap
	@if [ ! -f $(BUILD_DIR)/build.ninja ]; then \
	  cmake -S . -B $(BUILD_DIR) -G Ninja $(CMAKE_FLAGS); \
	fi

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@if [ -x $(BUILD_DIR)/bin/Lockleaf ]; then \
	  exec $(BUILD_DIR)/bin/Lockleaf; \
	elif [ -x $(BUILD_DIR)/bin/lockleaf-cli ]; then \
	  echo "The desktop app is not built yet; here is lockleaf-cli:"; \
	  $(BUILD_DIR)/bin/lockleaf-cli --help; \
	else \
	  echo "The desktop app is not built yet."; \
	fi

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

bench: build
	@if [ -x bench/run ]; then bench/run $(BUILD_DIR); else echo "no benchmarks yet"; fi

clean:
	rm -rf $(BUILD_DIR)
