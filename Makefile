# The two commands of the README. Both install what is missing, configure and build.
BUILD_DIR ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

PACKAGE_BUILD_DIR ?= build-package
FUZZ_BUILD_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_RUNS ?= -1

.PHONY: all deps configure build run test bench package fuzz clean

all: build

deps:
	bash scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/marrowfold

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build
	cmake --build $(BUILD_DIR) --target bench_numbering bench_sheets bench_export bench_studioday -j $(JOBS)

# The Debian package, built for /usr in a tree of its own without the tests and with the
# hardening flags: $(PACKAGE_BUILD_DIR)/marrowfold_<version>_amd64.deb
package: deps
	cmake -S . -B $(PACKAGE_BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DCMAKE_INSTALL_PREFIX=/usr -DMARROWFOLD_BUILD_TESTS=OFF -DMARROWFOLD_HARDENING=ON
	cmake --build $(PACKAGE_BUILD_DIR) -j $(JOBS)
	cd $(PACKAGE_BUILD_DIR) && cpack -G DEB

# Every harness for FUZZ_SECONDS under libFuzzer with ASan and UBSan; FUZZ_TARGETS picks some.
fuzz:
	bash scripts/install-deps --fuzz
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DMARROWFOLD_LIBFUZZER=ON
	cmake --build $(FUZZ_BUILD_DIR) --target fuzz_all -j $(JOBS)
	FUZZ_RUNS=$(FUZZ_RUNS) bash scripts/run-fuzzers $(FUZZ_BUILD_DIR) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

clean:
	rm -rf $(BUILD_DIR)
