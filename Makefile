# SPDX-License-Identifier: GPL-3.0-or-later
# The README's commands: `make run` and `make test`.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
# The tests compare English texts; the ones about other languages set their own locale.
TEST_LOCALE = LC_ALL=C.UTF-8 LANGUAGE=

.PHONY: deps configure build run test test-asan fuzz bench package clean

deps:
	@scripts/install-deps.sh

configure: deps
	@[ -f $(BUILD_DIR)/build.ninja ] || cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	scripts/run.sh $(BUILD_DIR)

test: build
	cd $(BUILD_DIR) && $(TEST_LOCALE) QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 300

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: deps
	@[ -f build-asan/build.ninja ] || cmake --preset asan
	cmake --build build-asan -j $(JOBS)
	cd build-asan && $(TEST_LOCALE) LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan-qt.supp QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 600

# Every libFuzzer target for FUZZ_SECONDS (default 60) from its seed corpus.
fuzz: deps
	scripts/fuzz.sh

# The Debian package, in build/package/.
package: build
	cd $(BUILD_DIR) && cpack -G DEB -B package

bench: build
	scripts/bench.sh $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR) build-asan build-fuzz
