# The README's two commands, `make run` and `make test`. They call ./run.sh and ./test.sh, which
# a machine without make runs directly. Every target installs what is missing and builds.
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

build:
	BUILD_DIR=$(BUILD_DIR) JOBS=$(JOBS) bash scripts/build

# Builds only the program, so that its window opens soon after a fresh clone.
run:
	BUILD_DIR=$(BUILD_DIR) JOBS=$(JOBS) bash run.sh

test:
	BUILD_DIR=$(BUILD_DIR) JOBS=$(JOBS) bash test.sh

bench:
	BUILD_DIR=$(BUILD_DIR) JOBS=$(JOBS) bash scripts/build bench_numbering bench_sheets \
		bench_export bench_studioday bench_pauses

# The Debian package, built for /usr in a tree of its own without the tests and with the
# hardening flags: $(PACKAGE_BUILD_DIR)/marrowfold_<version>_amd64.deb
# Every date in it (the manual's, the files' in the .deb) is that of the version's changelog
# entry, so that two builds of one commit give the same package.
package: deps
	export SOURCE_DATE_EPOCH=$$(dpkg-parsechangelog -l data/debian/changelog -STimestamp) && \
	cmake -S . -B $(PACKAGE_BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DCMAKE_INSTALL_PREFIX=/usr -DMARROWFOLD_BUILD_TESTS=OFF -DMARROWFOLD_HARDENING=ON && \
	cmake --build $(PACKAGE_BUILD_DIR) -j $(JOBS) && \
	cd $(PACKAGE_BUILD_DIR) && cpack -G DEB

# Every harness for FUZZ_SECONDS under libFuzzer with ASan and UBSan; FUZZ_TARGETS picks some.
fuzz:
	bash scripts/install-deps --fuzz
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DMARROWFOLD_LIBFUZZER=ON
	cmake --build $(FUZZ_BUILD_DIR) --target fuzz_all -j $(JOBS)
	FUZZ_RUNS=$(FUZZ_RUNS) bash scripts/run-fuzzers $(FUZZ_BUILD_DIR) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

# The build folder is also the program folder of `make run`: the work log, the project files,
# the orders and the registered sizes of the studio lie beside the build output. So only what
# the build made is removed (CMake's own clean), never the folder.
clean:
	if [ -f $(BUILD_DIR)/CMakeCache.txt ]; then cmake --build $(BUILD_DIR) --target clean; fi
