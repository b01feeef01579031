# Quick start: `make run` builds and analyses the bundled example; `make test` builds and runs
# every test. Both install what a fresh Debian machine lacks (with apt-get) before building.

BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= 2
EXAMPLE    ?= examples/circle_search.dat
SUDO       := $(shell [ "$$(id -u)" = "0" ] || echo sudo)

.PHONY: all build run test sanitize-test bench deps format clean

all: build

deps:
	@if ! command -v cmake >/dev/null || ! command -v g++ >/dev/null || \
	    ! command -v nm >/dev/null || [ ! -f /usr/include/gtest/gtest.h ]; then \
	  echo "Installing build tools: cmake g++ make binutils libgtest-dev"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends \
	    cmake g++ make binutils libgtest-dev; \
	fi

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/scarpex $(EXAMPLE) --out out

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The whole suite once more under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize-test: deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DSCARPEX_SANITIZE=ON >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=0 ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

bench: build
	@cmake --build $(BUILD) --target scarpex_bench scarpex_search_bench -j $(JOBS)
	./$(BUILD)/scarpex_bench
	./$(BUILD)/scarpex_search_bench

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) out
