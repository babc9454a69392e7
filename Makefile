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

# --- Hardening: sanitizers and fuzzing, each in a build folder of its own.
ASAN_BUILD_DIR ?= build-asan
FUZZ_BUILD_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60

.PHONY: test-asan test-tsan fuzz

# The whole suite under AddressSanitizer + UBSan; any finding fails its test.
test-asan: bootstrap
	@if [ ! -f $(ASAN_BUILD_DIR)/build.ninja ]; then \
	  cmake -S . -B $(ASAN_BUILD_DIR) -G Ninja -DLOCKLEAF_SANITIZE=ON $(CMAKE_FLAGS); \
	fi
	cmake --build $(ASAN_BUILD_DIR) -j $(JOBS)
	cd $(ASAN_BUILD_DIR) && \
	  ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
	  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS)

# The runs' worker threads under ThreadSanitizer: the engine's run suites, then
# lockleaf-cli over copies of the shared corpus with four workers (scripts/tsan-cli:
# the gathering's workers too). Qt and qpdf are not instrumented; a report in
# their code names ours above it; tests/tsan.supp says which one is known.
# These suites must not start programs with QProcess: TSan cannot follow Qt's
# vfork-style spawn and then reports races on locks that are held.
TSAN_BUILD_DIR ?= build-tsan
TSAN_TESTS ?= engine_ProcessTest engine_ParallelRunTest
test-tsan: bootstrap
	@if [ ! -f $(TSAN_BUILD_DIR)/build.ninja ]; then \
	  cmake -S . -B $(TSAN_BUILD_DIR) -G Ninja -DLOCKLEAF_SANITIZE_THREAD=ON -DLOCKLEAF_BUILD_UI=OFF $(CMAKE_FLAGS); \
	fi
	cmake --build $(TSAN_BUILD_DIR) -j $(JOBS) --target $(TSAN_TESTS) lockleaf-cli
	cd $(TSAN_BUILD_DIR) && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$(CURDIR)/tests/tsan.supp \
	  ctest --output-on-failure -R '^($(subst $(eval) ,|,$(TSAN_TESTS)))$$'
	scripts/tsan-cli $(TSAN_BUILD_DIR)

# libFuzzer targets (clang) run FUZZ_SECONDS each; see fuzz/run.
fuzz:
	FUZZ_SECONDS=$(FUZZ_SECONDS) fuzz/run $(FUZZ_BUILD_DIR)

# --- Packaging and the README's screenshot.
.PHONY: package screenshot

# A .deb of the app and lockleaf-cli, left in $(BUILD_DIR).
package: build
	cd $(BUILD_DIR) && cpack -G DEB

# The app under Xvfb with a few generated PDFs listed; see scripts/screenshot.
screenshot: build
	scripts/screenshot $(BUILD_DIR) docs/screenshot.png
