# Quick start: `make run` builds and analyses the bundled example; `make test` builds and runs
# every test. Both install what a fresh Debian machine lacks (with apt-get) before building.

BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= 2
EXAMPLE    ?= examples/layered_slope_spencer.dat
EXAMPLE_NAME := $(basename $(notdir $(EXAMPLE)))
SUDO       := $(shell [ "$$(id -u)" = "0" ] || echo sudo)

.PHONY: all build run test sanitize-test bench deps test-deps format clean

all: build

deps:
	@if ! command -v cmake >/dev/null || ! command -v g++ >/dev/null || \
	    ! command -v nm >/dev/null || [ ! -f /usr/include/gtest/gtest.h ] || \
	    [ ! -f /usr/include/nlohmann/json.hpp ] || [ ! -f /usr/include/CLI/CLI.hpp ]; then \
	  echo "Installing build tools: cmake g++ make binutils libgtest-dev nlohmann-json3-dev libcli11-dev"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends \
	    cmake g++ make binutils libgtest-dev nlohmann-json3-dev libcli11-dev; \
	fi

# What the host's tests run besides the build: GNU parallel (the documented scale-out line) and
# Python 3 (an XML parser for the picture). Chromium, for the page in a browser, is installed
# by CI; without it that test is skipped.
test-deps:
	@if ! command -v parallel >/dev/null || ! command -v python3 >/dev/null; then \
	  echo "Installing test tools: parallel python3"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends \
	    parallel python3; \
	fi

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/scarpex $(EXAMPLE) --out out --svg out/$(EXAMPLE_NAME).svg --html out/$(EXAMPLE_NAME).html
	@echo "Open out/$(EXAMPLE_NAME).html in a browser: the report page with the picture."

test: build test-deps
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The whole suite once more under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize-test: deps test-deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DSCARPEX_SANITIZE=ON >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=0 ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

bench: build
	@cmake --build $(BUILD) --target scarpex_bench -j $(JOBS)
	./$(BUILD)/scarpex_bench

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) out
