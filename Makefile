# Quick start: `make run` builds and analyses the bundled example; `make test` builds and runs
# every test. Both install what a fresh Debian machine lacks (with apt-get) before building.

BUILD      ?= build
ASAN_BUILD ?= build-asan
RELEASE_BUILD ?= build-release
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
SECONDS    ?= 60
JOBS       ?= 2
EXAMPLE    ?= examples/circle_search.dat
EXAMPLE_NAME := $(basename $(notdir $(EXAMPLE)))
SUDO       := $(shell [ "$$(id -u)" = "0" ] || echo sudo)

.PHONY: all build run test release-test sanitize-test tsan-test fuzz fuzz-deps bench bench-host deps \
        test-deps format clean

all: build

deps:
	@if ! command -v cmake >/dev/null || ! command -v g++ >/dev/null || \
	    ! command -v nm >/dev/null || [ ! -f /usr/include/gtest/gtest.h ] || \
	    [ ! -f /usr/include/nlohmann/json.hpp ] || [ ! -f /usr/include/CLI/CLI.hpp ] || \
	    [ ! -f /usr/include/nlopt.hpp ] || \
	    ! dpkg -s python3-pytest python3-numpy python3-setuptools python3-venv python3-pip \
	      >/dev/null 2>&1; then \
	  echo "Installing build tools: cmake g++ make binutils libgtest-dev nlohmann-json3-dev libcli11-dev libnlopt-cxx-dev python3 pytest numpy"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends \
	    cmake g++ make binutils libgtest-dev nlohmann-json3-dev libcli11-dev libnlopt-cxx-dev \
	    python3 python3-pytest python3-numpy python3-setuptools python3-venv python3-pip; \
	fi

# What the tests use besides the build: GNU parallel (the documented scale-out line), Chromium
# (the HTML page opened headless), a comma-decimal locale (numbers read and written the same
# under it), Dask's distributed scheduler (studies on a cluster) and tqdm (progress bars).
# Without them those tests would be skipped.
test-deps:
	@if ! command -v parallel >/dev/null || ! command -v python3 >/dev/null || \
	    ! command -v chromium >/dev/null || [ ! -f /usr/share/i18n/locales/de_DE ] || \
	    ! dpkg -s python3-distributed python3-tqdm >/dev/null 2>&1; then \
	  echo "Installing test tools: parallel python3 chromium locales python3-distributed python3-tqdm"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends \
	    parallel python3 chromium locales python3-distributed python3-tqdm; \
	fi
	@locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$$' || $(SUDO) localedef -i de_DE -f UTF-8 de_DE.UTF-8

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/scarpex $(EXAMPLE) --out out --svg out/$(EXAMPLE_NAME).svg --html out/$(EXAMPLE_NAME).html
	@echo "Open out/$(EXAMPLE_NAME).html in a browser: the report page with the picture."

test: build test-deps
	SCARPEX_REQUIRE_BROWSER=1 ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The whole suite once more in a Release build (-O3, the way a package is built).
release-test: deps test-deps
	@cmake -S . -B $(RELEASE_BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(RELEASE_BUILD) -j $(JOBS)
	SCARPEX_REQUIRE_BROWSER=1 ctest --test-dir $(RELEASE_BUILD) --output-on-failure -j $(JOBS)

# The whole suite once more under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize-test: deps test-deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DSCARPEX_SANITIZE=ON >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=0 ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

# The searches on several threads under ThreadSanitizer: the tests that compare them with one
# thread, and every golden run, with 1 to 8 threads.
tsan-test: deps
	@cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSCARPEX_TSAN=ON >/dev/null
	@cmake --build $(TSAN_BUILD) --target scarpex_tests -j $(JOBS)
	TSAN_OPTIONS=halt_on_error=1 ./$(TSAN_BUILD)/tests/scarpex_tests \
	  --gtest_filter='ParallelSearch.*:Data/GoldenRun.*'

# The fuzz targets need clang and libFuzzer: installed when a trial link fails.
fuzz-deps:
	@printf '#include <cstddef>\n#include <cstdint>\nextern "C" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }\n' \
	  > /tmp/scarpex_fuzz_probe.cpp
	@if ! command -v cmake >/dev/null || ! clang++ -fsanitize=fuzzer,address,undefined \
	    /tmp/scarpex_fuzz_probe.cpp -o /tmp/scarpex_fuzz_probe >/dev/null 2>&1; then \
	  echo "Installing the fuzzing tools: clang libclang-rt-14-dev libfuzzer-14-dev"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends \
	    cmake make clang libclang-rt-14-dev libfuzzer-14-dev; \
	fi
	@rm -f /tmp/scarpex_fuzz_probe /tmp/scarpex_fuzz_probe.cpp

# Both fuzz targets for SECONDS in total under AddressSanitizer and UndefinedBehaviorSanitizer;
# fails on any finding. The corpus grows in $(FUZZ_BUILD)/corpus from run to run.
fuzz: fuzz-deps
	@cmake -S fuzz -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS)
	fuzz/run_fuzzers.sh $(FUZZ_BUILD) $(SECONDS)

bench: build
	@cmake --build $(BUILD) --target scarpex_bench scarpex_search_bench -j $(JOBS)
	./$(BUILD)/scarpex_bench
	./$(BUILD)/scarpex_search_bench

# The host on a search of a million trials (1.6 GB of files): its time and peak memory.
bench-host: build
	bench/host_big_search.sh $(BUILD)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(RELEASE_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD) out
