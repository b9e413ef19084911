# Tessella: the two commands a new machine needs are `make run` and `make test`.

BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
CTEST_JOBS ?= 2
# The SQLite driver is 8-bit only: text crosses the driver manager in the
# locale's encoding, so everything runs under a UTF-8 locale.
export LANG := C.UTF-8
export LC_ALL := C.UTF-8

.PHONY: all deps configure build test run install demo demo-document tsan format check-format clean

all: build

deps:
	@scripts/deps.sh

$(BUILD_DIR)/build.ninja:
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

configure: deps $(BUILD_DIR)/build.ninja

build: configure
	cmake --build $(BUILD_DIR)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(CTEST_JOBS)

# The demo database and its data source, registered for the current user only.
demo: build
	@scripts/setup-demo.sh

# The workbench on the demo document; without a display it says so and stops.
run: demo
	@scripts/run-workbench.sh $(BUILD_DIR)

# The programs, the desktop entry, the icon and the "Tessella Document" file type.
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

# demo/demo.tsl is demo/demo.sql with the demo data source attached.
demo-document: build
	$(BUILD_DIR)/src/runner/tessella-run --save-as demo/demo.tsl demo/demo.sql --dsn TessellaDemo

# The execution and runner tests under ThreadSanitizer.
TSAN_DIR ?= build-tsan
tsan: deps
	cmake -S . -B $(TSAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTESSELLA_BUILD_BENCH=OFF -DTESSELLA_BUILD_GUI=OFF \
	    -DCMAKE_CXX_FLAGS="-fsanitize=thread -O1 -g" \
	    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread"
	cmake --build $(TSAN_DIR) --target tessella_execution_tests tessella_odbc_tests tessella-run tessella_runner_tests
	cd $(TSAN_DIR) && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$(CURDIR)/scripts/tsan.supp" \
	    ctest --output-on-failure -j $(CTEST_JOBS) -R '^(Run|Runner|ThreadOdbc|Environment|ResultStore|BatchSplitter)'

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

check-format:
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

# The benchmarks one after another (the test servers started when needed); each prints its own
# figures, and a table of every goal closes the run. The output is kept in $(BUILD_DIR)/bench.log.
.PHONY: bench
bench: build
	scripts/bench.sh $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR)
