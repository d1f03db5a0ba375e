# fingerbridge: `make run` builds and starts the server, `make test` builds and runs every test.

BUILD_DIR ?= build
ASAN_DIR ?= build-asan
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
ARGS ?=

WIN64_DIR ?= build-win64
WIN32_DIR ?= build-win32

.PHONY: all configure build server setup run test test-unit test-sanitized test-windows-compile test-windows32-compile \
        dist-windows dist-client test-thread fuzz clean

all: build

configure:
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

server: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target fingerbridge

# The server finds the frontend at ../frontend/, so it starts from the build folder.
run: server
	cd $(BUILD_DIR) && ./fingerbridge $(ARGS)

# Installs what the tests need (as root on Debian) or names the command to run.
setup:
	bash .ci/setup

# The plain build's wine suite already builds both Windows trees (zips, MSIs, import checks)
# and runs the 64-bit one. Each step needs the one before it to have passed; setup comes first.
test: setup
	$(MAKE) test-unit
	$(MAKE) test-sanitized
	$(MAKE) test-thread
	$(MAKE) fuzz

# The tree must also compile for 64- and 32-bit Windows (where the vendor library
# and the stand-in the wine suite loads use stdcall), zip and import check included.
test-windows-compile: test-windows32-compile
	cmake -S . -B $(WIN64_DIR) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release
	cmake --build $(WIN64_DIR) -j $(JOBS)

test-windows32-compile:
	cmake -S . -B $(WIN32_DIR) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake -DCMAKE_BUILD_TYPE=Release
	cmake --build $(WIN32_DIR) -j $(JOBS)

VERSION := $(shell sed -n 's/^project.fingerbridge VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

# The npm package fingerbridge-client (client/ with the page's client module),
# dist/fingerbridge-client-<version>.tgz; needs Node.js and npm.
dist-client:
	bash client/pack.sh dist

# For operators, in dist/, both bitnesses: fingerbridge-<version>-windows-x64.zip and -x86.zip
# (fingerbridge-<version>/ with bin/fingerbridge.exe and the autostart scripts, frontend/,
# README.txt, the npm package, SHA256SUMS) and fingerbridge-<version>-x64.msi and -x86.msi
# (built with wixl). The same rules, without the npm package, make what the wine suite installs
# and runs; the version is the one project() sets.
dist-windows: dist-client
	mkdir -p dist
	$(call windows_package,x64,$(WIN64_DIR),x86_64)
	$(call windows_package,x86,$(WIN32_DIR),i686)
	ls -l dist/fingerbridge-$(VERSION)-*

# $(call windows_package,<x64|x86>,<build folder>,<mingw-w64 toolchain>)
windows_package = cmake -S . -B $(2) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-$(3).cmake -DCMAKE_BUILD_TYPE=Release \
	  -DFINGERBRIDGE_CLIENT_PACKAGE=$(abspath dist/fingerbridge-client-$(VERSION).tgz) && \
	cmake --build $(2) -j $(JOBS) --target windows_zip windows_msi && \
	cp $(2)/fingerbridge-$(VERSION)-windows-$(1).zip $(2)/fingerbridge-$(VERSION)-$(1).msi dist/

test-unit: build
	cd $(BUILD_DIR) && ctest -j $(JOBS) --output-on-failure --no-tests=error

test-sanitized:
	cmake -S . -B $(ASAN_DIR) -DCMAKE_BUILD_TYPE=Debug -DFINGERBRIDGE_SANITIZE=ON
	cmake --build $(ASAN_DIR) -j $(JOBS)
	cd $(ASAN_DIR) && ctest -j $(JOBS) --output-on-failure --no-tests=error

# The concurrency tests (token store, scanner lock, many connections) under ThreadSanitizer.
TSAN_DIR ?= build-tsan
test-thread:
	cmake -S . -B $(TSAN_DIR) -DCMAKE_BUILD_TYPE=Debug -DFINGERBRIDGE_SANITIZE_THREAD=ON
	cmake --build $(TSAN_DIR) -j $(JOBS) --target server_tests security_tests scanner_tests
	cd tests && for suite in server security scanner; do $(abspath $(TSAN_DIR))/tests/$${suite}_tests || exit 1; done

# Every libFuzzer target for FUZZ_SECONDS each (clang, ASan+UBSan).
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
fuzz:
	CXX=clang++ cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFINGERBRIDGE_FUZZ=ON
	cmake --build $(FUZZ_DIR) -j $(JOBS)
	JOBS=$(JOBS) tests/fuzz/run.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(WIN64_DIR) $(WIN32_DIR) $(FUZZ_DIR) $(TSAN_DIR) dist
