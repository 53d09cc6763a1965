# Two entry points: `make demo` and `make test`. Both install what is missing first.
BUILD ?= build
JOBS ?= $(shell nproc)
PACKAGES := cmake g++ make pkg-config libgtest-dev libgmock-dev libbenchmark-dev libmuparser-dev clang libclang-rt-14-dev qt6-base-dev fonts-dejavu-core

.PHONY: deps configure build demo test bench clean asan fuzz example

deps:
	@./scripts/install-deps.sh $(PACKAGES)

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

demo: build
	@$(BUILD)/apps/vekgrid_demo

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	@for b in $(BUILD)/bench/bench_*; do $$b; done

# Core and tests under AddressSanitizer and UndefinedBehaviorSanitizer; any report fails.
ASAN_BUILD ?= build-asan
SAN_FLAGS := -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
asan: deps
	@CXX=clang++ cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVEKGRID_BUILD_QT=OFF \
	    -DVEKGRID_BUILD_BENCH=OFF -DCMAKE_CXX_FLAGS="-O1 $(SAN_FLAGS)" \
	    -DCMAKE_EXE_LINKER_FLAGS="$(SAN_FLAGS)" >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	@cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	    UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# libFuzzer targets, a short run of each over its seed corpus in fuzz/corpus/.
FUZZ_BUILD ?= build-fuzz
FUZZ_TIME ?= 12
fuzz: deps
	@./fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_TIME) $(JOBS)

# Installs the build into a prefix and builds and runs the example host against it.
INSTALL_BUILD ?= build-install
example: build
	@./examples/run.sh $(BUILD) $(INSTALL_BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(INSTALL_BUILD)
