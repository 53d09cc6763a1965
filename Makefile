# Entry points: `make demo`, `make test`; the others are run by .ci/run. Each target installs
# what it needs first (apt-get), and only that: `make test` needs no clang and no benchmark
# library.
BUILD ?= build
JOBS ?= $(shell nproc)
BASE_PACKAGES := cmake g++ make pkg-config
TEST_PACKAGES := $(BASE_PACKAGES) libgtest-dev libgmock-dev qt6-base-dev fonts-dejavu-core
BENCH_PACKAGES := $(TEST_PACKAGES) libbenchmark-dev libmuparser-dev
SAN_PACKAGES := $(BASE_PACKAGES) libgtest-dev libgmock-dev clang libclang-rt-14-dev
DEB_PACKAGES := $(BASE_PACKAGES) qt6-base-dev debhelper dpkg-dev
DOCS_PACKAGES := doxygen

.PHONY: deps configure build demo test bench clean asan fuzz example deb docs

deps:
	@./scripts/install-deps.sh $(TEST_PACKAGES)

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEKGRID_BUILD_BENCH=OFF >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

demo: build
	@$(BUILD)/apps/vekgrid_demo

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Benchmarks, each against a baseline in the same run, in their own optimised build.
BENCH_BUILD ?= build-bench
bench:
	@./scripts/install-deps.sh $(BENCH_PACKAGES)
	@cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DVEKGRID_BUILD_TESTS=OFF \
	    -DVEKGRID_BUILD_APPS=OFF -DVEKGRID_BUILD_BENCH=ON >/dev/null
	@cmake --build $(BENCH_BUILD) -j $(JOBS)
	@for b in $(BENCH_BUILD)/bench/bench_*; do $$b; done

# Core and tests under AddressSanitizer and UndefinedBehaviorSanitizer; any report fails.
ASAN_BUILD ?= build-asan
SAN_FLAGS := -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
asan:
	@./scripts/install-deps.sh $(SAN_PACKAGES)
	@CXX=clang++ cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVEKGRID_BUILD_QT=OFF \
	    -DVEKGRID_BUILD_BENCH=OFF -DCMAKE_CXX_FLAGS="-O1 $(SAN_FLAGS)" \
	    -DCMAKE_EXE_LINKER_FLAGS="$(SAN_FLAGS)" >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	@cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	    UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# libFuzzer targets, a short run of each over its seed corpus in fuzz/corpus/.
FUZZ_BUILD ?= build-fuzz
FUZZ_TIME ?= 12
# Runs per target: a fixed count, so CI replays exactly what a developer ran; 0 runs by time.
FUZZ_RUNS ?= 3000
fuzz:
	@./scripts/install-deps.sh $(SAN_PACKAGES)
	@./fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_TIME) $(JOBS) $(FUZZ_RUNS)

# Debian packages libvekgrid0, libvekgrid-dev, libvekgrid-qt0, libvekgrid-qt-dev in $(DEB_OUT).
DEB_OUT ?= build-deb
deb:
	@./scripts/install-deps.sh $(DEB_PACKAGES)
	@./scripts/build-deb.sh $(DEB_OUT) $(JOBS)

# Installs the Debian packages and builds and runs the example hosts against them.
INSTALL_BUILD ?= build-install
example: deb
	@./examples/run.sh $(DEB_OUT) $(INSTALL_BUILD)

# The API reference from the public headers, in build-docs/html; a warning fails it.
docs:
	@./scripts/install-deps.sh $(DOCS_PACKAGES)
	@doxygen Doxyfile
	@echo "docs: build-docs/html/index.html"

clean:
	rm -rf $(BUILD) $(BENCH_BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(DEB_OUT) $(INSTALL_BUILD) build-docs
