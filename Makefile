# fingerbridge: `make run` builds and starts the server, `make test` builds and runs every test.

BUILD_DIR ?= build
ASAN_DIR ?= build-asan
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
ARGS ?=

.PHONY: all build run test test-unit test-sanitized test-windows-compile test-thread fuzz clean

all: build

build:
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD_DIR) -j $(JOBS)

# The server finds the frontend at ../frontend/, so it starts from the build folder.
run: build
	cd $(BUILD_DIR) && ./fingerbridge $(ARGS)

test: test-unit test-sanitized test-windows-compile test-thread fuzz

# The tree must also compile for 64- and 32-bit Windows.
test-windows-compile:
	cmake -S . -B build-win64 -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_CXX_COMPILER=x86_64-w64-mingw32-g++-posix -DFINGERBRIDGE_TESTS=OFF
	cmake --build build-win64 -j $(JOBS)
	cmake -S . -B build-win32 -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_CXX_COMPILER=i686-w64-mingw32-g++-posix -DFINGERBRIDGE_TESTS=OFF
	cmake --build build-win32 -j $(JOBS)

test-unit: build
	cd $(BUILD_DIR) && ctest -j $(JOBS) --output-on-failure

test-sanitized:
	cmake -S . -B $(ASAN_DIR) -DCMAKE_BUILD_TYPE=Debug -DFINGERBRIDGE_SANITIZE=ON
	cmake --build $(ASAN_DIR) -j $(JOBS)
	cd $(ASAN_DIR) && ctest -j $(JOBS) --output-on-failure

# The concurrency tests (token store, scanner lock, many connections) under ThreadSanitizer.
TSAN_DIR ?= build-tsan
test-thread:
	cmake -S . -B $(TSAN_DIR) -DCMAKE_BUILD_TYPE=Debug -DFINGERBRIDGE_SANITIZE_THREAD=ON
	cmake --build $(TSAN_DIR) -j $(JOBS) --target server_tests security_tests scanner_tests
	cd $(TSAN_DIR)/tests && ./server_tests && ./security_tests && ./scanner_tests

# Every libFuzzer target for FUZZ_SECONDS each (clang, ASan+UBSan).
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
fuzz:
	CXX=clang++ cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFINGERBRIDGE_FUZZ=ON
	cmake --build $(FUZZ_DIR) -j $(JOBS)
	JOBS=$(JOBS) tests/fuzz/run.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) build-win64 build-win32 $(FUZZ_DIR) $(TSAN_DIR)
